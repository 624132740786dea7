#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/line_wrap.h"
#include "tests/native/document_bytes.h"

namespace {

std::string wrap(const std::string& input, uint32_t column = 81) {
    const ExactBytes text(input);
    const uint64_t capacity = wrapped_capacity(text.span().size, column);
    std::vector<uint8_t> out(capacity);
    const uint32_t n = wrap_text(text.span(), nullptr, column, out.data(), nullptr,
                                 static_cast<uint32_t>(capacity));
    EXPECT_LE(n, capacity);
    return as_string(out.data(), n);
}

std::string rep(size_t n, char c) { return std::string(n, c); }

struct WrapCase {
    const char* what;
    std::string input;
    std::string expected;
};

const std::vector<WrapCase> kCases = {
    {"empty text", "", ""},
    {"80 characters and CR LF are unchanged", rep(80, 'a') + "\r\n", rep(80, 'a') + "\r\n"},
    {"80 characters and LF are unchanged", rep(80, 'a') + "\nb", rep(80, 'a') + "\nb"},
    {"81 characters and LF", rep(81, 'a') + "\n", rep(80, 'a') + "\na\n"},
    {"160 characters", rep(160, 'a'), rep(80, 'a') + "\n" + rep(80, 'a')},
    {"161 characters", rep(161, 'a'), rep(80, 'a') + "\n" + rep(80, 'a') + "\na"},
    {"the counter runs on past a lone CR", rep(40, 'a') + "\r" + rep(100, 'b'),
     rep(40, 'a') + "\r" + rep(39, 'b') + "\n" + rep(61, 'b')},
    {"a CR on the column stops breaks until LF",
     rep(80, 'a') + "\r" + rep(100, 'b') + "\n" + rep(81, 'c'),
     rep(80, 'a') + "\r" + rep(100, 'b') + "\n" + rep(80, 'c') + "\nc"},
    {"no break before a CR", rep(80, 'a') + "\r\n" + rep(2, 'b'), rep(80, 'a') + "\r\nbb"},
    {"CR LF lines restart at LF", rep(100, 'a') + "\r\n" + rep(100, 'b') + "\r\n",
     rep(80, 'a') + "\n" + rep(20, 'a') + "\r\n" + rep(80, 'b') + "\n" + rep(20, 'b') + "\r\n"},
};

TEST(LineWrap, BreaksRowsAtTheColumn) {
    for (const WrapCase& c : kCases) EXPECT_EQ(wrap(c.input), c.expected) << c.what;
}

TEST(LineWrap, LongLineWithoutEnd) {
    const std::string out = wrap(rep(16000, 'x'));
    EXPECT_EQ(out.size(), 16199u);
    size_t breaks = 0;
    for (size_t i = 80; i < out.size(); i += 81) breaks += out[i] == '\n';
    EXPECT_EQ(breaks, 199u);
}

TEST(LineWrap, SmallColumns) {
    EXPECT_EQ(wrap("abc", 2), "a\nb\nc");
    EXPECT_EQ(wrap("ab\ncd", 3), "ab\ncd");
    // Below 2 a row could hold nothing; such columns wrap as 2.
    EXPECT_EQ(wrap("abc", 1), "a\nb\nc");
    EXPECT_EQ(wrap("abc", 0), "a\nb\nc");
}

TEST(LineWrap, BreaksCarryAttributeZeroAndBytesKeepTheirs) {
    std::string input = rep(85, 'a') + "\n" + rep(3, 'b');
    std::vector<uint8_t> attrs(input.size());
    for (size_t i = 0; i < attrs.size(); ++i) attrs[i] = static_cast<uint8_t>(1 + i % 100);
    const ExactBytes text(input);
    const uint64_t capacity = wrapped_capacity(text.span().size, 81);
    std::vector<uint8_t> out(capacity), out_attrs(capacity);
    const uint32_t n = wrap_text(text.span(), attrs.data(), 81, out.data(), out_attrs.data(),
                                 static_cast<uint32_t>(capacity));
    ASSERT_EQ(n, input.size() + 1);
    for (uint32_t i = 0, src = 0; i < n; ++i) {
        if (i == 80) {
            EXPECT_EQ(out[i], '\n');
            EXPECT_EQ(out_attrs[i], 0);
            continue;
        }
        EXPECT_EQ(out[i], static_cast<uint8_t>(input[src])) << i;
        EXPECT_EQ(out_attrs[i], attrs[src]) << i;
        ++src;
    }
}

TEST(LineWrap, CapacityCoversEveryBreak) {
    EXPECT_EQ(wrapped_capacity(0, 81), 1u);
    EXPECT_EQ(wrapped_capacity(160, 81), 163u);
    EXPECT_GT(wrapped_capacity(0xFFFFFFFEu, 81), uint64_t(UINT32_MAX));
    // Worst case for the rule: every row full, no line end anywhere.
    for (uint32_t column = 2; column < 12; ++column) {
        for (uint32_t length = 0; length < 40; ++length) {
            EXPECT_LE(wrap(rep(length, 'z'), column).size(), wrapped_capacity(length, column))
                << column << " " << length;
        }
    }
}

TEST(LineWrap, NeverWritesPastTheCapacity) {
    const ExactBytes text(rep(30, 'q') + "\r" + rep(30, 'r'));
    for (uint32_t capacity = 0; capacity < 40; ++capacity) {
        std::vector<uint8_t> out(capacity + 4, 0xEE), attrs(capacity + 4, 0xEE);
        std::vector<uint8_t> src_attrs(text.span().size, 7);
        const uint32_t n = wrap_text(text.span(), src_attrs.data(), 9, out.data(), attrs.data(), capacity);
        EXPECT_LE(n, capacity);
        for (uint32_t i = capacity; i < capacity + 4; ++i) {
            EXPECT_EQ(out[i], 0xEE);
            EXPECT_EQ(attrs[i], 0xEE);
        }
    }
}

}  // namespace

namespace {

TEST(LineWrap, EmptySpanWithoutBuffer) {
    uint8_t out = 0xEE;
    EXPECT_EQ(wrap_text(ByteSpan{nullptr, 0}, nullptr, 81, &out, nullptr, 1), 0u);
    EXPECT_EQ(out, 0xEE);
}

}  // namespace
