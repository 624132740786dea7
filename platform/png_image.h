#pragma once
// PNG output: palette-indexed pixels written as an RGB PNG, and PNGs written a
// row at a time from rows their caller makes on request, so no copy of the
// whole image is ever needed.
#include <cstdint>
#include <string>

#include "platform/png_palette.h"
#include "platform/win32.h"

// 1 when `path` now holds the width x height image whose pixel i has the
// colour colours[indices[i]]; 0 on failure, leaving no file.
int write_indexed_png(const char* path, uint32_t width, uint32_t height, const uint8_t* indices,
                      const RGBQUAD* colours);

// libpng refuses wider or taller images by default, and so do most readers.
constexpr uint32_t kPngMaxSide = 1000000;

// Why a width x height image cannot be a PNG, or "" when it can.
std::string png_size_problem(uint64_t width, uint64_t height);

// zlib's level (0-9) and strategy (Z_DEFAULT_STRATEGY 0, Z_FILTERED 1,
// Z_HUFFMAN_ONLY 2, Z_RLE 3) and libpng's row filters (PNG_FILTER_* bits).
// The defaults were measured on art (bench_shot): for palette rows, filtering
// costs time and saves nothing.
struct PngCompression {
    int level = 6;
    int strategy = 0;
    int filters = 0x08;  // PNG_FILTER_NONE
    int window_bits = 12;  // zlib's window: 2^window_bits bytes
    int memory_level = 6;  // zlib's memLevel (1-9): hash table and symbol buffer sizes
};

// Row y (0 = top) of the image, or null when it cannot be made (the write then
// fails). A palette image's row is `width` palette indices; an RGB image's
// 3 * width bytes, red first.
using PngRowSource = const uint8_t* (*)(void* context, uint32_t y);

struct PngRows {
    uint32_t width = 0;
    uint32_t height = 0;
    PngRowSource row = nullptr;
    void* context = nullptr;
};

// Write `rows` to `path` as an indexed PNG with `palette` (from fold_palette),
// or as an RGB PNG, where open_output puts it ("-" standard output). A file
// appears whole or not at all, and only once the first row has been made. On
// failure `error` says why (an image too large for PNG, the system's reason a
// file cannot be made, libpng's message) and any earlier file at `path` is
// left as it was.
bool write_palette_png(const char* path, const PngRows& rows, const PngPalette& palette,
                       const PngCompression& compression, std::string& error);
bool write_rgb_png(const char* path, const PngRows& rows, const PngCompression& compression,
                   std::string& error);
