#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/line_measure.h"
#include "tests/native/document_bytes.h"

namespace {

struct MeasureCase {
    const char* what;
    std::string text;
    uint32_t line_count;
    uint32_t max_line_width;
};

const std::vector<MeasureCase> kCases = {
    {"empty text still has a width", "", 0, 1},
    {"no line end", "abc", 0, 4},
    {"LF", "abc\n", 1, 4},
    {"CR LF is one line end", "abc\r\n", 1, 4},
    {"CR swallows a second CR", "ab\r\rcd", 1, 3},
    {"two LFs", "\n\n", 2, 1},
    {"CR LF twice", "\r\n\r\n", 2, 1},
    {"last byte CR steps over the end", "ab\r", 1, 3},
    {"lone CR", "\r", 1, 1},
    {"CR swallows the final byte", "a\rb", 1, 2},
    {"CR swallows a letter", "\ra\n", 2, 1},
    {"three CRs are two line ends", "\r\r\r", 2, 1},
    {"last line counts the end of the text", "ab\ncdefg", 1, 6},
    {"mixed line ends", "abc\r\ndefgh\nij", 2, 6},
    {"NUL and SUB are ordinary bytes", std::string("a\0\x1a\n", 4), 1, 4},
    {"widest line in the middle", "ab\n" + std::string(1000, 'x') + "\r\ny", 2, 1001},
    {"long last line", "ab\n" + std::string(5000, 'x'), 1, 5001},
};

TEST(LineMeasure, CountsLineEndsAndWidestLine) {
    for (const MeasureCase& c : kCases) {
        const ExactBytes text(c.text);
        const LineMetrics m = measure_lines(text.span());
        EXPECT_EQ(m.line_count, c.line_count) << c.what;
        EXPECT_EQ(m.max_line_width, c.max_line_width) << c.what;
    }
}

TEST(LineMeasure, OnlyTheSpanCounts) {
    // The byte after a final CR is outside the span: it must not change the result.
    const std::string bytes = "ab\r\nxxxxxxxxxx\n";
    const ByteSpan span{reinterpret_cast<const uint8_t*>(bytes.data()), 3};
    const LineMetrics m = measure_lines(span);
    EXPECT_EQ(m.line_count, 1u);
    EXPECT_EQ(m.max_line_width, 3u);
}

TEST(LineMeasure, ManyShortLines) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += std::string(i % 90, 'a') + (i % 2 ? "\r\n" : "\n");
    const ExactBytes bytes(text);
    const LineMetrics m = measure_lines(bytes.span());
    EXPECT_EQ(m.line_count, 500u);
    EXPECT_EQ(m.max_line_width, 90u);
}

}  // namespace

namespace {

// Found by fuzzing: an empty text may come with no buffer at all.
TEST(LineMeasure, EmptySpanWithoutBuffer) {
    const LineMetrics m = measure_lines(ByteSpan{nullptr, 0});
    EXPECT_EQ(m.line_count, 0u);
    EXPECT_EQ(m.max_line_width, 1u);
}

}  // namespace
