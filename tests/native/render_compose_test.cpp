// Composition: the fast path against a plain per-pixel one, byte for byte, over
// random and hostile texts, ranges, view sizes and both colour modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "render/line_scan.h"
#include "tests/native/render_test_support.h"

namespace {

constexpr uint8_t kLf = 10, kCr = 13;
constexpr uint32_t kMax = 0xFFFFFFFFu;
const Ranges kWholeView = {0, 29, 0, 83};

// Pixel by pixel, with the same clipping to the view and the same refusal of
// a frame that does not match the view.
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
    if (v.frame_width != v.view_cols * 8ull || v.frame_height != v.view_rows * 16ull || drawn > v.frame_capacity)
        return;
    for (uint64_t row = 0; v.top_row + row <= v.bottom_row && row < v.view_rows && pos < length; ++row) {
        for (uint64_t j = 0; pos < length; ++j, ++pos) {
            const uint8_t ch = text[pos];
            if (ch == kLf || ch == kCr) break;
            if (j < v.left_col || j > v.right_col || j - v.left_col >= v.view_cols) continue;
            const uint8_t ink = ansi ? v.cur_attrs[pos] & 0x47 : v.fg_index;
            const uint8_t paper = ansi ? v.cur_attrs[pos] & 0x38 : v.bg_index;
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

TEST(ComposeReference, MatchesPerPixelCompositionByteForByte) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<uint32_t> cols_of(0, 170), rows_of(0, 70), left_of(0, 120), any(0, kMax);
    std::uniform_int_distribution<int> tenth(0, 9), any_byte(0, 255);
    for (int round = 0; round < 400; ++round) {
        const std::string text = random_text(rng, round % 10 == 0 ? 20000 : 1500);
        std::vector<uint8_t> attrs(round % 2 ? std::max<size_t>(text.size(), 1) : 0);
        for (auto& a : attrs) a = uint8_t(any_byte(rng));
        ShownText shown = show_text(text, attrs, {});
        Viewer& v = *shown.viewer;
        // Mostly ranges as the view logic keeps them; sometimes anything at all.
        v.view_cols = cols_of(rng);
        v.view_rows = std::min<uint32_t>(rows_of(rng), 10240 / std::max<uint32_t>(v.view_cols, 1));
        v.frame_width = tenth(rng) ? v.view_cols * 8 : any(rng) % 2000;
        v.frame_height = v.view_rows * 16;
        const auto ends = std::count_if(text.begin(), text.end(), [](char c) { return c == kLf || c == kCr; });
        v.top_row = std::uniform_int_distribution<uint32_t>(0, uint32_t(ends + 1))(rng);
        v.bottom_row = v.top_row + std::max<uint32_t>(v.view_rows, 1) - 1;
        v.left_col = left_of(rng);
        v.right_col = v.left_col + std::max<uint32_t>(v.view_cols, 1) - 1;
        for (uint32_t* range : {&v.top_row, &v.bottom_row, &v.left_col, &v.right_col})
            if (tenth(rng) == 0) *range = any(rng);
        ASSERT_TRUE(composes_as_reference(v)) << "round " << round << " view " << v.view_cols << "x" << v.view_rows
                                              << " from row " << v.top_row << " column " << v.left_col;
    }
}

// Cases the random views rarely reach; under ASan a single byte outside the
// frame or the text fails them.
TEST(ComposeReference, HostileViewsStayInsideFrameAndText) {
    const std::string art = "AB\r\nCD\nEFGH\rIJ\n\n" + std::string(300, 'x') + "\r";
    std::string tall;
    for (int line = 0; line < 200; ++line) tall += std::string(200, char('A' + line % 26)) + "\n";
    const struct { const char* name; std::string text; Ranges ranges; uint32_t cols, rows, width, height; }
    cases[] = {
        {"empty view", art, {0, kMax, 0, kMax}, 0, 0, 0, 0},
        {"view larger than the frame", art, {0, 999, 0, 999}, 1000, 1000, 8000, 16000},
        {"text ends in CR", "A\r", {1, 30, 0, 83}, 84, 30, 672, 480},
        {"empty text", "", kWholeView, 84, 30, 672, 480},
        {"largest view", art, {0, 63, 0, 159}, 160, 64, 1280, 1024},
        {"ranges taller and wider than the view", tall, {0, 500, 0, 500}, 84, 30, 672, 480},
        {"largest view, unbounded ranges", tall, {0, kMax, 0, kMax}, 160, 64, 1280, 1024},
        {"scrolled, unbounded ranges", tall, {150, kMax, 150, kMax}, 160, 64, 1280, 1024},
    };
    for (int ansi = 0; ansi < 2; ++ansi)
        for (const auto& c : cases) {
            const std::vector<uint8_t> attrs(ansi ? std::max<size_t>(c.text.size(), 1) : 0, 0x1F);
            ShownText shown = show_text(c.text, attrs, c.ranges);
            Viewer& v = *shown.viewer;
            v.view_cols = c.cols, v.view_rows = c.rows, v.frame_width = c.width, v.frame_height = c.height;
            EXPECT_TRUE(composes_as_reference(v)) << c.name << (ansi ? " (ANSI)" : "");
        }
}

TEST(FrameCompose, IllustrativeCellsAndMissingBuffers) {
    auto shows = [](const std::string& text, std::vector<uint8_t> attrs, int is_ansi, uint32_t column,
                    uint32_t row, uint8_t ch, uint8_t ink, uint8_t paper) {
        ShownText shown = show_text(text, attrs, kWholeView);
        shown.viewer->document->is_ansi = is_ansi;
        shown.viewer->compose();
        return cell_shows(*shown.viewer, column, row, ch, ink, paper);
    };
    EXPECT_TRUE(shows("AB\r\nDE", {}, 0, 0, 1, 'D', 71, 0));  // CR LF is one line end
    EXPECT_TRUE(shows("A\rBD\n", {}, 0, 0, 1, 'D', 71, 0));   // the byte after CR is passed over
    EXPECT_TRUE(shows("A", {0x61}, 1, 0, 0, 'A', 65, 32));    // bright red on blue
    EXPECT_TRUE(shows("A", {0x61}, 0, 0, 0, 'A', 71, 0));     // a plain document ignores attributes
    ShownText shown = show_text("ABC", {0x61, 0x61, 0x61}, kWholeView);
    Viewer& v = *shown.viewer;
    v.cur_attrs = nullptr;  // an ANSI document without attributes draws no text
    EXPECT_TRUE(composes_as_reference(v) && cell_shows(v, 0, 0, 0, 0, 0));
    v.cur_text = nullptr, v.document->is_ansi = 0;
    EXPECT_TRUE(composes_as_reference(v) && cell_shows(v, 0, 0, 0, 0, 0));
    v.draw_glyph(83, 29, 0x1DB, 65, 8);  // only the low 8 bits of ch count
    v.draw_glyph(84, 0, 0xDB, 65, 8);    // outside the view: nothing
    EXPECT_TRUE(cell_shows(v, 83, 29, 0, 65, 65) && cell_shows(v, 0, 1, 0, 0, 0));
    v.glyph_cache.reset(), v.frame[0] = 0xA5;  // as after a failed allocation: nothing at all
    v.compose();
    EXPECT_EQ(v.frame[0], 0xA5);
    v.frame.reset(), v.frame_capacity = 0;
    v.compose(), v.clear_frame(), v.draw_glyph(0, 0, 'A', 1, 2);
}

// The block-wise row and line-end search against the byte-by-byte rule,
// around the 64-byte block edges and with CR runs.
TEST(LineScan, AgreesWithByteByByteRule) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = random_text(rng, round % 10 == 0 ? 6000 : 300);
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        const uint64_t length = text.size();
        std::vector<uint64_t> starts = {0};
        for (uint64_t pos = 0; pos < length;) {
            const uint8_t ch = bytes[pos];
            pos += ch == kCr ? 2 : 1;
            if (ch == kLf || ch == kCr) starts.push_back(std::min(pos, length));
        }
        for (uint32_t row = 0; row <= starts.size() + 1; ++row)
            ASSERT_EQ(find_row_start(bytes, length, row), row < starts.size() ? starts[row] : length) << row;
        for (uint64_t from = 0; from <= length; from += 1 + from / 7) {
            uint64_t end = from;
            while (end < length && bytes[end] != kLf && bytes[end] != kCr) ++end;
            ASSERT_EQ(find_line_end(bytes, from, length), end) << "round " << round << " from " << from;
        }
    }
}

}  // namespace
