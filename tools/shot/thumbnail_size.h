#pragma once
// How much of a piece a thumbnail shows and how small it is drawn.
#include <cstdint>

#include "tools/shot/shot_view.h"

struct PixelSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// What a thumbnail reads of its file: the rows down to --top and
// kThumbnailReadRows more, at kThumbnailRowCharacters characters a row (80,
// and a line end of up to two), from at most kThumbnailBytesPerCharacter bytes
// of file a character (colours and cursor moves take bytes of their own). Art
// of a few hundred rows is so read whole, and its width is its widest row's;
// a larger file, however hostile, costs no more than that. Only a file (or
// standard input) is read: a FIFO or a device would keep a thumbnailer waiting.
constexpr uint32_t kThumbnailReadRows = 1000;
constexpr uint32_t kThumbnailRowCharacters = 82;
constexpr uint32_t kThumbnailBytesPerCharacter = 16;
InputLimit thumbnail_input(uint32_t top);

// Rows of a piece `columns` wide that a thumbnail takes from its top: all of
// them, up to a square's worth. Art is often very tall, and the whole of it in
// a thumbnail would be a strip too thin to make out.
uint32_t thumbnail_rows(uint32_t columns, uint32_t rows);

// `image` scaled down so neither side passes `longest` pixels, the aspect kept
// (rounded, no side below 1); never scaled up.
PixelSize thumbnail_size(PixelSize image, uint32_t longest);
