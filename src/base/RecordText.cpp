// The trim set comes from the string table; a byte belongs to it when it occurs anywhere in
// that string.
#include "base/RecordText.h"

#include <cstdint>
#include <cstring>

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

// Length of the sequence that a lead byte starts, or 0 for a byte that cannot start one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Whether the bytes after the lead may follow it (no overlong forms, surrogates or values
// above U+10FFFF); only the bytes present are checked.
bool IsValidPrefix(const unsigned char* p, std::size_t present) {
    int length = SequenceLength(p[0]);
    if (length == 0) return false;
    for (std::size_t i = 1; i < present; ++i)
        if (!IsContinuation(p[i])) return false;
    if (present < 2) return true;
    unsigned char second = p[1];
    switch (p[0]) {
        case 0xE0: return second >= 0xA0;
        case 0xED: return second <= 0x9F;
        case 0xF0: return second >= 0x90;
        case 0xF4: return second <= 0x8F;
        default: return true;
    }
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        // Runs of ASCII, most of most texts, are passed over eight bytes at a time.
        std::uint64_t eight;
        if (i + 8 <= n && (std::memcpy(&eight, p + i, 8), (eight & 0x8080808080808080u) == 0)) {
            i += 8;
            continue;
        }
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(SequenceLength(p[i]));
        if (length == 0 || i + length > n || !IsValidPrefix(p + i, length)) return false;
        i += length;
    }
    return true;
}

std::string_view DropIncompleteUtf8Tail(std::string_view s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = s.size();
    std::size_t lead = n;
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        if (!IsContinuation(p[n - back])) {
            lead = n - back;
            break;
        }
    }
    if (lead == n || p[lead] < 0x80) return s;
    std::size_t present = n - lead;
    if (present >= static_cast<std::size_t>(SequenceLength(p[lead])) || !IsValidPrefix(p + lead, present))
        return s;
    return IsValidUtf8(s.substr(0, lead)) ? s.substr(0, lead) : s;
}

std::string_view CutToCharacters(std::string_view s, std::size_t n) {
    if (!IsValidUtf8(s)) return s.substr(0, n);
    std::size_t i = 0;
    for (std::size_t count = 0; i < s.size() && count < n; ++count) {
        ++i;
        while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
    }
    return s.substr(0, i);
}
