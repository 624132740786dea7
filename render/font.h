#pragma once
// The built-in 8x16 code page 437 font: byte 16 * glyph + row, bit 7 leftmost.
#include <cstdint>

extern const uint8_t builtin_font[4096];
