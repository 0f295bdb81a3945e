// Case folding and the word test of the searches, by the system's own tables where they hold
// and by the few rules they lack.
#include "platform/CaseFolding.h"
#include "platform/win32gui/GuiPrivate.h"

namespace {

// Characters whose case folding is not their lowercase, as lowercase gives them.
char16_t FoldLowered(char16_t c) {
    switch (c) {
        case 0x00B5:
            return 0x03BC;
        case 0x017F:
            return 0x0073;
        case 0x0345:
            return 0x03B9;
        case 0x03C2:
            return 0x03C3;
        case 0x03D0:
            return 0x03B2;
        case 0x03D1:
            return 0x03B8;
        case 0x03D5:
            return 0x03C6;
        case 0x03D6:
            return 0x03C0;
        case 0x03F0:
            return 0x03BA;
        case 0x03F1:
            return 0x03C1;
        case 0x03F5:
            return 0x03B5;
        case 0x1C80:
            return 0x0432;
        case 0x1C81:
            return 0x0434;
        case 0x1C82:
            return 0x043E;
        case 0x1C83:
            return 0x0441;
        case 0x1C84:
            return 0x0442;
        case 0x1C85:
            return 0x0442;
        case 0x1C86:
            return 0x044A;
        case 0x1C87:
            return 0x0463;
        case 0x1C88:
            return 0xA64B;
        case 0x1E9B:
            return 0x1E61;
        case 0x1E9E:
            return 0x00DF;
        case 0x1FBE:
            return 0x03B9;
        // Letterlike symbols that not every system lowers (Wine does not).
        case 0x2126:
            return 0x03C9;
        case 0x212A:
            return 0x006B;
        case 0x212B:
            return 0x00E5;
        default:
            break;
    }
    // Cherokee folds to its capitals.
    if (c >= 0xAB70 && c <= 0xABBF) return static_cast<char16_t>(c - 0xAB70 + 0x13A0);
    if (c >= 0x13F8 && c <= 0x13FD) return static_cast<char16_t>(c - 8);
    return c;
}

// Beyond the first plane the system does not lower reliably: the scripts with case there.
char32_t FoldAstral(char32_t c) {
    struct Span {
        char32_t first, last;
        int shift;
    };
    static const Span kSpans[] = {
        {0x10400, 0x10427, 40}, {0x104B0, 0x104D3, 40}, {0x10570, 0x1057A, 39}, {0x1057C, 0x1058A, 39},
        {0x1058C, 0x10592, 39}, {0x10594, 0x10595, 39}, {0x10C80, 0x10CB2, 64}, {0x118A0, 0x118BF, 32},
        {0x16E40, 0x16E5F, 32}, {0x1E900, 0x1E921, 34},
    };
    for (const Span& span : kSpans)
        if (c >= span.first && c <= span.last) return c + static_cast<char32_t>(span.shift);
    return c;
}

}  // namespace

// Lowercase of the invariant locale, one to one, then the folds that lowercase lacks: what
// the Linux build's simple folding gives, the dotted capital I kept as it is. ß and ẞ become
// "ss".
std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded;
    if (text.empty()) return folded;
    int length = static_cast<int>(text.size());
    std::u16string lowered(text.size(), u'\0');
    const wchar_t* from = reinterpret_cast<const wchar_t*>(text.data());
    wchar_t* to = reinterpret_cast<wchar_t*>(&lowered[0]);
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, from, length, to, length, nullptr, nullptr, 0) !=
        length) {
        lowered.assign(text);
        for (char16_t& c : lowered)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    folded.reserve(text.size() + 8);
    for (std::size_t k = 0; k < text.size(); ++k) {
        char16_t c = text[k];
        if (IS_HIGH_SURROGATE(c) && k + 1 < text.size() && IS_LOW_SURROGATE(text[k + 1])) {
            char32_t point = FoldAstral(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[k + 1] - 0xDC00));
            folded.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
            folded.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
            ++k;
            continue;
        }
        char16_t f = c == 0x0130 ? c : FoldLowered(lowered[k]);
        folded.append(f == 0x00DF ? u"ss" : std::u16string(1, f));
    }
    return folded;
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
