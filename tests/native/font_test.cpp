// The built-in font: the rows the renderer relies on exactly, the blank
// glyphs, where letters and digits stand in the cell, and how lines, shades
// and blocks meet the edges so neighbouring cells join.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "render/font.h"

namespace {

constexpr int kRows = 16;
constexpr int kBaselineRow = 12;
constexpr int kCapitalTopRow = 3;
constexpr int kXHeightRow = 6;

uint8_t row_of(int glyph, int row) { return builtin_font[16 * glyph + row]; }

bool inked(int glyph, int row, int column) {
    return (row_of(glyph, row) >> (7 - column)) & 1;
}

int first_inked_row(int glyph) {
    for (int r = 0; r < kRows; ++r) {
        if (row_of(glyph, r) != 0) return r;
    }
    return -1;
}

int last_inked_row(int glyph) {
    for (int r = kRows - 1; r >= 0; --r) {
        if (row_of(glyph, r) != 0) return r;
    }
    return -1;
}

std::vector<uint8_t> parse_rows(const char* hex) {
    std::vector<uint8_t> rows;
    unsigned value = 0;
    int consumed = 0;
    while (std::sscanf(hex, "%2x%n", &value, &consumed) == 1) {
        rows.push_back(static_cast<uint8_t>(value));
        hex += consumed;
    }
    return rows;
}

std::string describe(int glyph) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "glyph 0x%02X", glyph);
    std::string text = buffer;
    if (glyph > 0x20 && glyph < 0x7F) text += std::string(" '") + char(glyph) + "'";
    return text;
}

struct ExactGlyph {
    int glyph;
    const char* rows;
};

