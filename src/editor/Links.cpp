// Recognised schemes: http, https, mailto, ftp, news, telnet, file, and bare "www." hosts.
#include "editor/Links.h"

#include "store/RecordText.h"

namespace {

const std::u16string_view kPrefixes[] = {u"http://", u"https://", u"mailto:", u"ftp://",
                                         u"news:",   u"telnet://", u"file:///", u"www."};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool IsWordCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c > 0x7F;
}

bool IsBlank(char16_t c) { return c <= u' ' || c == 0x00A0 || c == 0x3000 || c == 0x2028 || c == 0x2029; }

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

}  // namespace

std::vector<LinkSpan> FindLinks(std::u16string_view line) {
    std::vector<LinkSpan> links;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t prefix = 0;
        if ((i == 0 || !IsWordCharacter(line[i - 1])) && StartsWithPrefix(line, i, &prefix)) {
            std::size_t end = i + prefix;
            while (end < line.size() && !IsBlank(line[end]) && line[end] != u'<' && line[end] != u'>' && line[end] != u'"')
                ++end;
            end = TrimLinkEnd(line, i + prefix, end);
            if (end > i + prefix) {
                links.push_back(LinkSpan{static_cast<int>(i), static_cast<int>(end - i)});
                i = end;
                continue;
            }
        }
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
