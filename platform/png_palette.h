#pragma once
// The colours a palette-indexed image really uses, folded into the smallest
// PNG palette: indices of the same colour share one entry, and the entry count
// decides how few bits a pixel needs.
#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

struct UsedIndices {
    bool used[256] = {};
};

// Marks every index among `count` pixels.
void mark_used_indices(const uint8_t* pixels, size_t count, UsedIndices& marks);

struct PngPalette {
    uint8_t entry_of[256] = {};  // image index -> palette entry (0 for unused indices)
    RGBQUAD entries[256] = {};
    uint32_t count = 0;          // 1..256 entries
    uint32_t bit_depth = 8;      // 1, 2, 4 or 8: the fewest that number `count` entries
};

// The palette of the marked indices' colours, in order of first index. An image
// that marks nothing still gets one (black) entry, as PNG needs one.
PngPalette fold_palette(const RGBQUAD* colours, const UsedIndices& marks);

// Writes `width` indices as palette entries packed at the palette's bit depth,
// the first pixel in the highest bits; `out` holds (width * depth + 7) / 8 bytes.
void pack_row(const PngPalette& palette, const uint8_t* indices, uint32_t width, uint8_t* out);
