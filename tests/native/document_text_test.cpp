// Fixed edge cases; fuzz_document compares these functions with slow references.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "document/ansi_decode.h"
#include "document/document.h"
#include "document/line_measure.h"
#include "document/line_wrap.h"
#include "fuzz/document_reference.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Heap bytes of exactly the input's size (none when empty), for the sanitizers.
struct Input {
    explicit Input(const std::string& s) : bytes(s.begin(), s.end()) {}
    ByteSpan span() const { return {bytes.empty() ? nullptr : bytes.data(), uint32_t(bytes.size())}; }
    Bytes bytes;
};

std::string esc(const std::string& rest) { return "\x1b" + rest; }
std::string rep(size_t n, char c) { return std::string(n, c); }

// Decodes into the room ansi_capacity asks for, then into every smaller room.
void expect_decoded(const std::string& input, const std::string& text, const Bytes& attrs,
                    uint32_t blank_limit = kMaxForwardBlanks, bool every_room = true) {
    const Input raw(input);
    const uint64_t capacity = ansi_capacity(raw.span(), blank_limit);
    EXPECT_LE(capacity, input.size() + uint64_t(blank_limit));
    Bytes out(capacity), out_attrs(capacity);
    const uint32_t n = ansi_decode(raw.span(), blank_limit, out.data(), out_attrs.data(), uint32_t(capacity));
    ASSERT_LE(n, capacity);
    EXPECT_EQ(std::string(out.begin(), out.begin() + n), text);
    EXPECT_EQ(Bytes(out_attrs.begin(), out_attrs.begin() + n), attrs);
    // The same with the search in words, as the 32-bit program runs it.
    Bytes words(capacity), words_attrs(capacity);
    EXPECT_EQ(ansi_decode_words(raw.span(), blank_limit, words.data(), words_attrs.data(), uint32_t(capacity)), n);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + n, words.begin()) &&
                std::equal(out_attrs.begin(), out_attrs.begin() + n, words_attrs.begin()));
    for (uint32_t room = 0; room < n; room += every_room ? 1 : 1 + room / 3) {
        Bytes cut(room + 1, 0xEE), cut_attrs(room + 1, 0xEE);
        EXPECT_LE(ansi_decode(raw.span(), blank_limit, cut.data(), cut_attrs.data(), room), room);
        EXPECT_EQ(cut[room] + cut_attrs[room], 2 * 0xEE) << "wrote past room " << room;
    }
}

