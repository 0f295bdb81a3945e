// The editor's text and the stored bytes: any bytes become valid UTF-8 without a zero byte;
// valid UTF-8 with CR LF line breaks comes back exactly as it went in.
#include <string>

#include "FuzzSupport.h"
#include "platform/QtText.h"
#include "store/RecordText.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string stored = QStringToRecord(RecordToQString(bytes));
    FUZZ_CHECK(IsValidUtf8(stored));
    FUZZ_CHECK(stored.find('\0') == std::string::npos);
    bool plainLineBreaks = true;
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\r') plainLineBreaks = plainLineBreaks && i + 1 < size && bytes[i + 1] == '\n';
        if (bytes[i] == '\n') plainLineBreaks = plainLineBreaks && i > 0 && bytes[i - 1] == '\r';
    }
    if (IsValidUtf8(bytes) && plainLineBreaks && bytes.find('\0') == std::string::npos)
        FUZZ_CHECK(stored == bytes);
    // Text typed in the editor stores and shows again unchanged.
    FUZZ_CHECK(QStringToRecord(RecordToQString(stored)) == stored);
    return 0;
}