const ExactGlyph kExactGlyphs[] = {
    {0x01, "00 00 00 7E 81 A5 81 81 BD 99 81 81 7E 00 00 00"},
    {'0',  "00 00 00 38 6C C6 C6 D6 D6 C6 C6 6C 38 00 00 00"},
    {'A',  "00 00 00 7C 66 66 66 7E 66 66 66 66 66 00 00 00"},
    {'a',  "00 00 00 00 00 00 7C 06 3E 66 66 66 3E 00 00 00"},
    {'g',  "00 00 00 00 00 00 3E 66 66 66 66 66 3E 06 66 7C"},
    {0xFE, "00 00 00 00 00 7C 7C 7C 7C 7C 7C 7C 00 00 00 00"},
    {0xB0, "44 11 44 11 44 11 44 11 44 11 44 11 44 11 44 11"},
    {0xB1, "AA 55 AA 55 AA 55 AA 55 AA 55 AA 55 AA 55 AA 55"},
    {0xB2, "DD 77 DD 77 DD 77 DD 77 DD 77 DD 77 DD 77 DD 77"},
    {0xB3, "18 18 18 18 18 18 18 18 18 18 18 18 18 18 18 18"},
    {0xB4, "18 18 18 18 18 18 18 18 F8 18 18 18 18 18 18 18"},
    {0xB5, "18 18 18 18 18 18 F8 18 F8 18 18 18 18 18 18 18"},
    {0xB6, "36 36 36 36 36 36 36 36 F6 36 36 36 36 36 36 36"},
    {0xB7, "00 00 00 00 00 00 00 00 FE 36 36 36 36 36 36 36"},
    {0xB8, "00 00 00 00 00 00 F8 18 F8 18 18 18 18 18 18 18"},
    {0xB9, "36 36 36 36 36 36 F6 06 F6 36 36 36 36 36 36 36"},
    {0xBA, "36 36 36 36 36 36 36 36 36 36 36 36 36 36 36 36"},
    {0xBB, "00 00 00 00 00 00 FE 06 F6 36 36 36 36 36 36 36"},
    {0xBC, "36 36 36 36 36 36 F6 06 FE 00 00 00 00 00 00 00"},
    {0xBD, "36 36 36 36 36 36 36 36 FE 00 00 00 00 00 00 00"},
    {0xBE, "18 18 18 18 18 18 F8 18 F8 00 00 00 00 00 00 00"},
    {0xBF, "00 00 00 00 00 00 00 00 F8 18 18 18 18 18 18 18"},
    {0xC0, "18 18 18 18 18 18 18 18 1F 00 00 00 00 00 00 00"},
    {0xC1, "18 18 18 18 18 18 18 18 FF 00 00 00 00 00 00 00"},
    {0xC2, "00 00 00 00 00 00 00 00 FF 18 18 18 18 18 18 18"},
    {0xC3, "18 18 18 18 18 18 18 18 1F 18 18 18 18 18 18 18"},
    {0xC4, "00 00 00 00 00 00 00 00 FF 00 00 00 00 00 00 00"},
    {0xC5, "18 18 18 18 18 18 18 18 FF 18 18 18 18 18 18 18"},
    {0xC6, "18 18 18 18 18 18 1F 18 1F 18 18 18 18 18 18 18"},
    {0xC7, "36 36 36 36 36 36 36 36 37 36 36 36 36 36 36 36"},
    {0xC8, "36 36 36 36 36 36 37 30 3F 00 00 00 00 00 00 00"},
    {0xC9, "00 00 00 00 00 00 3F 30 37 36 36 36 36 36 36 36"},
    {0xCA, "36 36 36 36 36 36 F7 00 FF 00 00 00 00 00 00 00"},
    {0xCB, "00 00 00 00 00 00 FF 00 F7 36 36 36 36 36 36 36"},
    {0xCC, "36 36 36 36 36 36 37 30 37 36 36 36 36 36 36 36"},
    {0xCD, "00 00 00 00 00 00 FF 00 FF 00 00 00 00 00 00 00"},
    {0xCE, "36 36 36 36 36 36 F7 00 F7 36 36 36 36 36 36 36"},
    {0xCF, "18 18 18 18 18 18 FF 00 FF 00 00 00 00 00 00 00"},
    {0xD0, "36 36 36 36 36 36 36 36 FF 00 00 00 00 00 00 00"},
    {0xD1, "00 00 00 00 00 00 FF 00 FF 18 18 18 18 18 18 18"},
    {0xD2, "00 00 00 00 00 00 00 00 FF 36 36 36 36 36 36 36"},
    {0xD3, "36 36 36 36 36 36 36 36 3F 00 00 00 00 00 00 00"},
    {0xD4, "18 18 18 18 18 18 1F 18 1F 00 00 00 00 00 00 00"},
    {0xD5, "00 00 00 00 00 00 1F 18 1F 18 18 18 18 18 18 18"},
    {0xD6, "00 00 00 00 00 00 00 00 3F 36 36 36 36 36 36 36"},
    {0xD7, "36 36 36 36 36 36 36 36 FF 36 36 36 36 36 36 36"},
    {0xD8, "18 18 18 18 18 18 FF 18 FF 18 18 18 18 18 18 18"},
    {0xD9, "18 18 18 18 18 18 18 18 F8 00 00 00 00 00 00 00"},
    {0xDA, "00 00 00 00 00 00 00 00 1F 18 18 18 18 18 18 18"},
    {0xDB, "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
    {0xDC, "00 00 00 00 00 00 00 00 FF FF FF FF FF FF FF FF"},
    {0xDD, "F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0 F0"},
    {0xDE, "0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F"},
    {0xDF, "FF FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00"},
};

TEST(BuiltinFontRows, ExactGlyphs) {
    std::set<int> seen;
    for (const ExactGlyph& expected : kExactGlyphs) {
        const std::vector<uint8_t> rows = parse_rows(expected.rows);
        ASSERT_EQ(rows.size(), 16u) << describe(expected.glyph);
        seen.insert(expected.glyph);
        for (int r = 0; r < kRows; ++r) {
            EXPECT_EQ(row_of(expected.glyph, r), rows[r])
                << describe(expected.glyph) << " row " << r;
        }
    }
    // Every shade, line and block is pinned, not just a sample of them.
    for (int g = 0xB0; g <= 0xDF; ++g) EXPECT_TRUE(seen.count(g)) << describe(g);
}

TEST(BuiltinFontBlank, OnlyTheFiveBlankGlyphsAreEmpty) {
    const std::set<int> blank = {0x00, 0x20, 0xA9, 0xAA, 0xFF};
    for (int g = 0; g < 256; ++g) {
        if (blank.count(g)) {
            for (int r = 0; r < kRows; ++r) {
                EXPECT_EQ(row_of(g, r), 0) << describe(g) << " row " << r;
            }
        } else {
            EXPECT_NE(first_inked_row(g), -1) << describe(g) << " has no ink";
        }
    }
    EXPECT_EQ(builtin_font[4095], 0);
}

// Where each letter and digit starts and ends, counted in rows from the top.
struct LetterExtent {
    char letter;
    int top;
    int bottom;
};

std::vector<LetterExtent> letter_extents() {
    const std::string ascenders = "bdfhkl";
    const std::string dotted = "ij";
    const std::string descenders = "gjpqy";
    std::vector<LetterExtent> extents;
    for (char c = '0'; c <= '9'; ++c) extents.push_back({c, kCapitalTopRow, kBaselineRow});
    for (char c = 'A'; c <= 'Z'; ++c) {
        extents.push_back({c, kCapitalTopRow, c == 'Q' ? 13 : kBaselineRow});
    }
    for (char c = 'a'; c <= 'z'; ++c) {
        int top = kXHeightRow;
        if (ascenders.find(c) != std::string::npos || dotted.find(c) != std::string::npos) {
            top = kCapitalTopRow;
        }
        if (c == 't') top = 4;  // t's stem rises less than a full ascender
        extents.push_back({c, top, descenders.find(c) != std::string::npos ? 15 : kBaselineRow});
    }
    return extents;
}

TEST(BuiltinFontLetters, StartAndEndRows) {
    for (const LetterExtent& e : letter_extents()) {
        EXPECT_EQ(first_inked_row(e.letter), e.top) << describe(e.letter);
        EXPECT_EQ(last_inked_row(e.letter), e.bottom) << describe(e.letter);
    }
}

TEST(BuiltinFontLetters, StandOnTheBaseline) {
    for (const LetterExtent& e : letter_extents()) {
        EXPECT_NE(row_of(e.letter, kBaselineRow), 0) << describe(e.letter);
    }
}

TEST(BuiltinFontLetters, LowerCaseReachesTheXHeight) {
    for (char c = 'a'; c <= 'z'; ++c) {
        EXPECT_NE(row_of(c, kXHeightRow), 0) << describe(c);
    }
}

TEST(BuiltinFontLetters, DotsOfIAndJStandApart) {
    for (char c : std::string("ij")) {
        EXPECT_NE(row_of(c, kCapitalTopRow), 0) << describe(c);
        EXPECT_EQ(row_of(c, kXHeightRow - 1), 0) << describe(c) << " dot touches its stem";
        EXPECT_NE(row_of(c, kXHeightRow), 0) << describe(c);
    }
}

// Accented letters are their base letter with the accent set above it.
struct Accented {
    int glyph;
    char base;
};

const Accented kAccented[] = {
    {0x81, 'u'}, {0x82, 'e'}, {0x83, 'a'}, {0x84, 'a'}, {0x85, 'a'}, {0x86, 'a'},
    {0x88, 'e'}, {0x89, 'e'}, {0x8A, 'e'}, {0x8B, 'i'}, {0x8C, 'i'}, {0x8D, 'i'},
    {0x8E, 'A'}, {0x8F, 'A'}, {0x90, 'E'}, {0x93, 'o'}, {0x94, 'o'}, {0x95, 'o'},
    {0x96, 'u'}, {0x97, 'u'}, {0x98, 'y'}, {0x99, 'O'}, {0x9A, 'U'}, {0xA0, 'a'},
    {0xA1, 'i'}, {0xA2, 'o'}, {0xA3, 'u'}, {0xA4, 'n'}, {0xA5, 'N'},
    {0x80, 'C'}, {0x87, 'c'},
};

TEST(BuiltinFontLetters, AccentedLettersKeepTheirBase) {
    for (const Accented& a : kAccented) {
        const bool capital = a.base >= 'A' && a.base <= 'Z';
        const int body_top = capital ? kCapitalTopRow : kXHeightRow;
        for (int r = body_top; r <= kBaselineRow; ++r) {
            EXPECT_EQ(row_of(a.glyph, r), row_of(a.base, r)) << describe(a.glyph) << " row " << r;
        }
        const bool cedilla = a.glyph == 0x80 || a.glyph == 0x87;
        if (cedilla) {
            EXPECT_GT(last_inked_row(a.glyph), kBaselineRow) << describe(a.glyph);
            continue;
        }
        EXPECT_LT(first_inked_row(a.glyph), body_top - 1) << describe(a.glyph);
        // Accents float clear of the letter, except the ring that sits on top of A.
        if (a.glyph != 0x8F) {
            EXPECT_EQ(row_of(a.glyph, body_top - 1), 0) << describe(a.glyph) << " accent touches";
        }
    }
}

// Line weights at each edge of a box-drawing glyph: 0 none, 1 single, 2 double.
struct BoxJoints {
    int glyph;
    int up, down, left, right;
};

const BoxJoints kBoxJoints[] = {
    {0xB3, 1, 1, 0, 0}, {0xB4, 1, 1, 1, 0}, {0xB5, 1, 1, 2, 0}, {0xB6, 2, 2, 1, 0},
    {0xB7, 0, 2, 1, 0}, {0xB8, 0, 1, 2, 0}, {0xB9, 2, 2, 2, 0}, {0xBA, 2, 2, 0, 0},
    {0xBB, 0, 2, 2, 0}, {0xBC, 2, 0, 2, 0}, {0xBD, 2, 0, 1, 0}, {0xBE, 1, 0, 2, 0},
    {0xBF, 0, 1, 1, 0}, {0xC0, 1, 0, 0, 1}, {0xC1, 1, 0, 1, 1}, {0xC2, 0, 1, 1, 1},
    {0xC3, 1, 1, 0, 1}, {0xC4, 0, 0, 1, 1}, {0xC5, 1, 1, 1, 1}, {0xC6, 1, 1, 0, 2},
    {0xC7, 2, 2, 0, 1}, {0xC8, 2, 0, 0, 2}, {0xC9, 0, 2, 0, 2}, {0xCA, 2, 0, 2, 2},
    {0xCB, 0, 2, 2, 2}, {0xCC, 2, 2, 0, 2}, {0xCD, 0, 0, 2, 2}, {0xCE, 2, 2, 2, 2},
    {0xCF, 1, 0, 2, 2}, {0xD0, 2, 0, 1, 1}, {0xD1, 0, 1, 2, 2}, {0xD2, 0, 2, 1, 1},
    {0xD3, 2, 0, 0, 1}, {0xD4, 1, 0, 0, 2}, {0xD5, 0, 1, 0, 2}, {0xD6, 0, 2, 0, 1},
    {0xD7, 2, 2, 1, 1}, {0xD8, 1, 1, 2, 2}, {0xD9, 1, 0, 1, 0}, {0xDA, 0, 1, 0, 1},
};

// What a line of each weight leaves on a top or bottom edge row...
constexpr uint8_t kEdgeRow[3] = {0x00, 0x18, 0x36};
// ...and the rows it crosses a left or right edge column on.
const std::set<int> kEdgeColumnRows[3] = {{}, {8}, {6, 8}};

std::set<int> rows_inked_in_column(int glyph, int column) {
    std::set<int> rows;
    for (int r = 0; r < kRows; ++r) {
        if (inked(glyph, r, column)) rows.insert(r);
    }
    return rows;
}

TEST(BuiltinFontJoins, EdgesMatchTheLinesThatLeaveTheCell) {
    for (const BoxJoints& b : kBoxJoints) {
        EXPECT_EQ(row_of(b.glyph, 0), kEdgeRow[b.up]) << describe(b.glyph) << " top";
        EXPECT_EQ(row_of(b.glyph, kRows - 1), kEdgeRow[b.down]) << describe(b.glyph) << " bottom";
        EXPECT_EQ(rows_inked_in_column(b.glyph, 0), kEdgeColumnRows[b.left])
            << describe(b.glyph) << " left";
        EXPECT_EQ(rows_inked_in_column(b.glyph, 7), kEdgeColumnRows[b.right])
            << describe(b.glyph) << " right";
    }
}

TEST(BuiltinFontJoins, LinesRunFromTheEdgeToTheJunction) {
    for (const BoxJoints& b : kBoxJoints) {
        // A vertical line entering at the top runs unbroken to row 6, one
        // entering at the bottom up to row 8, where the horizontals meet it.
        for (int c = 0; c < 8; ++c) {
            if (inked(b.glyph, 0, c)) {
                for (int r = 0; r <= 6; ++r) {
                    EXPECT_TRUE(inked(b.glyph, r, c)) << describe(b.glyph) << " column " << c << " row " << r;
                }
            }
            if (inked(b.glyph, kRows - 1, c)) {
                for (int r = 8; r < kRows; ++r) {
                    EXPECT_TRUE(inked(b.glyph, r, c)) << describe(b.glyph) << " column " << c << " row " << r;
                }
            }
        }
        // A horizontal line entering at a side reaches the nearest vertical
        // stroke position (column 2 from the left, column 5 from the right).
        for (int r : rows_inked_in_column(b.glyph, 0)) {
            for (int c = 0; c <= 2; ++c) {
                EXPECT_TRUE(inked(b.glyph, r, c)) << describe(b.glyph) << " row " << r << " column " << c;
            }
        }
        for (int r : rows_inked_in_column(b.glyph, 7)) {
            for (int c = 5; c <= 7; ++c) {
                EXPECT_TRUE(inked(b.glyph, r, c)) << describe(b.glyph) << " row " << r << " column " << c;
            }
        }
    }
}

TEST(BuiltinFontJoins, NeighbouringCellsMeetOnTheSameRowsAndColumns) {
    // Put every glyph beside and above every other: wherever both sides carry
    // a line at the shared edge, the line crosses the edge without a step.
    for (const BoxJoints& a : kBoxJoints) {
        for (const BoxJoints& b : kBoxJoints) {
            if (a.right != 0 && a.right == b.left) {
                EXPECT_EQ(rows_inked_in_column(a.glyph, 7), rows_inked_in_column(b.glyph, 0))
                    << describe(a.glyph) << " beside " << describe(b.glyph);
            }
            if (a.down != 0 && a.down == b.up) {
                EXPECT_EQ(row_of(a.glyph, kRows - 1), row_of(b.glyph, 0))
                    << describe(a.glyph) << " above " << describe(b.glyph);
            }
        }
    }
}

TEST(BuiltinFontJoins, ShadesTileSeamlessly) {
    for (int g = 0xB0; g <= 0xB2; ++g) {
        for (int r = 0; r < kRows; ++r) {
            const uint8_t row = row_of(g, r);
            // The pattern repeats every two rows (so row 15 leads into row 0
            // of the cell below) and every four columns (so column 7 leads
            // into column 0 of the cell to the right).
            EXPECT_EQ(row, row_of(g, (r + 2) % kRows)) << describe(g) << " row " << r;
            EXPECT_EQ(row, static_cast<uint8_t>((row << 4) | (row >> 4))) << describe(g) << " row " << r;
        }
    }
}

TEST(BuiltinFontJoins, IntegralHalvesJoin) {
    EXPECT_NE(row_of(0xF4, kRows - 1), 0);
    EXPECT_EQ(row_of(0xF4, kRows - 1), row_of(0xF5, 0));
}

}  // namespace
