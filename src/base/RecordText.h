// Helpers on record text shared by titles, the dump, the editor and the export: the trim
// set, and the UTF-8 checks that keep a cut from splitting a character.
#pragma once

#include <string_view>

bool IsInTrimSet(char c);
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);

// Equal when compared without regard to ASCII letter case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

bool IsValidUtf8(std::string_view s);
// Drops a trailing incomplete UTF-8 sequence left by a byte cut. Text that is not UTF-8
// before that tail (a record written in Windows-1252) is left as it is.
std::string_view DropIncompleteUtf8Tail(std::string_view s);
// The first n characters (UTF-8 sequences, or bytes of text that is not UTF-8).
std::string_view CutToCharacters(std::string_view s, std::size_t n);
