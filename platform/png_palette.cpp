#include "platform/png_palette.h"

#include <cstring>

namespace {

bool same_colour(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

}  // namespace

void mark_used_indices(const uint8_t* pixels, size_t count, UsedIndices& marks) {
    // Art is mostly runs of one colour: a word equal to the last marked byte
    // repeated eight times adds nothing and is passed over whole.
    size_t i = 0;
    uint8_t last = count ? pixels[0] : 0;
    marks.used[last] = true;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, pixels + i, 8);
        if (word == 0x0101010101010101ull * last) continue;
        for (size_t j = 0; j < 8; ++j) marks.used[pixels[i + j]] = true;
        last = pixels[i + 7];
    }
    for (; i < count; ++i) marks.used[pixels[i]] = true;
}

PngPalette fold_palette(const RGBQUAD* colours, const UsedIndices& marks) {
    PngPalette palette;
    for (uint32_t index = 0; index < 256; ++index) {
        if (!marks.used[index]) continue;
        uint32_t entry = 0;
        while (entry < palette.count && !same_colour(palette.entries[entry], colours[index])) ++entry;
        if (entry == palette.count) {
            palette.entries[entry] = colours[index];
            palette.entries[entry].rgbReserved = 0;
            ++palette.count;
        }
        palette.entry_of[index] = static_cast<uint8_t>(entry);
    }
    if (palette.count == 0) palette.count = 1;
    palette.bit_depth = palette.count <= 2 ? 1 : palette.count <= 4 ? 2 : palette.count <= 16 ? 4 : 8;
    return palette;
}

namespace {

// Pixels per byte at depth 8 / per_byte, first pixel in the highest bits.
template <uint32_t per_byte>
void pack_at(const uint8_t* entry, const uint8_t* indices, uint32_t width, uint8_t* out) {
    constexpr uint32_t depth = 8 / per_byte;
    const uint32_t whole = width / per_byte;
    for (uint32_t i = 0; i < whole; ++i, indices += per_byte) {
        uint32_t byte = 0;
        for (uint32_t k = 0; k < per_byte; ++k) byte = (byte << depth) | entry[indices[k]];
        out[i] = static_cast<uint8_t>(byte);
    }
    const uint32_t rest = width % per_byte;
    if (rest) {
        uint32_t byte = 0;
        for (uint32_t k = 0; k < rest; ++k) byte = (byte << depth) | entry[indices[k]];
        out[whole] = static_cast<uint8_t>(byte << (depth * (per_byte - rest)));
    }
}

}  // namespace

void pack_row(const PngPalette& palette, const uint8_t* indices, uint32_t width, uint8_t* out) {
    switch (palette.bit_depth) {
        case 1: return pack_at<8>(palette.entry_of, indices, width, out);
        case 2: return pack_at<4>(palette.entry_of, indices, width, out);
        case 4: return pack_at<2>(palette.entry_of, indices, width, out);
        default: return pack_at<1>(palette.entry_of, indices, width, out);
    }
}
