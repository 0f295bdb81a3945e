// Recognised schemes: http, https, mailto, ftp, news, telnet, file, and bare "www." hosts. A
// run that holds an invisible or direction-changing format character, or that stands inside an
// embedding, override or isolate left open earlier in its line, is no link: what it shows
// would not be the address it opens.
#include "core/links/Links.h"

#include <algorithm>
#include <iterator>

#include "base/RecordText.h"

namespace {

const std::u16string_view kPrefixes[] = {u"http://", u"https://",  u"mailto:",  u"ftp://",
                                         u"news:",   u"telnet://", u"file:///", u"www."};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool IsWordCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c > 0x7F;
}

bool IsBlank(char16_t c) { return c <= u' ' || c == 0x00A0 || c == 0x3000 || c == 0x2028 || c == 0x2029; }

// Unicode's format characters (category Cf) and the other default-ignorable code points: they
// draw nothing, or reorder what is drawn, so a link holding one reads as another address.
struct Range {
    char32_t first;
    char32_t last;
};
constexpr Range kHidden[] = {
    {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x115F, 0x1160},   {0x17B4, 0x17B5},
    {0x180B, 0x180F},   {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x206F},   {0x3164, 0x3164},
    {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

bool IsHidden(char32_t c) {
    if (c < 0x00AD) return false;
    for (const Range& range : kHidden)
        if (c >= range.first && c <= range.last) return true;
    return false;
}

// The code point at i, a surrogate pair taken whole; *units is how many units it spans.
char32_t CodePointAt(std::u16string_view text, std::size_t i, std::size_t* units) {
    char16_t c = text[i];
    *units = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        *units = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    return c;
}

bool HoldsHidden(std::u16string_view text, std::size_t begin, std::size_t end) {
    std::size_t units = 1;
    for (std::size_t i = begin; i < end; i += units)
        if (IsHidden(CodePointAt(text, i, &units))) return true;
    return false;
}

// The explicit embeddings, overrides and isolates still open after one more unit of the line,
// as the bidirectional algorithm pairs them: PDF closes the last embedding or override unless
// an isolate is open after it, PDI closes the last isolate and all opened after it.
void TrackDirection(std::vector<bool>* open, char16_t c) {
    if ((c >= 0x202A && c <= 0x202E && c != 0x202C) || (c >= 0x2066 && c <= 0x2068)) {
        open->push_back(c >= 0x2066);  // true: an isolate
    } else if (c == 0x202C) {
        if (!open->empty() && !open->back()) open->pop_back();
    } else if (c == 0x2069) {
        auto isolate = std::find(open->rbegin(), open->rend(), true);
        if (isolate != open->rend()) open->erase(std::prev(isolate.base()), open->end());
    }
}

bool StartsWithPrefix(std::u16string_view text, std::size_t at, std::size_t* length) {
    for (std::u16string_view prefix : kPrefixes) {
        if (text.size() - at < prefix.size()) continue;
        bool match = true;
        for (std::size_t i = 0; match && i < prefix.size(); ++i) match = Lower(text[at + i]) == prefix[i];
        if (match) {
            *length = prefix.size();
            return true;
        }
    }
    return false;
}

// Trailing punctuation ends a sentence rather than the link; a closing bracket stays when
// the link opened one.
std::size_t TrimLinkEnd(std::u16string_view text, std::size_t begin, std::size_t end) {
    while (end > begin) {
        char16_t c = text[end - 1];
        if (std::u16string_view(u".,;:!?'\"").find(c) != std::u16string_view::npos) {
            --end;
            continue;
        }
        if (c == u')' || c == u']' || c == u'}') {
            char16_t open = c == u')' ? u'(' : c == u']' ? u'[' : u'{';
            int depth = 0;
            for (std::size_t i = begin; i < end; ++i) depth += text[i] == open ? 1 : text[i] == c ? -1 : 0;
            if (depth < 0) {
                --end;
                continue;
            }
        }
        break;
    }
    return end;
}

// The bytes the run takes as UTF-8: what the shell would be handed.
std::size_t Utf8Length(std::u16string_view text, std::size_t begin, std::size_t end) {
    std::size_t bytes = 0;
    for (std::size_t i = begin; i < end; ++i) {
        char16_t c = text[i];
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c < 0xE000) ? 2 : 3;
    }
    return bytes;
}

}  // namespace

std::vector<LinkSpan> FindLinks(std::u16string_view line) {
    std::vector<LinkSpan> links;
    std::vector<bool> direction;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t prefix = 0;
        if ((i == 0 || !IsWordCharacter(line[i - 1])) && StartsWithPrefix(line, i, &prefix)) {
            std::size_t end = i + prefix;
            while (end < line.size() && !IsBlank(line[end]) && line[end] != u'<' && line[end] != u'>' &&
                   line[end] != u'"')
                ++end;
            std::size_t run = end;
            end = TrimLinkEnd(line, i + prefix, end);
            // One longer than the shell is handed would open a cut address: no link at all.
            if (end > i + prefix && direction.empty() && !HoldsHidden(line, i, end) &&
                Utf8Length(line, i, end) <= kLinkLimit) {
                links.push_back(LinkSpan{static_cast<int>(i), static_cast<int>(end - i)});
                i = end;
                continue;
            }
            // Refused whole: a link inside it would be a piece of what reads as one address.
            if (end > i + prefix) {
                for (; i < run; ++i) TrackDirection(&direction, line[i]);
                continue;
            }
        }
        TrackDirection(&direction, line[i]);
        ++i;
    }
    return links;
}

std::string LinkTarget(const std::string& link) {
    std::string target(DropIncompleteUtf8Tail(std::string_view(link).substr(0, kLinkLimit)));
    bool bareHost = target.size() >= 4 && (target[0] | 0x20) == 'w' && (target[1] | 0x20) == 'w' &&
                    (target[2] | 0x20) == 'w' && target[3] == '.';
    return bareHost ? "http://" + target : target;
}
