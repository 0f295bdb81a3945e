// Link detection: spans inside the line, in order, apart, each starting with a known scheme,
// none holding a character that hides or reorders what is drawn; and a link's target never longer than its limit nor cut inside a character.
#include <string>

#include "FuzzSupport.h"
#include "base/RecordText.h"
#include "core/links/Links.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    std::u16string line;
    for (std::size_t i = 0; i + 1 < size; i += 2) line += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    int end = 0;
    for (const LinkSpan& span : FindLinks(line)) {
        FUZZ_CHECK(span.start >= end && span.length > 0);
        FUZZ_CHECK(static_cast<std::size_t>(span.start + span.length) <= line.size());
        char16_t first = line[static_cast<std::size_t>(span.start)];
        FUZZ_CHECK(first == u'h' || first == u'H' || first == u'm' || first == u'M' || first == u'f' || first == u'F' ||
                   first == u'n' || first == u'N' || first == u't' || first == u'T' || first == u'w' || first == u'W');
        for (int k = span.start; k < span.start + span.length; ++k) {
            char16_t c = line[static_cast<std::size_t>(k)];
            FUZZ_CHECK(!(c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
                         (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) ||
                         c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB)));
        }
        end = span.start + span.length;
    }
    std::string link(reinterpret_cast<const char*>(data), size);
    std::string target = LinkTarget(link);
    FUZZ_CHECK(target.size() <= kLinkLimit + 7);
    if (IsValidUtf8(link)) FUZZ_CHECK(IsValidUtf8(target));
    return 0;
}
