// The fast composition against a straightforward per-pixel one, byte for byte,
// over random texts, ranges, view sizes and both colour modes; and composition
// kept inside the frame and the text whatever the ranges hold.
#include <gtest/gtest.h>

#include <random>

#include "render/line_scan.h"
#include "tests/native/render_test_support.h"

namespace {

constexpr uint8_t kLf = 10;
constexpr uint8_t kCr = 13;

// Composition written out pixel by pixel, with the same clipping to the view
// and the same refusal of a frame that does not match the view.
void reference_compose(const Viewer& v, uint8_t* out) {
    const bool ansi = v.document->is_ansi == 1;
    const uint8_t* text = v.cur_text;
    uint64_t length = text ? v.cur_length : 0;
    if (ansi && !v.cur_attrs) length = 0;

    uint64_t pos = 0;
    for (uint64_t ends = 0; ends < v.top_row && pos < length;) {
        if (text[pos] == kCr) {
            ++ends;
            pos += 2;
        } else if (text[pos] == kLf) {
            ++ends;
            pos += 1;
        } else {
            pos += 1;
        }
    }

    const uint64_t drawn = uint64_t(v.frame_width) * v.frame_height;
    for (uint64_t i = 0; i < drawn && i < v.frame_capacity; ++i) out[i] = v.bg_index;
    if (uint64_t(v.frame_width) != uint64_t(v.view_cols) * 8 ||
        uint64_t(v.frame_height) != uint64_t(v.view_rows) * 16 || drawn > v.frame_capacity)
        return;

    for (uint64_t i = v.top_row; i <= v.bottom_row && pos < length; ++i) {
        const uint64_t row = i - v.top_row;
        if (row >= v.view_rows) break;
        uint64_t j = 0;
        while (pos < length) {
            const uint8_t ch = text[pos];
            if (ch == kLf) {
                pos += 1;
                break;
            }
            if (ch == kCr) {
                pos += 2;
                break;
            }
            if (v.left_col <= j && j <= v.right_col && j - v.left_col < v.view_cols) {
                const uint64_t column = j - v.left_col;
                uint8_t ink = v.fg_index, paper = v.bg_index;
                if (ansi) {
                    ink = v.cur_attrs[pos] & 0x47;
                    paper = v.cur_attrs[pos] & 0x38;
                }
                for (uint64_t y = 0; y < 16; ++y)
                    for (uint64_t x = 0; x < 8; ++x)
                        out[((row * 16 + y) * v.view_cols + column) * 8 + x] =
                            v.glyph_cache[128 * ch + 8 * y + x] == 1 ? ink : paper;
            }
            ++j;
            ++pos;
        }
    }
}

std::string random_text(std::mt19937& rng, size_t max_length) {
    std::uniform_int_distribution<size_t> length_of(0, max_length);
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_int_distribution<int> any_byte(0, 255);
    const int lf_share = pick(rng) / 4;  // from no line ends at all to many
    const int cr_share = pick(rng) % 3 == 0 ? pick(rng) / 8 : 0;
    std::string text(length_of(rng), '\0');
    for (char& c : text) {
        const int p = pick(rng);
        if (p < lf_share) c = char(kLf);
        else if (p < lf_share + cr_share) c = char(kCr);
        else c = char(any_byte(rng));
    }
    return text;
}

uint32_t count_line_ends(const std::string& text) {
    uint32_t ends = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == char(kLf)) ++ends;
        else if (text[i] == char(kCr)) ++ends, ++i;
    }
    return ends;
}

// Mostly ranges as the view logic keeps them; sometimes anything at all.
void random_view(std::mt19937& rng, Viewer& v, uint32_t line_ends) {
    std::uniform_int_distribution<uint32_t> cols_of(0, 170), rows_of(0, 70), any(0, 0xFFFFFFFFu);
    std::uniform_int_distribution<int> pick(0, 9);
    v.view_cols = cols_of(rng);
    v.view_rows = rows_of(rng);
    if (uint64_t(v.view_cols) * v.view_rows * 128 > kFrameBytes) v.view_rows = 10240 / (v.view_cols ? v.view_cols : 1);
    v.frame_width = v.view_cols * 8;
    v.frame_height = v.view_rows * 16;
    std::uniform_int_distribution<uint32_t> top_of(0, line_ends + 1), left_of(0, 120);
    v.top_row = top_of(rng);
    v.bottom_row = v.top_row + (v.view_rows ? v.view_rows - 1 : 0);
    v.left_col = left_of(rng);
    v.right_col = v.left_col + (v.view_cols ? v.view_cols - 1 : 0);
    if (pick(rng) == 0) v.top_row = any(rng);
    if (pick(rng) == 0) v.bottom_row = any(rng);
    if (pick(rng) == 0) v.left_col = any(rng);
    if (pick(rng) == 0) v.right_col = any(rng);
    if (pick(rng) == 0) v.frame_width = any(rng) % 2000;
}

TEST(ComposeReference, MatchesPerPixelCompositionByteForByte) {
    std::mt19937 rng(20240601);
    std::vector<uint8_t> expected(kFrameBytes);
    for (int round = 0; round < 400; ++round) {
        const std::string text = random_text(rng, round % 10 == 0 ? 20000 : 1500);
        std::vector<uint8_t> attrs;
        if (round % 2) {
            std::uniform_int_distribution<int> any_byte(0, 255);
            attrs.resize(text.size() ? text.size() : 1);
            for (auto& a : attrs) a = uint8_t(any_byte(rng));
        }
        ShownText shown = show_text(text, attrs, {0, 0, 0, 0});
        Viewer& v = *shown.viewer;
        random_view(rng, v, count_line_ends(text));
        std::memset(v.frame.get(), 0xA5, kFrameBytes);
        std::memset(expected.data(), 0xA5, kFrameBytes);
        reference_compose(v, expected.data());
        v.compose();
        ASSERT_EQ(std::memcmp(v.frame.get(), expected.data(), kFrameBytes), 0)
            << "round " << round << " view " << v.view_cols << "x" << v.view_rows << " rows "
            << v.top_row << ".." << v.bottom_row << " cols " << v.left_col << ".." << v.right_col;
    }
}

