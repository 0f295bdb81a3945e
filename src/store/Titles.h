// Record titles, derived and never stored: the load derivation looks at the first 48 bytes
// only, the save derivation at the whole first three lines; the two differ on purpose.
#pragma once

#include <string>
#include <string_view>

constexpr std::size_t kTitleLimit = 48;

// Field j (1-based) of the text split at the line-break string; empty past the last field.
std::string_view LineOf(std::string_view text, int j);
std::string LoadTitle(std::string_view decodedText);
std::string SaveTitle(std::string_view editorText);
