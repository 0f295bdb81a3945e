// The system's lowercase under the searches' case folding, and the character classes of their
// word test, by the system's own tables.
#include "platform/CaseFolding.h"
#include "platform/win32gui/GuiPrivate.h"

// Lowercase of the invariant locale, one to one.
std::u16string LowerCase(std::u16string_view text) {
    std::u16string lowered(text.size(), u'\0');
    if (text.empty()) return lowered;
    int length = static_cast<int>(text.size());
    const wchar_t* from = reinterpret_cast<const wchar_t*>(text.data());
    wchar_t* to = reinterpret_cast<wchar_t*>(&lowered[0]);
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, from, length, to, length, nullptr, nullptr, 0) !=
        length) {
        lowered.assign(text);
        for (char16_t& c : lowered)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return lowered;
}

// Letters and digits of any script, by the system's character types.
bool IsLetterOrDigit(char16_t c) {
    WORD type = 0;
    wchar_t character = static_cast<wchar_t>(c);
    return GetStringTypeW(CT_CTYPE1, &character, 1, &type) && (type & (C1_ALPHA | C1_DIGIT));
}

bool IsCombiningMark(char16_t c) {
    WORD marks = 0;
    wchar_t character = static_cast<wchar_t>(c);
    return GetStringTypeW(CT_CTYPE3, &character, 1, &marks) && (marks & (C3_NONSPACING | C3_DIACRITIC));
}
