// The Viewer as initialisation leaves it: start values, bitmap header, colour
// table and the glyph cache expanded from the built-in font.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "render/font.h"
#include "render/viewer.h"

namespace {

std::unique_ptr<Viewer> fresh_viewer() {
    auto v = std::make_unique<Viewer>();
    v->init();
    return v;
}

TEST(ViewerInit, StartValues) {
    auto v = fresh_viewer();
    EXPECT_EQ(v->view_cols, 84u);
    EXPECT_EQ(v->view_rows, 30u);
    EXPECT_EQ(v->frame_width, 672u);
    EXPECT_EQ(v->frame_height, 480u);
    EXPECT_EQ(v->top_row, 0u);
    EXPECT_EQ(v->bottom_row, 0u);
    EXPECT_EQ(v->left_col, 0u);
    EXPECT_EQ(v->right_col, 0u);
    EXPECT_EQ(v->doc_rows, 0u);
    EXPECT_EQ(v->doc_cols, 0u);
    EXPECT_EQ(v->fg_index, 71);
    EXPECT_EQ(v->bg_index, 0);
    EXPECT_EQ(v->dc, nullptr);
    EXPECT_EQ(v->window, nullptr);
    ASSERT_NE(v->document, nullptr);
    ASSERT_NE(v->frame, nullptr);
    ASSERT_NE(v->glyph_cache, nullptr);
    EXPECT_EQ(v->frame_capacity, kFrameBytes);
    // The shown text is the fresh Document's one byte 0.
    EXPECT_EQ(v->cur_text, v->document->text);
    EXPECT_EQ(v->cur_attrs, v->document->attrs);
    EXPECT_EQ(v->cur_length, 1u);
    EXPECT_EQ(v->cur_text[0], 0);
}

TEST(ViewerInit, AttachStoresHandles) {
    auto v = fresh_viewer();
    HDC dc = reinterpret_cast<HDC>(uintptr_t(0x1238));
    HWND window = reinterpret_cast<HWND>(uintptr_t(0x1230));
    v->attach(dc, window);
    EXPECT_EQ(v->dc, dc);
    EXPECT_EQ(v->window, window);
}

TEST(ViewerInit, HeaderBytes) {
    auto v = fresh_viewer();
    // size 40, width 672, height -480, planes 1, 8 bpp, BI_RGB, the rest 0.
    const uint8_t expected[40] = {40, 0, 0, 0, 0xA0, 0x02, 0, 0, 0x20, 0xFE, 0xFF, 0xFF, 1, 0, 8, 0,
                                  0,  0, 0, 0, 0,    0,    0, 0, 0,    0,    0,    0,    0, 0, 0, 0,
                                  0,  0, 0, 0, 0,    0,    0, 0};
    EXPECT_EQ(std::memcmp(&v->bitmap_info.bmiHeader, expected, 40), 0);
    EXPECT_EQ(std::memcmp(&v->header_template, expected, 40), 0);
}

struct ColourEntry {
    int index;
    uint8_t blue, green, red;
};

TEST(ViewerInit, ColourTableEntries) {
    auto v = fresh_viewer();
    const ColourEntry cases[] = {
        {0, 0, 0, 0},         {1, 0, 0, 128},       {2, 0, 128, 0},      {3, 0, 128, 128},
        {4, 128, 0, 0},       {5, 128, 0, 128},     {6, 128, 128, 0},    {7, 192, 192, 192},
        {8, 0, 0, 128},       {16, 0, 128, 0},      {24, 0, 128, 128},   {32, 128, 0, 0},
        {40, 128, 0, 128},    {48, 128, 128, 0},    {56, 192, 192, 192}, {64, 128, 128, 128},
        {65, 0, 0, 255},      {66, 0, 255, 0},      {67, 0, 255, 255},   {68, 255, 0, 0},
        {69, 255, 0, 255},    {70, 255, 255, 0},    {71, 255, 255, 255},
    };
    for (const auto& c : cases) {
        const RGBQUAD& q = v->bitmap_info.bmiColors[c.index];
        EXPECT_EQ(q.rgbBlue, c.blue) << "entry " << c.index;
        EXPECT_EQ(q.rgbGreen, c.green) << "entry " << c.index;
        EXPECT_EQ(q.rgbRed, c.red) << "entry " << c.index;
        EXPECT_EQ(q.rgbReserved, 0) << "entry " << c.index;
    }
}

TEST(ViewerInit, UnusedColourEntriesAreBlack) {
    auto v = fresh_viewer();
    for (int i = 0; i < 256; ++i) {
        const bool used = i < 8 || (i < 64 && i % 8 == 0) || (i >= 64 && i < 72);
        if (used) continue;
        const RGBQUAD& q = v->bitmap_info.bmiColors[i];
        EXPECT_EQ(q.rgbBlue | q.rgbGreen | q.rgbRed | q.rgbReserved, 0) << "entry " << i;
    }
}

uint8_t cache_pixel(const Viewer& v, int glyph, int row, int x) {
    return v.glyph_cache[128 * glyph + 8 * row + x];
}

TEST(ViewerInit, GlyphCacheHoldsOnlyZeroAndOne) {
    auto v = fresh_viewer();
    for (uint32_t i = 0; i < kGlyphCacheBytes; ++i) ASSERT_LE(v->glyph_cache[i], 1) << i;
}

TEST(ViewerInit, GlyphCacheFollowsFontBits) {
    auto v = fresh_viewer();
    for (int b = 0; b < 4096; ++b)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(v->glyph_cache[8 * b + x], (builtin_font[b] >> (7 - x)) & 1) << b << "," << x;
}

struct GlyphRows {
    int glyph;
    int first_row, last_row;
    uint8_t pixel;  // every pixel of those rows
};

TEST(ViewerInit, GlyphCacheBlocksAndBlanks) {
    auto v = fresh_viewer();
    const GlyphRows cases[] = {
        {0xDB, 0, 15, 1}, {0xDC, 0, 7, 0}, {0xDC, 8, 15, 1}, {0xDF, 0, 7, 1}, {0xDF, 8, 15, 0},
        {0x00, 0, 15, 0}, {0x20, 0, 15, 0}, {0xA9, 0, 15, 0}, {0xAA, 0, 15, 0}, {0xFF, 0, 15, 0},
    };
    for (const auto& c : cases)
        for (int r = c.first_row; r <= c.last_row; ++r)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(cache_pixel(*v, c.glyph, r, x), c.pixel)
                    << "glyph " << c.glyph << " row " << r << " column " << x;
    EXPECT_EQ(v->glyph_cache[kGlyphCacheBytes - 1], 0);
}

TEST(ViewerInit, GlyphCacheCapitalAFlatTop) {
    auto v = fresh_viewer();
    // Row 3 of 'A' is 0x7C: columns 1-5 ink.
    const uint8_t row3[8] = {0, 1, 1, 1, 1, 1, 0, 0};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(cache_pixel(*v, 0x41, 3, x), row3[x]) << x;
}

}  // namespace
