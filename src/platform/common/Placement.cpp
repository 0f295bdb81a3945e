// Window placement as rectangle arithmetic, shared by both backends: fitting into a work area,
// and the widest entries of a list.
#include "platform/Placement.h"

#include <algorithm>

namespace {

int Right(const Rect& r) { return r.x + r.width; }
int Bottom(const Rect& r) { return r.y + r.height; }

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

Rect FitIntoArea(Rect r, Rect area) {
    if (area.width <= 0 || area.height <= 0) return r;
    r.width = std::min(r.width, area.width);
    r.height = std::min(r.height, area.height);
    r.x = Clamp(r.x, area.x, Right(area) - r.width);
    r.y = Clamp(r.y, area.y, Bottom(area) - r.height);
    return r;
}

// One pass that keeps the longest so far in order: a longer text is rare after the first rows.
std::vector<std::size_t> LongestEntries(const std::vector<std::string>& texts, std::size_t count) {
    std::vector<std::size_t> rows;
    if (count == 0) return rows;
    rows.reserve(count + 1);
    for (std::size_t row = 0; row < texts.size(); ++row) {
        std::size_t length = texts[row].size();
        if (rows.size() == count && length <= texts[rows.back()].size()) continue;
        auto at = std::find_if(rows.begin(), rows.end(), [&](std::size_t kept) { return texts[kept].size() < length; });
        rows.insert(at, row);
        if (rows.size() > count) rows.pop_back();
    }
    return rows;
}
