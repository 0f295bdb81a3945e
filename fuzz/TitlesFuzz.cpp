// Both title derivations on any text: at most 48 bytes, taken from the text (or the default
// title), without leading blanks, and never a split UTF-8 character out of valid text.
#include <string>

#include "FuzzSupport.h"
#include "store/RecordText.h"
#include "store/Titles.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string loadTitle = LoadTitle(text), saveTitle = SaveTitle(text);
    FUZZ_CHECK(Trim(loadTitle) == loadTitle);
    // The save derivation cuts after trimming, so its title may end in a blank.
    FUZZ_CHECK(TrimLeft(saveTitle) == saveTitle);
    for (const std::string& title : {loadTitle, saveTitle}) {
        if (title == Str(kStrDefaultTitle)) continue;
        FUZZ_CHECK(!title.empty() && title.size() <= kTitleLimit);
        FUZZ_CHECK(text.find(title) != std::string_view::npos);
        if (IsValidUtf8(text)) FUZZ_CHECK(IsValidUtf8(title));
    }
    std::string_view cut = CutToCharacters(text, size % 97);
    FUZZ_CHECK(text.substr(0, cut.size()) == cut);
    if (IsValidUtf8(text)) FUZZ_CHECK(IsValidUtf8(cut) && IsValidUtf8(DropIncompleteUtf8Tail(text.substr(0, size / 2))));
    return 0;
}
