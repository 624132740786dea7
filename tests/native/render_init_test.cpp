// The Viewer as initialisation leaves it: start values, bitmap header, colour
// table and the glyph cache expanded from the built-in font.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/viewer.h"

TEST(ViewerInit, StartValuesHeaderColoursAndGlyphs) {
    Viewer v;
    v.init();
    const std::vector<uint32_t> sizes = {v.view_cols, v.view_rows, v.frame_width, v.frame_height, v.frame_capacity};
    EXPECT_EQ(sizes, (std::vector<uint32_t>{84, 30, 672, 480, kFrameBytes}));
    EXPECT_EQ(v.top_row | v.bottom_row | v.left_col | v.right_col | v.doc_rows | v.doc_cols | v.bg_index, 0u);
    EXPECT_EQ(v.fg_index, 71);
    ASSERT_TRUE(v.document && v.frame && v.glyph_cache);
    // The shown text is the fresh Document's one byte 0.
    EXPECT_TRUE(v.cur_text == v.document->text && v.cur_attrs == v.document->attrs && v.cur_length == 1);
    EXPECT_EQ(v.cur_text[0], 0);
    // size 40, width 672, height -480 (top-down), 1 plane, 8 bpp, BI_RGB, the rest 0.
    uint8_t header[40] = {40, 0, 0, 0, 0xA0, 0x02, 0, 0, 0x20, 0xFE, 0xFF, 0xFF, 1, 0, 8, 0};
    EXPECT_EQ(std::memcmp(&v.bitmap_info.bmiHeader, header, 40), 0);
    EXPECT_EQ(std::memcmp(&v.header_template, header, 40), 0);

    // Red, green, blue of the normal and bright colours. Ink uses entries 0-7
    // and 64-71, paper 0, 8, ..., 56; every other entry is black.
    const uint8_t normal[8][3] = {{0, 0, 0},   {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192}};
    const uint8_t bright[8][3] = {{128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 256; ++i) {
        const uint8_t* rgb = i < 8 ? normal[i] : i < 64 && i % 8 == 0 ? normal[i / 8]
                           : i >= 64 && i < 72 ? bright[i - 64] : normal[0];
        const RGBQUAD& q = v.bitmap_info.bmiColors[i];
        EXPECT_TRUE(q.rgbRed == rgb[0] && q.rgbGreen == rgb[1] && q.rgbBlue == rgb[2] && !q.rgbReserved) << i;
    }

    // Glyph rows first..last all ink (1) or all paper (0); 0xFF's last row is the cache's last byte.
    const int rows[][4] = {
        {0xDB, 0, 15, 1}, {0xDC, 0, 7, 0},  {0xDC, 8, 15, 1}, {0xDF, 0, 7, 1},  {0xDF, 8, 15, 0},
        {0x00, 0, 15, 0}, {0x20, 0, 15, 0}, {0xA9, 0, 15, 0}, {0xAA, 0, 15, 0}, {0xFF, 0, 15, 0}};
    for (const auto& r : rows)
        for (int i = 128 * r[0] + 8 * r[1]; i < 128 * r[0] + 8 * (r[2] + 1); ++i)
            EXPECT_EQ(v.glyph_cache[i], r[3]) << "glyph " << r[0] << " row " << (i / 8) % 16;
    // Row 3 of 'A' is 0x7C: the leftmost pixel comes from the top bit.
    EXPECT_EQ(std::memcmp(&v.glyph_cache[128 * 'A' + 8 * 3], "\0\1\1\1\1\1\0\0", 8), 0);
}
