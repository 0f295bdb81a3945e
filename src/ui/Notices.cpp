// The program's title on every box it shows, one form for a failure and its reason, and the
// backends' own texts from the string table.
#include "ui/Notices.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/StandIns.h"

void ShowProgramNotice(const std::string& text) { TellUser(g_app.programTitle, text); }

std::string FailureText(StringId what, const std::string& detail) { return Str(what) + detail + LastFileError(); }

void ShowFailure(StringId what, const std::string& detail) { ShowProgramNotice(FailureText(what, detail)); }

bool AskProgramQuestion(const std::string& text) { return AskUser(kWindowMain, g_app.programTitle, text); }

namespace {

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t bar = list.find('|'); bar != std::string::npos; bar = list.find('|', start)) {
        items.push_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    items.push_back(list.substr(start));
    return items;
}

}  // namespace

void HandTextsToToolkit() {
    ToolkitTexts texts;
    texts.fontTitle = Str(kStrFontTitle);
    texts.fontFace = Str(kStrFontFaceLabel);
    texts.fontStyle = Str(kStrFontStyleLabel);
    texts.fontSize = Str(kStrFontSizeLabel);
    texts.fontColour = Str(kStrFontColourLabel);
    texts.fontUnderline = Str(kStrFontUnderlineLabel);
    texts.fontStrikeout = Str(kStrFontStrikeoutLabel);
    texts.fontCustomColour = Str(kStrFontCustomColour);
    texts.fontSample = Str(kStrFontSample);
    texts.fontStyles = SplitList(Str(kStrFontStyles));
    texts.colourNames = SplitList(Str(kStrColourNames));
    texts.buttonOk = Str(kStrOkLabel);
    texts.buttonCancel = Str(kStrCancelLabel);
    SetToolkitTexts(texts);
}
