// What the window backends place themselves, whatever the toolkit: a window within the work
// area of its screen, and a list as wide as its widest entries. Where the program places its
// windows is ui/Placement.h's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Rect.h"

// Shrunk to the area where it is larger, then moved into it.
Rect FitIntoArea(Rect r, Rect area);
// The rows of the longest texts by bytes, longest first, at most count of them: a list as wide
// as its widest entry measures only these (kMeasuredTitles), not every one of 32,767 titles.
constexpr std::size_t kMeasuredTitles = 16;
std::vector<std::size_t> LongestEntries(const std::vector<std::string>& texts, std::size_t count);
