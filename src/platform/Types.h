// Small types that the toolkit-free layers share with the window system: a link found in a
// line of text and the rules of an editor's text. Apart from Gui.h so that code that never
// opens a window needs nothing of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextEncoding.h"

struct LinkSpan {
    int start;  // in UTF-16 code units of the line
    int length;
};
using LinkDetector = std::vector<LinkSpan> (*)(std::u16string_view line);

// What an editor shows of record bytes, what a save stores of its text, and how much input
// fits: the program's rules, handed to each editor so that both toolkits count alike.
struct EditorTextRules {
    TextEncoding (*encodingOf)(std::string_view bytes);
    std::u16string (*decode)(std::string_view bytes);
    // Text as the editor may hold it; everything that enters the editor passes this.
    std::u16string (*clean)(std::u16string_view text);
    TextEncoding (*encode)(std::u16string_view text, TextEncoding preferred, std::string* bytes);
    std::size_t (*storedSize)(std::u16string_view text, TextEncoding preferred);
    // How much of insertion fits in place of text[start, end) within limit stored bytes.
    std::size_t (*fitting)(std::u16string_view text, std::size_t start, std::size_t end, std::u16string_view insertion,
                           TextEncoding preferred, std::size_t limit);
};
