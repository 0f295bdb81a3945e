// The two text rules both searches share, from the toolkit on Linux and from the system on
// Windows: apart from Gui.h, so that code that never opens a window needs nothing of it.
#pragma once

#include <string>
#include <string_view>

// Full Unicode case folding, from any thread: ß and ẞ become "ss", every other character
// folds to one of the same length.
std::u16string FoldCase(std::u16string_view text);
// A letter, digit or underscore: what whole-word matching takes for part of a word.
bool IsWordPart(char16_t c);
