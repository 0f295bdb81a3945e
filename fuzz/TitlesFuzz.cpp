// Both title derivations on any text: at most 48 bytes of one line, taken from the text (or the
// default title), without leading blanks, UTF-8 whatever the record's encoding, and never a split
// character.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "base/RecordText.h"
#include "base/TextCoding.h"
#include "core/store/Titles.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TextEncoding encoding = RecordEncoding(text);
    std::string loadTitle = LoadTitle(text, encoding), saveTitle = SaveTitle(text, encoding);
    FUZZ_CHECK(Trim(loadTitle) == loadTitle);
    // The save derivation cuts after trimming, so its title may end in a blank.
    FUZZ_CHECK(TrimLeft(saveTitle) == saveTitle);
    // A title is one line: a lone CR or LF inside its line is a blank.
    std::string flat(text);
    std::replace_if(
        flat.begin(), flat.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    for (const std::string& title : {loadTitle, saveTitle}) {
        if (title == Str(kStrDefaultTitle)) continue;
        // Titles are UTF-8: a Windows-1252 title is converted from its at most 48 bytes.
        FUZZ_CHECK(IsValidUtf8(title) && !title.empty() && title.find_first_of("\r\n") == std::string::npos);
        if (encoding == kEncodingUtf8) FUZZ_CHECK(title.size() <= kTitleLimit && flat.find(title) != std::string::npos);
    }
    std::string_view cut = CutToCharacters(text, size % 97);
    FUZZ_CHECK(text.substr(0, cut.size()) == cut);
    if (IsValidUtf8(text))
        FUZZ_CHECK(IsValidUtf8(cut) && IsValidUtf8(DropIncompleteUtf8Tail(text.substr(0, size / 2))));
    return 0;
}
