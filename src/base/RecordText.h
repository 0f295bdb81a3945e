// Helpers on record text shared by titles, the dump, the editor and the export: the trim
// set, and cuts that keep to whole characters (the UTF-8 checks themselves are the
// platform's text coding).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/TextCoding.h"

// A row of the record list: the title shown and the slot it stands for.
struct SelectorEntry {
    std::string title;
    std::int64_t slot;
};

bool IsInTrimSet(char c);
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);

// Equal when compared without regard to ASCII letter case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The first n characters (UTF-8 sequences, or bytes of text that is not UTF-8).
std::string_view CutToCharacters(std::string_view s, std::size_t n);
