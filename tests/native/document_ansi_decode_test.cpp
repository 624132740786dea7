#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/ansi_decode.h"
#include "document/document.h"
#include "tests/native/document_bytes.h"

namespace {

struct Decoded {
    std::string text;
    std::vector<uint8_t> attrs;
};

// Decodes into buffers of exactly the room ansi_capacity asks for.
Decoded decode(const std::string& input, uint32_t blank_limit = kMaxForwardBlanks) {
    const ExactBytes raw(input);
    const uint64_t capacity = ansi_capacity(raw.span(), blank_limit);
    EXPECT_LE(capacity, input.size() + uint64_t(blank_limit));
    std::unique_ptr<uint8_t[]> text(new uint8_t[capacity]), attrs(new uint8_t[capacity]);
    const uint32_t written = ansi_decode(raw.span(), blank_limit, text.get(), attrs.get(),
                                         static_cast<uint32_t>(capacity));
    EXPECT_LE(written, capacity);
    return Decoded{as_string(text.get(), written), as_vector(attrs.get(), written)};
}

struct DecodeCase {
    const char* what;
    std::string input;
    std::string text;
    std::vector<uint8_t> attrs;
};

std::string esc(const std::string& rest) { return "\x1b" + rest; }

const std::vector<DecodeCase> kColourCases = {
    {"bold then red is bright red", esc("[1;31mA"), "A", {65}},
    {"red then bold stays normal red", esc("[31;1mA"), "A", {1}},
    {"reset keeps a bright foreground", esc("[1;31mA") + esc("[0mB") + esc("[32mD"), "ABD", {65, 65, 2}},
    {"bold affects only later foregrounds", esc("[31m") + esc("[1mA") + esc("[37mB"), "AB", {1, 71}},
    {"background", esc("[44mA"), "A", {32}},
    {"bright yellow on blue", esc("[1;33;44mA"), "A", {99}},
    {"black on black before any colour", esc("[0mxy"), "xy", {0, 0}},
    {"empty parameter list is a reset", esc("[1;31m") + esc("[mA") + esc("[32mB"), "AB", {65, 2}},
    {"empty first parameter is zero", esc("[1m") + esc("[;31mA"), "A", {1}},
    {"parameters keep their low 8 bits", esc("[47m") + esc("[1;286mA"), "A", {64 + 56}},
    {"':' and '<' count as digit values", esc("[2<mA"), "A", {2}},
    {"twelve parameters all apply",
     esc("[0;0;0;0;0;0;0;0;0;0;0;32mA"), "A", {2}},
    {"parameters past the twelfth are ignored",
     esc("[31;0;0;0;0;0;0;0;0;0;0;0;32;33mA"), "A", {1}},
    {"attributes carry across line ends", esc("[32mA\r\nB"), "A\r\nB", {2, 2, 2, 2}},
    {"control bytes are ordinary characters", esc("[31mA") + std::string("\0\x1a\t", 3) + "B",
     std::string("A\0\x1a\tB", 5), {1, 1, 1, 1, 1}},
    {"90-97 are not colours", esc("[33m") + esc("[91;101mA"), "A", {3}},
};

const std::vector<DecodeCase> kSequenceCases = {
    {"a lone ESC byte decodes to nothing", esc(""), "", {}},
    {"cursor forward writes blanks in the current colour", esc("[34m") + esc("[5CA"), "     A",
     {4, 4, 4, 4, 4, 4}},
    {"empty cursor-forward count writes nothing", esc("[CA"), "A", {0}},
    {"cursor-forward count is the last parameter", esc("[7;2CA"), "  A", {0, 0, 0}},
    {"negative cursor-forward count writes nothing", esc("[-1CA"), "A", {0}},
    {"'*' makes a negative count", esc("[*CA"), "A", {0}},
    {"count wrapping past 2^32 counts what is left", esc("[4294967297CA"), " A", {0, 0}},
    {"count wrapping to a negative value writes nothing", esc("[2147483648CA"), "A", {0}},
    {"other sequences are dropped", esc("[2JA") + esc("[5cB") + esc("[5MC") + esc("[1;1HD"),
     "ABCD", {0, 0, 0, 0}},
    {"LF right after ESC[ is its final byte", esc("[\nA"), "A", {0}},
    {"CR ends a sequence without effect", esc("[31\rA"), "A", {0}},
    {"a high byte ends a sequence", esc("[31\xff") + "A", "A", {0}},
    {"a blank ends a sequence", esc("[3 1mA"), "1mA", {0, 0, 0}},
    {"ESC without '[' drops only the ESC", esc("XY"), "XY", {0, 0}},
    {"ESC before a sequence", esc("") + esc("[31mA"), "A", {1}},
    {"ESC ESC ESC then letters", esc("\x1b\x1bQ"), "Q", {0}},
    {"a final lone ESC adds nothing", esc("[31mAB") + esc(""), "AB", {1, 1}},
    {"cut-off colour sequence", esc("[32mAB") + esc("[31"), "AB", {2, 2}},
    {"cut-off right after ESC[", esc("[32mAB") + esc("["), "AB", {2, 2}},
    {"cut-off cursor forward", "AB" + esc("[5"), "AB", {0, 0}},
};

void expect_cases(const std::vector<DecodeCase>& cases) {
    for (const DecodeCase& c : cases) {
        const Decoded d = decode(c.input);
        EXPECT_EQ(d.text, c.text) << c.what;
        EXPECT_EQ(d.attrs, c.attrs) << c.what;
    }
}

TEST(AnsiDecode, ColourSequencesSetAttributes) { expect_cases(kColourCases); }

TEST(AnsiDecode, ControlSequencesAndLoneEscapes) { expect_cases(kSequenceCases); }

TEST(AnsiDecode, FileCutAtEveryByteKeepsWhatCameBefore) {
    const std::string whole = "AB" + esc("[1;31m") + "CD" + esc("[3C") + "E";
    const size_t seq1_start = 2, seq1_end = seq1_start + 7;  // ESC[1;31m
    const size_t seq2_start = seq1_end + 2, seq2_end = seq2_start + 4;  // ESC[3C
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        std::string text;
        std::vector<uint8_t> attrs;
        for (size_t i = 0; i < cut; ++i) {
            if (i >= seq1_start && i < seq1_end) continue;
            if (i >= seq2_start && i < seq2_end) {
                if (i == seq2_end - 1) text += "   ", attrs.insert(attrs.end(), 3, 65);
                continue;
            }
            text += whole[i];
            attrs.push_back(i < seq1_start ? 0 : 65);
        }
        const Decoded d = decode(whole.substr(0, cut));
        EXPECT_EQ(d.text, text) << "cut at " << cut;
        EXPECT_EQ(d.attrs, attrs) << "cut at " << cut;
    }
}

