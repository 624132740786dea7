// What composition draws for the texts and ranges that matter: line ends,
// clipping, scrolled rows, colours of plain and ANSI text.
#include <gtest/gtest.h>

#include "tests/native/render_test_support.h"

namespace {

constexpr uint8_t kPlainInk = 71;
constexpr uint8_t kBlack = 0;

struct PlainCase {
    const char* name;
    std::string text;
    Ranges ranges;
    std::vector<std::string> rows;  // expected cells; every other cell stays black
};

const Ranges kWholeView = {0, 29, 0, 83};

TEST(FrameCompose, PlainTextCells) {
    const PlainCase cases[] = {
        {"CR LF is one line end", "AB\r\nDE", kWholeView, {"AB", "DE"}},
        {"the byte after CR is passed over", "A\rBD\n", kWholeView, {"A", "D"}},
        {"CR CR is one line end", "A\r\rB", kWholeView, {"A", "B"}},
        {"LF LF X", "\n\nX", kWholeView, {"", "", "X"}},
        {"left clipping", "ABCDE", {0, 29, 2, 10}, {"CDE"}},
        {"left and right clipping", "ABCDE", {0, 29, 2, 3}, {"CD"}},
        {"scrolled rows", "P\nQ\nR", {1, 2, 0, 83}, {"Q", "R"}},
        {"scrolled past CR LF", "P\r\nQ\r\nR", {2, 31, 0, 83}, {"R"}},
        {"bottom row limits the rows", "A\nB\nC\nD", {0, 1, 0, 83}, {"A", "B"}},
        {"TAB is glyph 9 in one column", "A\tB", kWholeView, {"A\tB"}},
        {"NUL is drawn as its glyph", std::string("A\0B", 3), kWholeView, {std::string("A\0B", 3)}},
        {"ESC in a plain file is a character", "\x1b[31mX", kWholeView, {"\x1b[31mX"}},
        {"rows after the text stay black", "X\n", kWholeView, {"X"}},
        {"top row after bottom row draws nothing", "A\nB\nC", {2, 1, 0, 83}, {}},
        {"left column after right column draws nothing", "ABC", {0, 29, 2, 1}, {}},
        {"high bytes are glyphs", "\xDB\xB0\xFF", kWholeView, {"\xDB\xB0\xFF"}},
        {"line longer than the view is cut", std::string(100, 'W'), kWholeView, {std::string(84, 'W')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShownText shown = show_text(c.text, {}, c.ranges);
        Viewer& v = *shown.viewer;
        v.compose();
        for (uint32_t row = 0; row < v.view_rows; ++row) {
            for (uint32_t col = 0; col < v.view_cols; ++col) {
                const bool has_char = row < c.rows.size() && col < c.rows[row].size();
                if (has_char) {
                    const uint8_t ch = static_cast<uint8_t>(c.rows[row][col]);
                    EXPECT_TRUE(cell_shows(v, col, row, ch, kPlainInk, kBlack))
                        << "cell " << col << "," << row << " should show " << int(ch);
                } else {
                    EXPECT_TRUE(cell_filled(v, col, row, kBlack))
                        << "cell " << col << "," << row << " should be black";
                }
            }
        }
    }
}

struct AnsiCell {
    uint32_t column, row;
    uint8_t ch, ink, paper;
};

struct AnsiCase {
    const char* name;
    std::string text;
    std::vector<uint8_t> attrs;
    std::vector<AnsiCell> cells;
    std::vector<std::pair<uint32_t, uint32_t>> black_cells;
};

TEST(FrameCompose, AnsiColours) {
    const AnsiCase cases[] = {
        {"bright red on blue", "A", {0x61}, {{0, 0, 'A', 65, 32}}, {{1, 0}}},
        {"grey on black", "A", {0x07}, {{0, 0, 'A', 7, 0}}, {}},
        {"bit 7 plays no part", "A", {0xE1}, {{0, 0, 'A', 65, 32}}, {}},
        {"attribute 0 draws black on black", "\xDB", {0x00}, {}, {{0, 0}}},
        {"background only fills drawn cells", "AB\nC", {0x61, 0x61, 0x61, 0x61},
         {{0, 0, 'A', 65, 32}, {1, 0, 'B', 65, 32}, {0, 1, 'C', 65, 32}},
         {{2, 0}, {3, 0}, {1, 1}, {0, 2}}},
        {"each byte takes its own attribute", "\xDC\xDC", {0x1C, 0x47},
         {{0, 0, 0xDC, 4, 24}, {1, 0, 0xDC, 71, 0}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShownText shown = show_text(c.text, c.attrs, kWholeView);
        Viewer& v = *shown.viewer;
        v.compose();
        for (const auto& cell : c.cells)
            EXPECT_TRUE(cell_shows(v, cell.column, cell.row, cell.ch, cell.ink, cell.paper))
                << "cell " << cell.column << "," << cell.row;
        for (const auto& cell : c.black_cells)
            EXPECT_TRUE(cell_filled(v, cell.first, cell.second, kBlack))
                << "cell " << cell.first << "," << cell.second;
    }
}

TEST(FrameCompose, PlainDocumentIgnoresAttributes) {
    // A plain file shows bright white on black even when attribute bytes exist.
    ShownText shown = show_text("A", {0x61}, kWholeView);
    shown.viewer->document->is_ansi = 0;
    shown.viewer->compose();
    EXPECT_TRUE(cell_shows(*shown.viewer, 0, 0, 'A', kPlainInk, kBlack));
}

TEST(FrameCompose, FreshViewerComposesAllBlack) {
    auto v = std::make_unique<Viewer>();
    v->init();
    std::memset(v->frame.get(), 0x5A, kFrameBytes);
    v->compose();
    for (uint32_t i = 0; i < 672u * 480u; ++i) ASSERT_EQ(v->frame[i], 0) << i;
}

TEST(FrameCompose, StopsAtShownLength) {
    // The wrapped view's length, not the buffer's, ends the text.
    ShownText shown = show_text("ABCDEF", {}, kWholeView);
    shown.viewer->cur_length = 4;
    shown.viewer->compose();
    EXPECT_TRUE(cell_shows(*shown.viewer, 3, 0, 'D', kPlainInk, kBlack));
    EXPECT_TRUE(cell_filled(*shown.viewer, 4, 0, kBlack));
}

TEST(FrameCompose, LeavesBytesPastTheViewAlone) {
    ShownText shown = show_text("AB", {}, {0, 1, 0, 3});
    Viewer& v = *shown.viewer;
    v.view_cols = 4;
    v.view_rows = 2;
    v.frame_width = 32;
    v.frame_height = 32;
    std::memset(v.frame.get(), 0x5A, kFrameBytes);
    v.compose();
    EXPECT_TRUE(cell_shows(v, 1, 0, 'B', kPlainInk, kBlack));
    for (uint32_t i = 32 * 32; i < kFrameBytes; ++i) ASSERT_EQ(v.frame[i], 0x5A) << i;
}

TEST(FrameCompose, DrawGlyphPlacesCellByViewStride) {
    auto v = std::make_unique<Viewer>();
    v->init();
    v->clear_frame();
    v->draw_glyph(83, 29, 0x1DB, 65, 8);  // only the low 8 bits of ch count
    EXPECT_TRUE(cell_filled(*v, 83, 29, 65));
    EXPECT_TRUE(cell_filled(*v, 82, 29, 0));
    v->draw_glyph(84, 0, 0xDB, 65, 8);  // outside the view: nothing
    v->draw_glyph(0, 30, 0xDB, 65, 8);
    for (uint32_t i = 0; i < 672u * 464u; ++i) ASSERT_EQ(v->frame[i], 0) << i;
}

}  // namespace
