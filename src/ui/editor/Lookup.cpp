// The text is percent-encoded, so that blanks, line breaks, "&", "#" and "%" reach the site
// as the user selected them.
#include "ui/editor/Lookup.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/StandIns.h"
#include "ui/editor/Editor.h"

namespace {

constexpr std::size_t kLookupLimit = 128;

const StringId kPrefixes[] = {kStrLookupSearch, kStrLookupDictionary, kStrLookupThesaurus, kStrLookupEncyclopedia};

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

}  // namespace

std::string LookupUrl(int command, const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = Str(kPrefixes[command - kCmdLookupFirst]);
    for (unsigned char c : text) {
        if (IsUnreserved(c)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

void Lookup(int command) {
    std::string text = SelectedText(kLookupLimit);
    if (text.empty()) {
        ShowProgramNotice(Str(kStrNothingSelected));
        return;
    }
    LaunchTarget(LookupUrl(command, text));
}
