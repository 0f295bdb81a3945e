// The system's lowercase under the searches' case folding, and their word test, by the
// system's own tables.
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

// Letters and digits of any script, by the system's character types, and the underscore.
bool IsWordPart(char16_t c) {
    if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    if (IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) return false;
    WORD type = 0, marks = 0;
    wchar_t character = static_cast<wchar_t>(c);
    if (GetStringTypeW(CT_CTYPE1, &character, 1, &type) && (type & (C1_ALPHA | C1_DIGIT))) return true;
    // A combining mark belongs to the letter before it, so a word does not end inside a letter.
    return GetStringTypeW(CT_CTYPE3, &character, 1, &marks) && (marks & (C3_NONSPACING | C3_DIACRITIC));
}
