#pragma once
// How much of a piece a thumbnail shows and how small it is drawn.
#include <cstdint>

#include "tools/shot/shot_view.h"
#include "tools/shot/text_extent.h"

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

// A row past the wrap column in what a thumbnail reads (its width counts its
// end) means art drawn for an 80-column screen, or a long record after it: a
// thumbnail shows it wrapped. Rows of at most 80 are left alone even where
// wrapping would move them (a lone CR does not restart the wrap's count).
// The standard reading's rows are its screen's, never wrapped.
void wrap_for_thumbnail(Viewer& viewer);

// Why a shown text of this extent has nothing to draw, or null when it has.
const char* nothing_to_draw(const TextExtent& extent);

// The cells a thumbnail shows of a view opened with thumbnail_input(top) and
// measured as `extent`: no row reaches past the column after the wrap column
// (the standard reading's screen is shown whole in width),
// the rows are at most a square's worth of them, from `top` or from where a
// window that tall lands when its thumb is dragged to `top`.
struct ThumbnailCrop {
    uint32_t columns = 0;
    uint32_t top = 0;
    uint32_t rows = 0;
};
ThumbnailCrop thumbnail_crop(const Viewer& viewer, const TextExtent& extent, uint32_t top);
