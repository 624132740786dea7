// Rendering: the Viewer as init leaves it, composition byte for byte against a
// per-pixel reference, the line scan, and what paint presents to a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "tests/native/view_fixture.h"

namespace {

constexpr uint8_t kLf = 10, kCr = 13;
constexpr uint32_t kMax = 0xFFFFFFFFu;

using Ranges = std::array<uint32_t, 4>;  // top row, bottom row, left column, right column

// A fresh Viewer showing `text`, ANSI when `attrs` is not empty, from buffers
// exactly as long as the text so that ASan catches a read past its end.
struct Shown {
    Viewer v;
    std::unique_ptr<uint8_t[]> text, attrs;
    Shown(const std::string& t, const std::vector<uint8_t>& a, Ranges r = {0, 29, 0, 83}) {
        v.init();
        text.reset(new uint8_t[std::max<size_t>(t.size(), 1)]);
        v.cur_text = static_cast<uint8_t*>(std::memcpy(text.get(), t.data(), t.size()));
        v.cur_length = uint32_t(t.size());
        if (!a.empty()) attrs.reset(new uint8_t[a.size()]), v.document->is_ansi = 1;
        if (attrs) v.cur_attrs = static_cast<uint8_t*>(std::memcpy(attrs.get(), a.data(), a.size()));
        v.top_row = r[0], v.bottom_row = r[1], v.left_col = r[2], v.right_col = r[3];
    }
};

// True when cell (column, row) holds glyph `ch` in the colours; glyph 0 is blank.
bool cell_shows(const Viewer& v, uint32_t column, uint32_t row, uint8_t ch, uint8_t ink, uint8_t paper) {
    for (uint32_t i = 0; i < kCellWidth * kCellHeight; ++i)
        if (v.frame[(row * kCellHeight + i / 8) * v.frame_width + column * kCellWidth + i % 8] !=
            (v.glyph_cache[ch * kCellWidth * kCellHeight + i] ? ink : paper))
            return false;
    return true;
}

TEST(ViewerInit, StartValuesHeaderColoursAndGlyphs) {
    Viewer v;
    v.init();
    ASSERT_TRUE(v.document && v.frame && v.glyph_cache);
    // Showing the fresh Document's one byte 0, in a frame of the start size.
    EXPECT_TRUE(v.cur_text == v.document->text && v.cur_attrs == v.document->attrs && v.cur_length == 1);
    EXPECT_TRUE(v.cur_text[0] == 0 && v.frame_capacity == kFrameBytes);
    // size 40, width 672, height -480 (top-down), 1 plane, 8 bpp, BI_RGB, the rest 0.
    const uint8_t header[40] = {40, 0, 0, 0, 0xA0, 0x02, 0, 0, 0x20, 0xFE, 0xFF, 0xFF, 1, 0, 8, 0};
    EXPECT_EQ(std::memcmp(&v.bitmap_info.bmiHeader, header, 40), 0);
    EXPECT_EQ(std::memcmp(&v.header_template, header, 40), 0);
    // Normal then bright colours; ink uses entries 0-7 and 64-71, paper 0, 8, ..., 56; the rest are black.
    const uint8_t rgb[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                                {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                                {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = rgb[i < 8 ? i : i < 64 && i % 8 == 0 ? i / 8 : i >= 64 && i < 72 ? i - 56 : 0];
        const RGBQUAD& q = v.bitmap_info.bmiColors[i];
        EXPECT_TRUE(q.rgbRed == c[0] && q.rgbGreen == c[1] && q.rgbBlue == c[2] && !q.rgbReserved) << i;
    }
    // Glyphs whose rows are all ink (bit r set) or all paper; 0xFF's last row is the cache's last byte.
    const int glyphs[][2] = {{0xDB, 0xFFFF}, {0xDC, 0xFF00}, {0xDF, 0x00FF}, {0x00, 0}, {0x20, 0}, {0xA9, 0},
                             {0xAA, 0}, {0xFF, 0}};
    for (const auto& g : glyphs)
        for (int i = 0; i < 128; ++i)
            EXPECT_EQ(v.glyph_cache[128 * g[0] + i], (g[1] >> (i / 8)) & 1) << g[0] << " row " << i / 8;
    // Row 3 of 'A' is 0x7C: the leftmost pixel comes from the top bit.
    EXPECT_EQ(std::memcmp(&v.glyph_cache[128 * 'A' + 8 * 3], "\0\1\1\1\1\1\0\0", 8), 0);
}

// Pixel by pixel, with the same clipping to the view and refusal of a frame that
// does not match it.
void reference_compose(const Viewer& v, uint8_t* out) {
    const bool ansi = v.document->is_ansi == 1;
    const uint8_t* text = v.cur_text;
    const uint64_t length = !text || (ansi && !v.cur_attrs) ? 0 : v.cur_length;
    uint64_t pos = 0;
    for (uint64_t ends = 0; ends < v.top_row && pos < length; ++pos)
        if (text[pos] == kCr) ++ends, ++pos;
        else if (text[pos] == kLf) ++ends;
    const uint64_t drawn = uint64_t(v.frame_width) * v.frame_height;
    std::fill_n(out, std::min<uint64_t>(drawn, v.frame_capacity), v.bg_index);
    if (v.frame_width != v.view_cols * 8ull || v.frame_height != v.view_rows * 16ull) return;
    if (drawn > v.frame_capacity) return;
    for (uint64_t row = 0; v.top_row + row <= v.bottom_row && row < v.view_rows && pos < length; ++row) {
        for (uint64_t j = 0; pos < length; ++j, ++pos) {
            const uint8_t ch = text[pos];
            if (ch == kLf || ch == kCr) break;
            if (j < v.left_col || j > v.right_col || j - v.left_col >= v.view_cols) continue;
            const uint8_t ink = ansi ? v.cur_attrs[pos] & 0x47 : v.fg_index;
            // A bright background (bit 7) is drawn in the bright ink's slot of its colour.
            const uint8_t a = ansi ? v.cur_attrs[pos] : 0;
            const uint8_t paper = !ansi ? v.bg_index : a & 0x80 ? 64 + (a >> 3 & 7) : a & 0x38;
            for (uint64_t y = 0; y < 16; ++y)
                for (uint64_t x = 0; x < 8; ++x)
                    out[((row * 16 + y) * v.view_cols + j - v.left_col) * 8 + x] =
                        v.glyph_cache[128 * ch + 8 * y + x] ? ink : paper;
        }
        pos += pos < length && text[pos] == kCr ? 2 : 1;
    }
}

// The whole frame, bytes past the view included, must match.
bool composes_as_reference(Viewer& v) {
    static std::vector<uint8_t> expected(kFrameBytes);
    std::fill_n(v.frame.get(), kFrameBytes, 0xA5);
    std::fill(expected.begin(), expected.end(), 0xA5);
    reference_compose(v, expected.data());
    v.compose();
    return std::memcmp(v.frame.get(), expected.data(), kFrameBytes) == 0;
}

std::string random_text(std::mt19937& rng, size_t max_length) {
    std::uniform_int_distribution<int> pick(0, 99), any_byte(0, 255);
    const int lf_share = pick(rng) / 4;  // from no line ends at all to many
    const int cr_share = pick(rng) % 3 == 0 ? pick(rng) / 8 : 0;
    std::string text(std::uniform_int_distribution<size_t>(0, max_length)(rng), '\0');
    for (char& c : text) c = char(pick(rng) < lf_share ? kLf : pick(rng) < cr_share ? kCr : any_byte(rng));
    return text;
}

// Random texts and views, mostly as the view logic keeps them, then hostile ones they rarely reach;
// under ASan one byte outside the frame or the text fails them.
TEST(ComposeReference, MatchesPerPixelCompositionByteForByte) {
    auto check = [](const std::string& text, const std::vector<uint8_t>& attrs, Ranges ranges, uint32_t cols,
                    uint32_t rows, uint32_t width) {
        Shown s(text, attrs, ranges);
        s.v.view_cols = cols, s.v.view_rows = rows, s.v.frame_width = width, s.v.frame_height = rows * 16;
        return composes_as_reference(s.v);
    };
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<uint32_t> cols_of(0, 170), rows_of(0, 70), left_of(0, 120), any(0, kMax);
    std::uniform_int_distribution<int> tenth(0, 9), any_byte(0, 255);
    for (int round = 0; round < 400; ++round) {
        const std::string text = random_text(rng, round % 10 == 0 ? 20000 : 1500);
        std::vector<uint8_t> attrs(round % 2 ? std::max<size_t>(text.size(), 1) : 0);
        for (auto& a : attrs) a = uint8_t(any_byte(rng));
        const uint32_t cols = cols_of(rng), rows = std::min(rows_of(rng), 10240 / std::max(cols, 1u));
        const uint32_t width = tenth(rng) ? cols * 8 : any(rng) % 2000;
        const auto ends = std::count_if(text.begin(), text.end(), [](char c) { return c == kLf || c == kCr; });
        Ranges r;
        r[0] = std::uniform_int_distribution<uint32_t>(0, uint32_t(ends + 1))(rng), r[2] = left_of(rng);
        r[1] = r[0] + std::max(rows, 1u) - 1, r[3] = r[2] + std::max(cols, 1u) - 1;
        for (uint32_t& range : r)
            if (tenth(rng) == 0) range = any(rng);
        ASSERT_TRUE(check(text, attrs, r, cols, rows, width))
            << "round " << round << " view " << cols << "x" << rows << " at " << r[0] << "," << r[2];
    }
    const std::string art = "AB\r\nCD\nEFGH\rIJ\n\n" + std::string(300, 'x') + "\r";
    std::string tall;
    for (int line = 0; line < 200; ++line) tall += std::string(200, char('A' + line % 26)) + "\n";
    const struct { const char* name; std::string text; Ranges ranges; uint32_t cols, rows; } cases[] = {
        {"empty view", art, {0, kMax, 0, kMax}, 0, 0},
        {"view larger than the frame", art, {0, 999, 0, 999}, 1000, 1000},
        {"text ends in CR", "A\r", {1, 30, 0, 83}, 84, 30},
        {"empty text", "", {0, 29, 0, 83}, 84, 30},
        {"largest view", art, {0, 63, 0, 159}, 160, 64},
        {"ranges taller and wider than the view", tall, {0, 500, 0, 500}, 84, 30},
        {"largest view, unbounded ranges", tall, {0, kMax, 0, kMax}, 160, 64},
        {"scrolled, unbounded ranges", tall, {150, kMax, 150, kMax}, 160, 64},
    };
    for (int ansi = 0; ansi < 2; ++ansi)
        for (const auto& c : cases) {
            const std::vector<uint8_t> attrs(ansi ? std::max<size_t>(c.text.size(), 1) : 0, 0x1F);
            EXPECT_TRUE(check(c.text, attrs, c.ranges, c.cols, c.rows, c.cols * 8)) << c.name << " " << ansi;
        }
}

// Files opened into the view, shown unwrapped and wrapped at depths around
// the row index's steps, also after a failed open: composition from the
// Document's row index is the walk from the top.
class ComposeOpened : public ViewFixture {};
TEST_F(ComposeOpened, AtAnyDepthMatchesTheWalkFromTheTop) {
    std::mt19937 rng(99);
    const char* const ends[] = {"\n", "\r\n", "\r\r", "\rx", "\n\r"};
    for (int round = 0; round < 6; ++round) {
        std::string text = round % 2 ? "\x1b[1;33;44m" : "";
        for (uint32_t line = 3000 + rng() % 3000; line > 0; --line) {
            text += std::string(rng() % 130, char('a' + line % 26));
            if (round % 2 && rng() % 4 == 0) text += "\x1b[3" + std::to_string(rng() % 8) + "m\x1b[2C";
            text += ends[rng() % (round < 2 ? 2 : 5)];
        }
        ASSERT_EQ(viewer.open(write_file(text)), 1);
        for (int wrapped : {0, 1, 0}) {
            viewer.set_wrap(wrapped);
            for (uint32_t depth : {viewer.doc_rows, 0u, 2 * 1024u - 1, 1024u, 3 * 1024u + 1, viewer.doc_rows - 29,
                                   uint32_t(rng() % (viewer.doc_rows + 1)), uint32_t(rng() % (viewer.doc_rows + 1))}) {
                viewer.top_row = depth, viewer.bottom_row = depth + viewer.view_rows - 1;
                ASSERT_TRUE(composes_as_reference(viewer)) << round << " wrapped " << wrapped << " depth " << depth;
            }
            if (round % 2 == 0) {
                ASSERT_EQ(viewer.open(missing_file()), 0);
            }
        }
    }
}

TEST(FrameCompose, IllustrativeCellsAndMissingBuffers) {
    Shown shown("A\r\nD\rxE", std::vector<uint8_t>(7, 0x61));
    Viewer& v = shown.v;
    // CR LF is one line end, the byte after a lone CR is passed over; bright red on blue.
    v.compose();
    for (uint32_t row = 0; row < 3; ++row) EXPECT_TRUE(cell_shows(v, 0, row, "ADE"[row], 65, 32)) << row;
    v.document->is_ansi = 0, v.compose();  // a plain document ignores attributes
    EXPECT_TRUE(cell_shows(v, 0, 2, 'E', 71, 0));
    v.document->is_ansi = 1, v.cur_attrs = nullptr;  // an ANSI document without attributes draws no text
    EXPECT_TRUE(composes_as_reference(v) && cell_shows(v, 0, 0, 0, 0, 0));
    v.cur_text = nullptr, v.document->is_ansi = 0;
    EXPECT_TRUE(composes_as_reference(v));
    v.draw_glyph(83, 29, 0x1DB, 65, 8);  // only the low 8 bits of ch count
    v.draw_glyph(84, 0, 0xDB, 65, 8);    // outside the view: nothing
    EXPECT_TRUE(cell_shows(v, 83, 29, 0, 65, 65) && cell_shows(v, 0, 1, 0, 0, 0));
    v.glyph_cache.reset(), v.frame[0] = 0xA5, v.compose();  // as after a failed allocation: nothing at all
    EXPECT_EQ(v.frame[0], 0xA5);
    v.frame.reset(), v.frame_capacity = 0;
    v.compose(), v.clear_frame(), v.draw_glyph(0, 0, 'A', 1, 2);
}

// A Viewer attached to a virtual window, which must show its whole frame, top-down.
struct Attached : Shown {
    HWND window = create_virtual_window();
    explicit Attached(const char* text) : Shown(text, {}) { v.attach(GetDC(window), window); }
    void expect_presents_frame(int64_t width, int64_t height) const {
        const PresentedImage* image = presented_image(window);
        ASSERT_TRUE(image && image->pixels.size() == size_t(width * height));
        const BITMAPINFOHEADER& h = v.bitmap_info.bmiHeader;
        EXPECT_TRUE(image->width == width && image->height == height && !image->dest_x && !image->dest_y);
        EXPECT_TRUE(h.biWidth == width && h.biHeight == -height) << h.biWidth << "x" << h.biHeight;
        EXPECT_EQ(std::memcmp(image->pixels.data(), v.frame.get(), image->pixels.size()), 0);
        EXPECT_EQ(std::memcmp(image->colours, v.bitmap_info.bmiColors, sizeof image->colours), 0);
    }
};

// Only paint(1) recomposes; the header follows a resized frame while its template keeps
// the start values; without handles, frame or a fitting view nothing reaches the window.
TEST(FramePaint, PresentsTheFrameAndRecomposesOnlyOnOne) {
    for (int recompose : {0, 2, -1, 0x101}) {
        SCOPED_TRACE(recompose);
        Attached a("A\nC");
        a.v.paint(1);
        a.expect_presents_frame(672, 480);
        EXPECT_TRUE(cell_shows(a.v, 0, 1, 'C', 71, 0));
        const std::vector<uint8_t> first = presented_image(a.window)->pixels;
        a.text[0] = 'B';
        a.v.bitmap_info.bmiHeader.biWidth = a.v.bitmap_info.bmiHeader.biHeight = 1;
        a.v.paint(recompose);
        a.expect_presents_frame(672, 480);
        const PresentedImage* image = presented_image(a.window);
        EXPECT_TRUE(image->present_count == 2 && image->pixels == first);
        a.v.resize(100, 40);
        a.v.paint(1);
        EXPECT_TRUE(cell_shows(a.v, 0, 0, 'B', 71, 0));
        a.expect_presents_frame(800, 640);
        EXPECT_TRUE(a.v.header_template.biWidth == 672 && a.v.header_template.biHeight == -480);
    }
    // Not attached; no columns; no rows; no frame; a view larger than the frame.
    void (*spoil[])(Viewer&) = {
        [](Viewer& v) { v.attach(nullptr, nullptr); },
        [](Viewer& v) { v.view_cols = 0, v.frame_width = 0; },
        [](Viewer& v) { v.view_rows = 0, v.frame_height = 0; },
        [](Viewer& v) { v.frame.reset(), v.frame_capacity = 0; },
        [](Viewer& v) { v.view_cols = v.view_rows = 2000, v.frame_width = 16000, v.frame_height = 32000; },
    };
    for (auto& s : spoil) {
        Attached a("A");
        s(a.v);
        a.v.paint(1), a.v.paint(0);
        EXPECT_EQ(presented_image(a.window), nullptr) << "case " << &s - spoil;
    }
}

}  // namespace
