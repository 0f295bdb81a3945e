// Case folding as the searches match: the system's one-to-one lowercase with the folds that
// lowercase lacks added here, so that both builds fold alike whatever their system knows.
#pragma once

#include <string>
#include <string_view>

// Full Unicode case folding, from any thread: ß and ẞ become "ss", every other character
// folds to one of the same length; the dotted capital I stays as it is.
std::u16string FoldCase(std::u16string_view text);
