// A screen rectangle: position and size in pixels.
#pragma once

#include <cstdint>

struct Rect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};
