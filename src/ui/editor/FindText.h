// The search of the editor's text that the find dialog, F2, F3 and a chosen row of Find in All
// Records share: from a position, down or up, by whole words or not, folding case or not.
#pragma once

#include <string>
#include <string_view>

constexpr int kFindDown = 1;
constexpr int kFindWholeWord = 2;
constexpr int kFindMatchCase = 4;
constexpr int kFindNextFlag = 8;

// The start of the match in text from position from (UTF-16 units), or -1; *length is its
// length in text, which folding may make differ from the term's. Down, matches start at or
// after from; up, they end at or before it, so a term that overlaps itself ("aa" in "aaaa")
// steps by whole occurrences.
int FindInText(std::u16string_view text, std::u16string_view term, int from, int flags, int* length);
// The same over the editor's text, in its character positions; the term is UTF-8, a line
// break in it CR LF or LF.
int FindInEditor(int gadget, const std::string& term, int from, int flags, int* length);
