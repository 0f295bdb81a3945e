// The folds that lowercase lacks, applied over the system's lowercase (platform/CaseFolding.h).
// Text the system already folded passes through unchanged.
#include "core/search/CaseFold.h"

#include "platform/CaseFolding.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Characters whose case folding is not their lowercase, as lowercase gives them.
char16_t FoldLowered(char16_t c) {
    if (c < 0xB5) return c;
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

// Beyond the first plane not every system lowers: the scripts with case there.
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

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded = LowerCase(text);
    if (folded.size() != text.size()) return folded;  // not one to one: nothing to add to it
    bool sharpS = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        char16_t c = text[k];
        if (c < 0xB5) continue;
        if (IsHighSurrogate(c) && k + 1 < text.size() && IsLowSurrogate(text[k + 1])) {
            char32_t point = FoldAstral(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[k + 1] - 0xDC00));
            folded[k] = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            folded[++k] = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
            continue;
        }
        folded[k] = c == 0x0130 ? c : FoldLowered(folded[k]);
        sharpS = sharpS || folded[k] == 0x00DF;
    }
    if (!sharpS) return folded;
    std::u16string spelt;
    spelt.reserve(folded.size() + 8);
    for (char16_t c : folded) {
        if (c == 0x00DF) spelt += u"ss";
        else spelt.push_back(c);
    }
    return spelt;
}
