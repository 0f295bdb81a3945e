// Small types that the toolkit-free layers share with the window system: a row of the record
// list and a link found in a line of text. Apart from Gui.h so that code that never opens a
// window needs nothing of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SelectorEntry {
    std::string title;
    std::int64_t slot;
};

struct LinkSpan {
    int start;  // in UTF-16 code units of the line
    int length;
};
using LinkDetector = std::vector<LinkSpan> (*)(std::u16string_view line);
