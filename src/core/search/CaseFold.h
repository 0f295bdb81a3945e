// Case folding and the word test as the searches match: the system's one-to-one lowercase
// with the folds that lowercase lacks added here, and the system's character classes with the
// rule that makes words of them, so that both builds fold and match alike.
#pragma once

#include <string>
#include <string_view>

// Full Unicode case folding, from any thread: ß and ẞ become "ss", every other character
// folds to one of the same length; the dotted capital I stays as it is.
std::u16string FoldCase(std::u16string_view text);
// A letter, digit or underscore: what whole-word matching takes for part of a word, from any
// thread. A combining mark belongs to the letter before it, so a word does not end inside a
// letter; the system says which characters are letters, digits and marks (platform/CaseFolding.h).
bool IsWordPart(char16_t c);
