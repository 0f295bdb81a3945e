// Windows-1252 decodes its five unassigned bytes to the C1 controls of the same value, so
// every byte string reads back to the bytes it came from.
#include "base/TextCoding.h"

#include <cstdint>
#include <cstring>

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
        case 0xE0:
            return second >= 0xA0;
        case 0xED:
            return second <= 0x9F;
        case 0xF0:
            return second >= 0x90;
        case 0xF4:
            return second <= 0x8F;
        default:
            return true;
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
    if (present >= static_cast<std::size_t>(SequenceLength(p[lead])) || !IsValidPrefix(p + lead, present)) return s;
    return IsValidUtf8(s.substr(0, lead)) ? s.substr(0, lead) : s;
}

namespace {

const char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kReplacement = 0xFFFD;

char16_t Windows1252Character(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b);
}

// The Windows-1252 byte of a character, or 0 when it has none.
unsigned char Windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
    return 0;
}

bool IsLineBreak(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string* out, char32_t c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendUtf16(std::u16string* out, char32_t c) {
    if (c < 0x10000) {
        out->push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

// Decodes bytes already known to be valid UTF-8.
std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0, n = bytes.size(); i < n;) {
        char32_t c = p[i];
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        if (extra) c &= 0x3F >> extra;
        ++i;
        for (int k = 0; k < extra && i < n; ++k, ++i) c = (c << 6) | (p[i] & 0x3F);
        AppendUtf16(&text, c);
    }
    return text;
}

bool HasHighByte(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

bool EncodeWindows1252(std::u16string_view text, std::string* bytes) {
    bytes->clear();
    bytes->reserve(text.size() + text.size() / 16);
    for (char16_t c : text) {
        if (IsLineBreak(c)) {
            bytes->append("\r\n");
        } else if (c != 0) {
            unsigned char b = Windows1252Byte(c);
            if (b == 0) return false;
            bytes->push_back(static_cast<char>(b));
        }
    }
    // Bytes that are valid UTF-8 would be read back as UTF-8, and so as other text; ASCII is
    // the same in both and counts as UTF-8.
    return HasHighByte(*bytes) && !IsValidUtf8(*bytes);
}

void EncodeUtf8(std::u16string_view text, std::string* bytes) {
    bytes->clear();
    bytes->reserve(text.size() + text.size() / 4);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsLineBreak(c)) {
            bytes->append("\r\n");
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(bytes, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(bytes, kReplacement);
        } else if (c != 0) {
            AppendUtf8(bytes, c);
        }
    }
}

}  // namespace

TextEncoding RecordEncoding(std::string_view bytes) {
    return IsValidUtf8(bytes) ? kEncodingUtf8 : kEncodingWindows1252;
}

TextEncoding RecordEncodingOfStart(std::string_view start, bool cut) {
    return RecordEncoding(cut ? DropIncompleteUtf8Tail(start) : start);
}

std::u16string CleanEditorText(std::u16string_view text) {
    std::u16string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (IsLineBreak(c)) {
            clean.push_back(u'\n');
        } else if (c == 0) {
            continue;
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            clean.push_back(c);
            clean.push_back(text[++i]);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0xFDD0 || c == 0xFDD1) {
            clean.push_back(kReplacement);
        } else {
            clean.push_back(c);
        }
    }
    return clean;
}

std::u16string DecodeRecordText(std::string_view bytes) {
    if (RecordEncoding(bytes) == kEncodingUtf8) return CleanEditorText(DecodeUtf8(bytes));
    std::u16string text;
    text.reserve(bytes.size());
    for (char c : bytes) text.push_back(Windows1252Character(static_cast<unsigned char>(c)));
    return CleanEditorText(text);
}

TextEncoding EncodeRecordText(std::u16string_view text, TextEncoding preferred, std::string* bytes) {
    if (preferred == kEncodingWindows1252 && EncodeWindows1252(text, bytes)) return kEncodingWindows1252;
    EncodeUtf8(text, bytes);
    return kEncodingUtf8;
}

std::size_t StoredSize(std::u16string_view text, TextEncoding preferred) {
    std::string bytes;
    EncodeRecordText(text, preferred, &bytes);
    return bytes.size();
}

std::size_t FittingLength(std::u16string_view text, std::size_t start, std::size_t end, std::u16string_view insertion,
                          TextEncoding preferred, std::size_t limit) {
    std::u16string_view before = text.substr(0, start), after = text.substr(end);
    std::u16string candidate;
    auto fits = [&](std::size_t n) {
        candidate.assign(before).append(insertion.substr(0, n)).append(after);
        return StoredSize(candidate, preferred) <= limit;
    };
    if (fits(insertion.size())) return insertion.size();
    std::size_t low = 0, high = insertion.size();
    while (low < high) {
        std::size_t middle = (low + high + 1) / 2;
        if (fits(middle)) low = middle;
        else high = middle - 1;
    }
    if (low > 0 && insertion[low - 1] >= 0xD800 && insertion[low - 1] <= 0xDBFF) --low;
    return low;
}

std::string RecordBytesToUtf8(std::string_view bytes, TextEncoding encoding) {
    if (encoding == kEncodingUtf8) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) AppendUtf8(&out, Windows1252Character(static_cast<unsigned char>(c)));
    return out;
}

const EditorTextRules kRecordTextRules = {RecordEncoding,   DecodeRecordText, CleanEditorText,
                                          EncodeRecordText, StoredSize,       FittingLength};
