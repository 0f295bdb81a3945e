// The string table: every text of the program by its role. Stored scrambled in the binary,
// unscrambled once by UnscrambleStrings() at start-up; Str() is valid only after that.
#pragma once

#include <string>

enum StringId {
#define JC_STRING(id, text) id,
#include "base/Strings.inc"
#undef JC_STRING
    kStringCount
};

void UnscrambleStrings();
const std::string& Str(StringId id);
// Hands the file layer, which cannot read the table, the texts its failures are told in; once at
// start, after UnscrambleStrings(), by each entry point.
void HandTextsToFileLayer();
