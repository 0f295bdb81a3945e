// Link detection in the editor's text and the target a clicked link opens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

constexpr std::size_t kLinkLimit = 511;

// The links of one line: a known scheme (or "www.") at the start of a word, running to the
// next blank, less trailing punctuation; none holds a format character (U+202E, U+200B, ...),
// stands inside a change of direction left open before it, or is longer than kLinkLimit bytes.
std::vector<LinkSpan> FindLinks(std::u16string_view line);
// What the shell gets for a clicked link: at most 511 bytes, and "www." links as http.
std::string LinkTarget(const std::string& link);
