// Record bytes and editor text: whatever the bytes, the editor text they decode to is stored
// by a save as bytes that decode to that same text; record bytes with CR LF line breaks are
// stored again unchanged, in their own encoding; and any UTF-16 text, once cleaned as the
// editor cleans input, survives a save in either encoding.
#include <string>

#include "FuzzSupport.h"
#include "base/RecordText.h"
#include "base/TextCoding.h"

namespace {

bool HasOnlyCrLfBreaks(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
    }
    return true;
}

// UTF-8 of the characters that the editor cannot hold as they are: U+2028, U+2029, U+FDD0
// and U+FDD1.
bool HasSpecialCharacters(std::string_view bytes) {
    for (std::string_view special : {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"})
        if (bytes.find(special) != std::string_view::npos) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view bytes = input.substr(0, input.find('\0'));
    TextEncoding encoding = RecordEncoding(bytes);
    std::u16string text = DecodeRecordText(bytes);
    FUZZ_CHECK(CleanEditorText(text) == text);
    std::string stored;
    TextEncoding written = EncodeRecordText(text, encoding, &stored);
    FUZZ_CHECK(stored.find('\0') == std::string::npos);
    FUZZ_CHECK(RecordEncoding(stored) == written);
    FUZZ_CHECK(DecodeRecordText(stored) == text);
    FUZZ_CHECK(StoredSize(text, encoding) == stored.size());
    if (HasOnlyCrLfBreaks(bytes) && (encoding == kEncodingWindows1252 || !HasSpecialCharacters(bytes)))
        FUZZ_CHECK(stored == bytes && written == encoding);

    std::u16string wide(size / 2, u'\0');
    for (std::size_t i = 0; i + 1 < size; i += 2) wide[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    std::u16string clean = CleanEditorText(wide);
    FUZZ_CHECK(CleanEditorText(clean) == clean);
    for (TextEncoding preferred : {kEncodingUtf8, kEncodingWindows1252}) {
        written = EncodeRecordText(clean, preferred, &stored);
        FUZZ_CHECK(DecodeRecordText(stored) == clean);
        FUZZ_CHECK(preferred == kEncodingWindows1252 || written == kEncodingUtf8);
        FUZZ_CHECK(written == kEncodingUtf8 || stored.size() <= StoredSize(clean, kEncodingUtf8));
    }
    return 0;
}
