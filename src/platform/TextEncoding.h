// The two encodings a stored record may be in; the editor keeps the one its text was set in.
#pragma once

#include <cstdint>

enum TextEncoding : std::uint8_t { kEncodingUtf8, kEncodingWindows1252 };
