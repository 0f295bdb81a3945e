// The folds that lowercase lacks, applied over the system's lowercase (platform/CaseFolding.h).
// Text the system already folded passes through unchanged.
#include "core/search/CaseFold.h"

#include <algorithm>
#include <iterator>

#include "platform/CaseFolding.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The characters whose case folding is not their lowercase, as lowercase gives them, in runs
// of neighbours that fold to neighbours (first to to), sorted: among them the letterlike signs
// that not every system lowers (Wine does not), Cherokee, which folds to its capitals, and the
// scripts with case beyond the first plane, which not every system lowers either.
struct FoldRun {
    char32_t first, last, to;
};
constexpr FoldRun kFoldRuns[] = {
    {0x00B5, 0x00B5, 0x03BC},    {0x017F, 0x017F, 0x0073},    {0x0345, 0x0345, 0x03B9},    {0x03C2, 0x03C2, 0x03C3},
    {0x03D0, 0x03D0, 0x03B2},    {0x03D1, 0x03D1, 0x03B8},    {0x03D5, 0x03D5, 0x03C6},    {0x03D6, 0x03D6, 0x03C0},
    {0x03F0, 0x03F0, 0x03BA},    {0x03F1, 0x03F1, 0x03C1},    {0x03F5, 0x03F5, 0x03B5},    {0x13F8, 0x13FD, 0x13F0},
    {0x1C80, 0x1C80, 0x0432},    {0x1C81, 0x1C81, 0x0434},    {0x1C82, 0x1C82, 0x043E},    {0x1C83, 0x1C83, 0x0441},
    {0x1C84, 0x1C84, 0x0442},    {0x1C85, 0x1C85, 0x0442},    {0x1C86, 0x1C86, 0x044A},    {0x1C87, 0x1C87, 0x0463},
    {0x1C88, 0x1C88, 0xA64B},    {0x1E9B, 0x1E9B, 0x1E61},    {0x1E9E, 0x1E9E, 0x00DF},    {0x1FBE, 0x1FBE, 0x03B9},
    {0x2126, 0x2126, 0x03C9},    {0x212A, 0x212A, 0x006B},    {0x212B, 0x212B, 0x00E5},    {0xAB70, 0xABBF, 0x13A0},
    {0x10400, 0x10427, 0x10428}, {0x104B0, 0x104D3, 0x104D8}, {0x10570, 0x1057A, 0x10597}, {0x1057C, 0x1058A, 0x105A3},
    {0x1058C, 0x10592, 0x105B3}, {0x10594, 0x10595, 0x105BB}, {0x10C80, 0x10CB2, 0x10CC0}, {0x118A0, 0x118BF, 0x118C0},
    {0x16E40, 0x16E5F, 0x16E60}, {0x1E900, 0x1E921, 0x1E922},
};

char32_t FoldLowered(char32_t c) {
    const FoldRun* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                          [](char32_t value, const FoldRun& r) { return value < r.first; });
    if (run == std::begin(kFoldRuns) || c > (--run)->last) return c;
    return run->to + (c - run->first);
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
            char32_t point =
                FoldLowered(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[k + 1] - 0xDC00));
            folded[k] = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            folded[++k] = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
            continue;
        }
        folded[k] = c == 0x0130 ? c : static_cast<char16_t>(FoldLowered(folded[k]));
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

bool IsWordPart(char16_t c) {
    if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) return false;
    return IsLetterOrDigit(c) || IsCombiningMark(c);
}