struct HostileCase {
    const char* name;
    std::string text;
    Ranges ranges;
    uint32_t view_cols, view_rows, frame_width, frame_height;
};

// Under ASan a single byte outside the frame or the text fails these.
TEST(ComposeReference, HostileRangesStayInsideFrameAndText) {
    const std::string art = "AB\r\nCD\nEFGH\rIJ\n\n" + std::string(300, 'x') + "\r";
    std::string tall;
    for (int line = 0; line < 200; ++line) tall += std::string(200, char('A' + line % 26)) + "\n";
    const HostileCase cases[] = {
        {"top row far past the text", art, {0xFFFFFFFFu, 0xFFFFFFFFu, 0, 83}, 84, 30, 672, 480},
        {"every range at its maximum", art, {0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu}, 84, 30, 672, 480},
        {"columns far to the right", art, {0, 29, 0xFFFFFFF0u, 0xFFFFFFFFu}, 84, 30, 672, 480},
        {"ranges wider than the view", art, {0, 200, 0, 500}, 84, 30, 672, 480},
        {"empty view", art, {0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu}, 0, 0, 0, 0},
        {"no columns", art, {0, 29, 0, 83}, 0, 30, 0, 480},
        {"no rows", art, {0, 29, 0, 83}, 84, 0, 672, 0},
        {"frame width not the view's", art, {0, 29, 0, 83}, 200, 30, 672, 480},
        {"view larger than the frame", art, {0, 999, 0, 999}, 1000, 1000, 8000, 16000},
        {"text ends in CR", "A\r", {1, 30, 0, 83}, 84, 30, 672, 480},
        {"empty text", "", {0, 29, 0, 83}, 84, 30, 672, 480},
        {"largest view", art, {0, 63, 0, 159}, 160, 64, 1280, 1024},
        {"ranges taller and wider than the view", tall, {0, 500, 0, 500}, 84, 30, 672, 480},
        {"largest view, unbounded ranges", tall, {0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu}, 160, 64, 1280, 1024},
        {"scrolled, unbounded ranges", tall, {150, 0xFFFFFFFFu, 150, 0xFFFFFFFFu}, 160, 64, 1280, 1024},
    };
    std::vector<uint8_t> expected(kFrameBytes);
    for (int ansi = 0; ansi < 2; ++ansi) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            std::vector<uint8_t> attrs;
            if (ansi) attrs.assign(c.text.size() ? c.text.size() : 1, 0x1F);
            ShownText shown = show_text(c.text, attrs, c.ranges);
            Viewer& v = *shown.viewer;
            v.view_cols = c.view_cols;
            v.view_rows = c.view_rows;
            v.frame_width = c.frame_width;
            v.frame_height = c.frame_height;
            std::memset(v.frame.get(), 0xA5, kFrameBytes);
            std::memset(expected.data(), 0xA5, kFrameBytes);
            reference_compose(v, expected.data());
            v.compose();
            EXPECT_EQ(std::memcmp(v.frame.get(), expected.data(), kFrameBytes), 0);
        }
    }
}

TEST(ComposeReference, MissingBuffersDrawNothing) {
    ShownText shown = show_text("ABC", {0x61, 0x61, 0x61}, {0, 29, 0, 83});
    Viewer& v = *shown.viewer;
    v.cur_attrs = nullptr;  // an ANSI document without attributes draws no text
    std::memset(v.frame.get(), 0xA5, kFrameBytes);
    v.compose();
    EXPECT_TRUE(cell_filled(v, 0, 0, 0));
    v.cur_text = nullptr;
    v.document->is_ansi = 0;
    v.compose();
    EXPECT_TRUE(cell_filled(v, 0, 0, 0));
    v.glyph_cache.reset();  // as after a failed allocation: nothing at all
    std::memset(v.frame.get(), 0xA5, kFrameBytes);
    v.compose();
    EXPECT_EQ(v.frame[0], 0xA5);
    v.frame.reset();
    v.frame_capacity = 0;
    v.compose();
    v.clear_frame();
    v.draw_glyph(0, 0, 'A', 1, 2);
}

// The block-wise row and line-end search against the byte-by-byte rule,
// around the 64-byte block edges and with CR runs.
TEST(LineScan, AgreesWithByteByByteRule) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = random_text(rng, round % 10 == 0 ? 6000 : 300);
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        const uint64_t length = text.size();
        const uint32_t ends = count_line_ends(text);
        std::vector<uint64_t> starts = {0};
        for (uint64_t pos = 0; pos < length;) {
            const uint8_t ch = bytes[pos];
            pos += ch == kCr ? 2 : 1;
            if (ch == kLf || ch == kCr) starts.push_back(pos < length ? pos : length);
        }
        ASSERT_EQ(starts.size(), ends + 1u);
        for (uint32_t row = 0; row <= ends + 2; ++row) {
            const uint64_t expected = row < starts.size() ? starts[row] : length;
            ASSERT_EQ(find_row_start(bytes, length, row), expected) << "round " << round << " row " << row;
        }
        for (uint64_t from = 0; from <= length; from += 1 + from / 7) {
            uint64_t expected = from;
            while (expected < length && bytes[expected] != kLf && bytes[expected] != kCr) ++expected;
            ASSERT_EQ(find_line_end(bytes, from, length), expected) << "round " << round << " from " << from;
        }
    }
}

}  // namespace
