#pragma once
// How much of a piece a thumbnail shows and how small it is drawn.
#include <cstdint>

struct PixelSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Rows of a piece `columns` wide that a thumbnail takes from its top: all of
// them, up to a square's worth. Art is often very tall, and the whole of it in
// a thumbnail would be a strip too thin to make out.
uint32_t thumbnail_rows(uint32_t columns, uint32_t rows);

// `image` scaled down so neither side passes `longest` pixels, the aspect kept
// (rounded, no side below 1); never scaled up.
PixelSize thumbnail_size(PixelSize image, uint32_t longest);
