#pragma once
// The program's icons, drawn with glyphs of the built-in font in the 16
// colours: a large 'G' on a tile of shades for the program, the same 'G' on a
// plain tile for the small icon, and a page of coloured cells for documents.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "render/font.h"
#include "tools/assets/cell_canvas.h"
#include "tools/assets/image_files.h"

namespace assets {

constexpr int kIconSize = int(IconImage::kSize);

inline bool font_pixel(uint8_t ch, int x, int y) {
    return (builtin_font[16 * ch + y] >> (7 - x)) & 1;
}

inline void icon_set(IconImage& icon, int x, int y, uint8_t colour) {
    if (x < 0 || y < 0 || x >= kIconSize || y >= kIconSize) return;
    icon.colours[size_t(y) * kIconSize + size_t(x)] = colour;
    icon.transparent[size_t(y) * kIconSize + size_t(x)] = 0;
}

// Draws glyph ch with its cell's top left at (x, y), each font pixel as a
// scale_x by scale_y block; ink only, the paper is left alone.
inline void icon_glyph(IconImage& icon, int x, int y, uint8_t ch, uint8_t ink, int scale_x = 1,
                       int scale_y = 1) {
    for (int gy = 0; gy < 16; ++gy)
        for (int gx = 0; gx < 8; ++gx)
            if (font_pixel(ch, gx, gy))
                for (int sy = 0; sy < scale_y; ++sy)
                    for (int sx = 0; sx < scale_x; ++sx)
                        icon_set(icon, x + gx * scale_x + sx, y + gy * scale_y + sy, ink);
}

// Draws glyph ch as a whole opaque cell, ink on paper.
inline void icon_cell(IconImage& icon, int x, int y, uint8_t ch, uint8_t ink, uint8_t paper) {
    for (int gy = 0; gy < 16; ++gy)
        for (int gx = 0; gx < 8; ++gx) icon_set(icon, x + gx, y + gy, font_pixel(ch, gx, gy) ? ink : paper);
}

inline IconImage empty_icon(uint32_t bits) {
    IconImage icon;
    icon.bits = bits;
    icon.transparent.assign(icon.transparent.size(), 1);
    return icon;
}

// A tile with rounded corners and a one-pixel frame; inside it the cells
// (4 across, 2 down) show the given glyphs, ink on paper.
inline void icon_tile(IconImage& icon, const uint8_t (&glyphs)[2][4], uint8_t ink, uint8_t paper,
                      uint8_t frame) {
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col) icon_cell(icon, col * 8, row * 16, glyphs[row][col], ink, paper);
    constexpr int kLast = kIconSize - 1;
    for (int i = 0; i < kIconSize; ++i) {
        icon_set(icon, i, 0, frame);
        icon_set(icon, i, kLast, frame);
        icon_set(icon, 0, i, frame);
        icon_set(icon, kLast, i, frame);
    }
    // Cut the corners round: two pixels off each, and the frame's corner pixel set inside.
    for (int cx : {0, kLast})
        for (int cy : {0, kLast}) {
            const int dx = cx == 0 ? 1 : -1;
            const int dy = cy == 0 ? 1 : -1;
            for (int i = 0; i < 2; ++i) {
                icon.transparent[size_t(cy) * kIconSize + size_t(cx + dx * i)] = 1;
                icon.transparent[size_t(cy + dy * i) * kIconSize + size_t(cx)] = 1;
            }
            icon_set(icon, cx + dx, cy + dy, frame);
        }
}

struct GlyphBounds {
    int left = 8, top = 16, right = -1, bottom = -1;  // inclusive; empty when right < left
};

inline GlyphBounds glyph_bounds(uint8_t ch) {
    GlyphBounds b;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            if (font_pixel(ch, x, y)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// The letter 'G' from the font at twice its size with a shadow, the two
// together centred on the icon whatever the font's letter looks like.
inline void big_g(IconImage& icon, uint8_t ink, uint8_t shadow) {
    constexpr int kScale = 2;
    constexpr int kShadow = 2;
    const GlyphBounds b = glyph_bounds('G');
    const int width = (b.right - b.left + 1) * kScale + kShadow;
    const int height = (b.bottom - b.top + 1) * kScale + kShadow;
    const int x = (kIconSize - width) / 2 - b.left * kScale;
    const int y = (kIconSize - height) / 2 - b.top * kScale;
    icon_glyph(icon, x + kShadow, y + kShadow, 'G', shadow, kScale, kScale);
    icon_glyph(icon, x, y, 'G', ink, kScale, kScale);
}

inline IconImage app_icon(uint32_t bits) {
    IconImage icon = empty_icon(bits);
    const uint8_t shades[2][4] = {{kDarkShade, kDarkShade, kDarkShade, kDarkShade},
                                  {kMediumShade, kMediumShade, kMediumShade, kMediumShade}};
    icon_tile(icon, shades, blue, black, bright_blue);
    big_g(icon, bright_yellow, black);
    return icon;
}

inline IconImage app_small_icon() {
    IconImage icon = empty_icon(8);
    const uint8_t plain[2][4] = {{kFullBlock, kFullBlock, kFullBlock, kFullBlock},
                                 {kFullBlock, kFullBlock, kFullBlock, kFullBlock}};
    icon_tile(icon, plain, blue, blue, bright_blue);
    big_g(icon, bright_yellow, black);
    return icon;
}

// A white page with a folded corner; on it a row of cells (a letter, a heart,
// a shade) and lines of colour under them, like a piece of ANSI art.
inline IconImage document_icon() {
    IconImage icon = empty_icon(8);
    constexpr int kLeft = 3, kRight = 28, kTop = 0, kBottom = 31, kFold = 7;
    for (int y = kTop; y <= kBottom; ++y)
        for (int x = kLeft; x <= kRight; ++x) {
            const int into_fold = x - (kRight - kFold) - (y - kTop);
            if (into_fold > 0) continue;  // the corner folded away
            const bool edge = x == kLeft || x == kRight || y == kTop || y == kBottom || into_fold == 0;
            icon_set(icon, x, y, edge ? grey : bright_white);
        }
    // The fold itself, its underside in light grey.
    for (int i = 0; i <= kFold; ++i) {
        for (int x = kRight - kFold; x <= kRight - kFold + i; ++x) icon_set(icon, x, kTop + i, white);
        icon_set(icon, kRight - kFold + i, kTop + i, grey);
        icon_set(icon, kRight - kFold, kTop + i, grey);
        icon_set(icon, kRight - kFold + i, kTop + kFold, grey);
    }
    icon_cell(icon, 4, 7, 'A', bright_blue, bright_white);
    icon_cell(icon, 12, 7, 0x03, bright_red, bright_white);  // a heart
    icon_cell(icon, 20, 7, kMediumShade, green, bright_white);
    const struct {
        int y, x0, x1;
        uint8_t colour;
    } lines[] = {{3, 5, 17, magenta}, {25, 5, 24, bright_red}, {28, 5, 16, green}};
    for (const auto& line : lines)
        for (int x = line.x0; x <= line.x1; ++x) {
            icon_set(icon, x, line.y, line.colour);
            icon_set(icon, x, line.y + 1, line.colour);
        }
    return icon;
}

}  // namespace assets
