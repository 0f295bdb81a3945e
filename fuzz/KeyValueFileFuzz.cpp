// Parse, rewrite, parse again: the same groups, keys and values, and the rewrite is stable.
#include <string>

#include "FuzzSupport.h"
#include "core/settings/KeyValueFile.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PrepareOnce();
    KeyFile first;
    ParseKeyLines(std::string_view(reinterpret_cast<const char*>(data), size), &first);
    std::string written = FormatKeyLines(first);
    // A file without a byte-order mark whose first line starts with those three bytes cannot
    // be written so that it reads back the same: the mark would be taken for what it says.
    if (!first.utf8 && written.rfind("\xEF\xBB\xBF", 0) == 0) return 0;
    KeyFile second;
    ParseKeyLines(written, &second);
    FUZZ_CHECK(first.utf8 == second.utf8);
    FUZZ_CHECK(first.lines.size() == second.lines.size());
    for (std::size_t i = 0; i < first.lines.size(); ++i) {
        FUZZ_CHECK(first.lines[i].kind == second.lines[i].kind);
        FUZZ_CHECK(first.lines[i].name == second.lines[i].name);
        FUZZ_CHECK(first.lines[i].value == second.lines[i].value);
    }
    FUZZ_CHECK(FormatKeyLines(second) == written);
    // Lookups and writes on whatever was parsed keep the file well-formed.
    SelectGroup(&second, "Options");
    ReadInteger(second, "Zoom", 100);
    WriteText(&second, "Font Name", std::string(reinterpret_cast<const char*>(data), size < 40 ? size : 40));
    KeyFile third;
    ParseKeyLines(FormatKeyLines(second), &third);
    SelectGroup(&third, "Options");
    return 0;
}
