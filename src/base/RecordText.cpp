// The trim set comes from the string table; a byte belongs to it when it occurs anywhere in
// that string.
#include "base/RecordText.h"

#include "base/StringTable.h"

bool IsInTrimSet(char c) { return Str(kStrTrimSet).find(c) != std::string::npos; }

std::string_view TrimLeft(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && IsInTrimSet(s[begin])) ++begin;
    return s.substr(begin);
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    std::size_t end = s.size();
    while (end > 0 && IsInTrimSet(s[end - 1])) --end;
    return s.substr(0, end);
}

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string_view CutToCharacters(std::string_view s, std::size_t n) {
    if (!IsValidUtf8(s)) return s.substr(0, n);
    std::size_t i = 0;
    for (std::size_t count = 0; i < s.size() && count < n; ++count) {
        ++i;
        while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
    }
    return s.substr(0, i);
}