TEST(AnsiDecode, AttributeBitSevenIsAlwaysClear) {
    std::string input;
    for (int p = 0; p < 256; ++p) input += esc("[1;" + std::to_string(p) + "mx");
    const Decoded d = decode(input);
    ASSERT_EQ(d.text.size(), 256u);
    for (uint8_t a : d.attrs) EXPECT_EQ(a & 0x80, 0) << int(a);
}

TEST(AnsiDecode, BlanksStopAtTheLimitAndDecodingGoesOn) {
    const std::string input = esc("[4CA") + esc("[8CB") + esc("[3CC") + esc("[33mD");
    const Decoded d = decode(input, 10);
    EXPECT_EQ(d.text, "    A      BCD");
    EXPECT_EQ(d.attrs.back(), 3);
}

TEST(AnsiDecode, CapacityCountsOnlyCursorForwardRoom) {
    const struct {
        const char* what;
        std::string input;
        uint64_t capacity;
    } cases[] = {
        {"no cursor forward", esc("[31mABC"), 8},
        {"one cursor forward", esc("[5CA"), 5 + 5},
        {"count after the last ';'", esc("[9;3CA"), 7 + 3},
        {"negative and empty counts add nothing", esc("[-1C") + esc("[C") + "C", 9},
        {"a C that ends no sequence adds nothing", "1C[2C" + esc("2C"), 8},
        {"a look-alike only adds room", esc("[") + esc("[4C"), 6 + 4},
        {"capped by the blank limit", esc("[2000000000C") + esc("[2000000000C") + "Z",
         27 + uint64_t(kMaxForwardBlanks)},
    };
    for (const auto& c : cases) {
        const ExactBytes raw(c.input);
        EXPECT_EQ(ansi_capacity(raw.span(), kMaxForwardBlanks), c.capacity) << c.what;
    }
}

TEST(AnsiDecode, NeverWritesPastTheCapacity) {
    const ExactBytes raw(esc("[31mABCDEFGH") + esc("[20C") + "IJ");
    for (uint32_t capacity = 0; capacity < 32; ++capacity) {
        std::vector<uint8_t> text(capacity + 8, 0xEE), attrs(capacity + 8, 0xEE);
        const uint32_t n = ansi_decode(raw.span(), kMaxForwardBlanks, text.data(), attrs.data(), capacity);
        EXPECT_LE(n, capacity);
        for (uint32_t i = capacity; i < capacity + 8; ++i) {
            EXPECT_EQ(text[i], 0xEE) << "capacity " << capacity;
            EXPECT_EQ(attrs[i], 0xEE) << "capacity " << capacity;
        }
    }
}

}  // namespace

namespace {

TEST(AnsiDecode, EmptySpanWithoutBuffer) {
    EXPECT_EQ(ansi_capacity(ByteSpan{nullptr, 0}, kMaxForwardBlanks), 0u);
    EXPECT_EQ(ansi_decode(ByteSpan{nullptr, 0}, kMaxForwardBlanks, nullptr, nullptr, 0), 0u);
}

}  // namespace