TEST(AnsiDecode, SequencesBecomeTextAndAttributes) {
    const struct { const char* what; std::string input, text; Bytes attrs; } cases[] = {
        {"empty input", "", "", {}},
        {"bold then red is bright red", esc("[1;31mA"), "A", {65}},
        {"red then bold stays normal red", esc("[31;1mA"), "A", {1}},
        {"reset keeps a bright foreground", esc("[1;31mA") + esc("[0mB") + esc("[32mD"), "ABD", {65, 65, 2}},
        {"bold affects only later foregrounds", esc("[31m") + esc("[1mA") + esc("[37mB"), "AB", {1, 71}},
        {"background, bright yellow on blue", esc("[44mA") + esc("[1;33;44mA"), "AA", {32, 99}},
        {"black on black before any colour", esc("[0mxy"), "xy", {0, 0}},
        {"empty parameter list is a reset", esc("[1;31m") + esc("[mA") + esc("[32mB"), "AB", {65, 2}},
        {"empty first parameter is zero", esc("[1m") + esc("[;31mA"), "A", {1}},
        {"parameters keep their low 8 bits", esc("[47m") + esc("[1;286mA"), "A", {64 + 56}},
        {"twelve parameters apply, later ones not", esc("[0;0;0;0;0;0;0;0;0;0;0;32mA") +
         esc("[31;0;0;0;0;0;0;0;0;0;0;0;32;33mB"), "AB", {2, 1}},
        {"attributes carry across line ends", esc("[32mA\r\nB"), "A\r\nB", {2, 2, 2, 2}},
        {"90-97 are not colours", esc("[33m") + esc("[91;101mA"), "A", {3}},
        {"cursor forward writes blanks in the current colour", esc("[34m") + esc("[5CA"), "     A", {4, 4, 4, 4, 4, 4}},
        {"cursor-forward count is the last parameter", esc("[7;2CA"), "  A", {0, 0, 0}},
        {"empty, negative and wrapped counts", esc("[CA") + esc("[-1CB") + esc("[2147483648CC") + esc("[4294967297CD"),
         "ABC D", {0, 0, 0, 0, 0}},
        {"other sequences are dropped", esc("[2JA") + esc("[5cB") + esc("[5MC") + esc("[1;1HD"), "ABCD", {0, 0, 0, 0}},
        {"LF after ESC[ and a high byte end sequences", esc("[\nA") + esc("[31\xff") + "B", "AB", {0, 0}},
        {"a blank ends a sequence", esc("[3 1mA"), "1mA", {0, 0, 0}},
        {"ESC without '[' drops only the ESC, also before a sequence", esc("XY") + esc("\x1b[31mQ"), "XYQ", {0, 0, 1}},
        {"a final lone ESC adds nothing", esc("[31mAB") + esc(""), "AB", {1, 1}},
        {"cut-off colour sequence", esc("[32mAB") + esc("[31"), "AB", {2, 2}},
        {"cut-off right after ESC[", esc("[32mAB") + esc("["), "AB", {2, 2}},
        {"cut-off cursor forward", "AB" + esc("[5"), "AB", {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_decoded(c.input, c.text, c.attrs);
    }
    SCOPED_TRACE("blanks stop at the limit, decoding goes on");
    expect_decoded(esc("[4CA") + esc("[8CB") + esc("[3CC") + esc("[33mD"), "    A      BCD",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, 10);
}

// Art repeats a few sequences many times: each must act every time, in
// whichever colours and bold state it meets, beside sequences that look alike
// or end in ESC, that are longer than eight bytes, or that the input cuts off.
TEST(AnsiDecode, RepeatedSequencesAgreeWithTheReference) {
    const std::string pieces[] = {
        esc("[0m"), esc("[1;31m"), esc("[31m"), esc("[1m"), esc("[44;37m"), esc("[5C"), esc("[20C"), esc("[7;1C"),
        esc("[0;1;33;44m"), esc("[1;2;3C"), esc("[0;0;0;5C"), esc("[1;2;31m"), esc("[5m"), esc("[31C"), esc("[12\x1b"), esc("\x1b[32m"), esc("[2J"), esc("[;m"),
        esc("[=5C"), esc("\x1a"), esc("[m"), esc("[1;"), "\r\n", "\x1a", "ab", rep(15, 'x'), rep(17, 'y'), rep(40, 'z'),
    };
    std::mt19937 rng(77);
    for (int round = 0; round < 400; ++round) {
        std::string input;
        for (int n = std::uniform_int_distribution<int>(0, 120)(rng); n > 0; --n) input += pieces[rng() % std::size(pieces)];
        input = input.substr(0, input.size() - rng() % 9);  // cut anywhere in the last sequence
        const uint32_t blank_limit = round % 3 ? kMaxForwardBlanks : uint32_t(rng() % 200);
        const ReferenceText ref = reference_decode(reinterpret_cast<const uint8_t*>(input.data()), input.size(), blank_limit);
        SCOPED_TRACE("round " + std::to_string(round));
        expect_decoded(input, std::string(ref.text.begin(), ref.text.end()), ref.attrs, blank_limit, false);
    }
}

// A sequence met again is found by its bytes: one that shares its first bytes
// with another, or two too long to be kept whole that share all that is kept,
// must each still act as itself. The families put hundreds of look-alikes
// through the table, so some share a place in it whatever the place is taken
// from, and vary in length and effect, so a mix-up shows.
TEST(AnsiDecode, SequencesAlikeInTheirFirstBytesEachActAsThemselves) {
    const std::string zeros = rep(16, '0');
    std::string blanks_after = "x";
    for (int n = 1; n <= 40; ++n) blanks_after += rep(n, ' ') + "x";
    const struct { const char* what; std::string input, text; Bytes attrs; } cases[] = {
        {"the first eight bytes alike, the background set and then not",
         esc("[44m") + esc("[0;1;37;41mA") + esc("[44m") + esc("[0;1;37;589mB") + rep(16, 'z'),
         "AB" + rep(16, 'z'), [] { Bytes a(18, 103); a[0] = 79; return a; }()},
        {"longer than sixteen bytes, the first sixteen alike",
         esc("[" + zeros + "5C") + esc("[" + zeros + "055C") + rep(16, 'z'), rep(60, ' ') + rep(16, 'z'), Bytes(76, 0)},
        {"the same sixteen bytes, then different counts",
         [&] {
             std::string s = "x";
             for (int n = 1; n <= 40; ++n) s += esc("[" + zeros + std::to_string(n) + "C") + "x";
             return s;
         }(),
         blanks_after, Bytes(blanks_after.size(), 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_decoded(c.input, c.text, c.attrs);
    }
    const struct { const char* what; std::string head; int count; const char* after; } families[] = {
        {"ESC[0;1;37; then 0 to 999", "[0;1;37;", 1000, "m"},
        {"ESC[5;33;4 then 0 to 999", "[5;33;4", 1000, "m"},
        {"sixteen zeros then 0 to 299 blanks", "[0000000000000000", 300, "C"},
    };
    for (const auto& family : families) {
        std::string input = esc("[1;31m");
        for (int n = 0; n < family.count; ++n) input += esc(family.head + std::to_string(n) + family.after) + "x";
        const ReferenceText ref =
            reference_decode(reinterpret_cast<const uint8_t*>(input.data()), input.size(), kMaxForwardBlanks);
        SCOPED_TRACE(family.what);
        expect_decoded(input, std::string(ref.text.begin(), ref.text.end()), ref.attrs, kMaxForwardBlanks, false);
    }
}

// Two sequences of one length that differ in a single byte, at each place up
// to the sixteenth: the second must not be taken for the first, however late
// the difference comes.
TEST(AnsiDecode, SequencesDifferingOnlyLateEachActAsThemselves) {
    std::vector<std::pair<std::string, std::string>> pairs = {{esc("[00;0;0;0;1;31m"), esc("[00;0;0;0;1;32m")},
                                                              {esc("[00;0;0;0;1;31m"), esc("[00;0;0;0;1;41m")}};
    // ESC [ zeros ; 3 d m: the colour digit d at byte 4 to byte 14.
    for (size_t at = 4; at <= 14; ++at) {
        const std::string head = "[" + rep(at - 4, '0') + ";3";
        pairs.emplace_back(esc(head + "1m"), esc(head + "2m"));
    }
    for (const auto& [first, second] : pairs) {
        SCOPED_TRACE(first.substr(1) + " then " + second.substr(1));
        const std::string input = first + "A" + second + "B" + first + "C";
        const ReferenceText ref =
            reference_decode(reinterpret_cast<const uint8_t*>(input.data()), input.size(), kMaxForwardBlanks);
        ASSERT_EQ(ref.attrs.size(), 3u);
        ASSERT_NE(ref.attrs[0], ref.attrs[1]) << "the two draw in other colours";
        expect_decoded(input, "ABC", ref.attrs, kMaxForwardBlanks, false);
    }
}

TEST(LineMeasure, CountsLineEndsAndWidestLine) {
    const struct { std::string text; uint32_t line_count, max_line_width; } cases[] = {
        {"", 0, 1}, {"abc", 0, 4}, {"abc\n", 1, 4}, {"abc\r\n", 1, 4}, {"ab\r\rcd", 1, 3}, {"\n\n", 2, 1},
        {"\r\n\r\n", 2, 1}, {"ab\r", 1, 3}, {"a\rb", 1, 2}, {"\ra\n", 2, 1}, {"\r\r\r", 2, 1}, {"ab\ncdefg", 1, 6},
        {std::string("a\0\x1a\n", 4), 1, 4}, {"ab\n" + rep(1000, 'x') + "\r\ny", 2, 1001},
    };
    for (const auto& c : cases) {
        const LineMetrics m = measure_lines(Input(c.text).span());
        EXPECT_EQ(m.line_count, c.line_count) << c.text;
        EXPECT_EQ(m.max_line_width, c.max_line_width) << c.text;
    }
}

// Wraps a text (no NULs) whose attribute bytes are its own bytes, so only an
// inserted break has attribute 0; then wraps into every smaller room.
std::string wrap(const std::string& input, uint32_t column) {
    const Input text(input);
    const uint32_t capacity = uint32_t(wrapped_capacity(text.span().size, column));
    Bytes out(capacity), attrs(capacity);
    const uint32_t n = wrap_text(text.span(), text.bytes.data(), column, out.data(), attrs.data(), capacity);
    EXPECT_LE(n, capacity);
    for (uint32_t i = 0; i < n; ++i) EXPECT_EQ(attrs[i] ? attrs[i] : uint8_t('\n'), out[i]) << i;
    EXPECT_EQ(size_t(std::count(attrs.begin(), attrs.begin() + n, 0)), n - input.size());
    for (uint32_t room = 0; room < n; ++room) {
        Bytes cut(room + 1, 0xEE), cut_attrs(room + 1, 0xEE);
        EXPECT_LE(wrap_text(text.span(), text.bytes.data(), column, cut.data(), cut_attrs.data(), room), room);
        EXPECT_EQ(cut[room] + cut_attrs[room], 2 * 0xEE) << "wrote past room " << room;
    }
    return std::string(out.begin(), out.begin() + n);
}

TEST(LineWrap, BreaksRowsAtTheColumn) {
    const struct { const char* what; std::string input, expected; uint32_t column; } cases[] = {
        {"empty text", "", "", 81},
        {"80 and a line end unchanged", rep(80, 'a') + "\r\n" + rep(80, 'a') + "\nb",
         rep(80, 'a') + "\r\n" + rep(80, 'a') + "\nb", 81},
        {"81 and LF", rep(81, 'a') + "\nb", rep(80, 'a') + "\na\nb", 81},
        {"160", rep(160, 'a'), rep(80, 'a') + "\n" + rep(80, 'a'), 81},
        {"161", rep(161, 'a'), rep(80, 'a') + "\n" + rep(80, 'a') + "\na", 81},
        {"counter runs on past a lone CR", rep(40, 'a') + "\r" + rep(100, 'b'),
         rep(40, 'a') + "\r" + rep(39, 'b') + "\n" + rep(61, 'b'), 81},
        {"CR on the column stops breaks until LF", rep(80, 'a') + "\r" + rep(100, 'b') + "\n" + rep(81, 'c'),
         rep(80, 'a') + "\r" + rep(100, 'b') + "\n" + rep(80, 'c') + "\nc", 81},
        {"CR LF lines restart at LF", rep(100, 'a') + "\r\n" + rep(90, 'b'),
         rep(80, 'a') + "\n" + rep(20, 'a') + "\r\n" + rep(80, 'b') + "\n" + rep(10, 'b'), 81},
        {"column 2", "abc", "a\nb\nc", 2},
        {"column 1 wraps as 2", "abc", "a\nb\nc", 1},
        {"column 0 wraps as 2", "abc", "a\nb\nc", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(wrap(c.input, c.column), c.expected) << c.what;
    for (uint32_t column = 2; column < 12; ++column)  // worst case: full rows, no line end
        for (uint32_t length = 0; length < 40; ++length)
            EXPECT_LE(wrap(rep(length, 'z'), column).size(), wrapped_capacity(length, column)) << column << " " << length;
}

}  // namespace
