// Escaping and the record fragment: no record text becomes markup; the escaped text reads
// back as the text; a fragment holds exactly the markup of its pieces.
#include <string>

#include "FuzzSupport.h"
#include "core/export/HtmlPage.h"

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 5, "&amp;") == 0) {
            out += '&';
            i += 5;
        } else if (text.compare(i, 4, "&lt;") == 0) {
            out += '<';
            i += 4;
        } else if (text.compare(i, 4, "&gt;") == 0) {
            out += '>';
            i += 4;
        } else {
            FUZZ_CHECK(text[i] != '&');
            out += text[i++];
        }
    }
    return out;
}

std::size_t Count(const std::string& text, char c) {
    std::size_t n = 0;
    for (char b : text) n += b == c;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string escaped = EscapeHtml(text);
    FUZZ_CHECK(escaped.find('<') == std::string::npos && escaped.find('>') == std::string::npos);
    FUZZ_CHECK(Unescape(escaped) == text);
    std::string title = text.substr(0, size / 3), body = ExportBody(text, title);
    std::string fragment = RecordFragment(static_cast<int>(size), title, body);
    std::string bare = RecordFragment(static_cast<int>(size), "", "");
    FUZZ_CHECK(Count(fragment, '<') == Count(bare, '<') && Count(fragment, '>') == Count(bare, '>'));
    return 0;
}
