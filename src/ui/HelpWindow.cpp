// Window 103 is rebuilt from scratch at each opening, at its fixed place and size as far as
// the screen's work area allows, with its own font and colours whatever the user chose for
// the main editor.
#include "ui/HelpWindow.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/RecordText.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "platform/Gui.h"

namespace {

const char kManual[] =
#include "ui/HelpText.inc"
    ;

constexpr std::int32_t kHelpBackground = 0xDFFFFF;
constexpr std::int32_t kHelpText = 0x002335;

// First occurrence from the second character on, ignoring case.
std::size_t FindPlaceholder(const std::string& text, const std::string& placeholder) {
    for (std::size_t at = 1; at + placeholder.size() <= text.size(); ++at) {
        if (SameIgnoringCase(std::string_view(text).substr(at, placeholder.size()), placeholder)) return at;
    }
    return std::string::npos;
}

}  // namespace

std::string HelpText() {
    std::string text = kManual;
    const std::string& placeholder = Str(kStrHelpPlaceholder);
    std::size_t at = FindPlaceholder(text, placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), g_app.programTitle);
    return text;
}

void ShowHelp() {
    if (WindowExists(kWindowHelp)) {
        RaiseWindow(kWindowHelp);
        return;
    }
    OpenWindow(kWindowHelp, Rect{24, 24, 632, 428}, Str(kStrHelpTitle), kStyleCloseBox);
    // The window may have been made smaller to fit the screen: the editor fills what it got.
    int width, height;
    ClientSize(kWindowHelp, &width, &height);
    CreateEditor(kWindowHelp, kGadgetHelpEditor, Rect{6, 6, width - 12, height - 12}, nullptr, kRecordTextRules);
    SetEditorColours(kGadgetHelpEditor, kHelpBackground, kHelpText);
    SetEditorText(kGadgetHelpEditor, std::string());
    SetEditorReadOnly(kGadgetHelpEditor, true);
    SetEditorFont(kGadgetHelpEditor, Str(kStrDefaultFontName), 10, 0);
    SetEditorMargins(kGadgetHelpEditor, 8, 8);
    SetEditorText(kGadgetHelpEditor, HelpText());
    NameGadget(kGadgetHelpEditor, Str(kStrHelpTitle));
    ShowWindow(kWindowHelp);
    FocusGadget(kGadgetHelpEditor);
}
