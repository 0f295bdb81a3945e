// The text services under the searches, from the toolkit on Linux and from the system on
// Windows: apart from Gui.h, so that code that never opens a window needs nothing of it. The
// folding itself is core/search/CaseFold.h's.
#pragma once

#include <string>
#include <string_view>

// The lowercase of each character, one to one (a surrogate pair stays a pair), from any thread.
std::u16string LowerCase(std::u16string_view text);
// The system's character classes, by its own tables, from any thread: a letter or digit of any
// script, and a combining mark. What makes a word of them is core/search/CaseFold.h's.
bool IsLetterOrDigit(char16_t c);
bool IsCombiningMark(char16_t c);
