// The two text services under the searches, from the toolkit on Linux and from the system on
// Windows: apart from Gui.h, so that code that never opens a window needs nothing of it. The
// folding itself is core/search/CaseFold.h's.
#pragma once

#include <string>
#include <string_view>

// The lowercase of each character, one to one (a surrogate pair stays a pair), from any thread.
std::u16string LowerCase(std::u16string_view text);
// A letter, digit or underscore: what whole-word matching takes for part of a word.
bool IsWordPart(char16_t c);
