// The built-in font: exact rows the renderer relies on, the blank glyphs,
// where letters stand in the cell, and how lines meet neighbouring cells.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "render/font.h"

namespace {

uint8_t row_of(int glyph, int row) { return builtin_font[16 * glyph + row]; }
int first_inked_row(int g) { int r = 0; while (r < 16 && !row_of(g, r)) ++r; return r < 16 ? r : -1; }
int last_inked_row(int g) { int r = 15; while (r >= 0 && !row_of(g, r)) --r; return r; }
std::string describe(int g) { char t[16]; return std::string(t, std::snprintf(t, sizeof t, "glyph 0x%02X", g)); }

// Rows 0..15 as hex, two digits a row.
const struct { int glyph; const char* rows; } kExact[] = {
    {0x01, "0000007E81A58181BD9981817E000000"}, {'0', "000000386CC6C6D6D6C6C66C38000000"},
    {'A', "0000007C6666667E6666666666000000"}, {'a', "0000000000007C063E6666663E000000"},
    {'g', "0000000000003E66666666663E06667C"}, {0xFE, "00000000007C7C7C7C7C7C7C00000000"},
    {0xB0, "44114411441144114411441144114411"}, {0xB1, "AA55AA55AA55AA55AA55AA55AA55AA55"},
    {0xB2, "DD77DD77DD77DD77DD77DD77DD77DD77"}, {0xB3, "18181818181818181818181818181818"},
    {0xB4, "1818181818181818F818181818181818"}, {0xB5, "181818181818F818F818181818181818"},
    {0xB6, "3636363636363636F636363636363636"}, {0xB7, "0000000000000000FE36363636363636"},
    {0xB8, "000000000000F818F818181818181818"}, {0xB9, "363636363636F606F636363636363636"},
    {0xBA, "36363636363636363636363636363636"}, {0xBB, "000000000000FE06F636363636363636"},
    {0xBC, "363636363636F606FE00000000000000"}, {0xBD, "3636363636363636FE00000000000000"},
    {0xBE, "181818181818F818F800000000000000"}, {0xBF, "0000000000000000F818181818181818"},
    {0xC0, "18181818181818181F00000000000000"}, {0xC1, "1818181818181818FF00000000000000"},
    {0xC2, "0000000000000000FF18181818181818"}, {0xC3, "18181818181818181F18181818181818"},
    {0xC4, "0000000000000000FF00000000000000"}, {0xC5, "1818181818181818FF18181818181818"},
    {0xC6, "1818181818181F181F18181818181818"}, {0xC7, "36363636363636363736363636363636"},
    {0xC8, "36363636363637303F00000000000000"}, {0xC9, "0000000000003F303736363636363636"},
    {0xCA, "363636363636F700FF00000000000000"}, {0xCB, "000000000000FF00F736363636363636"},
    {0xCC, "36363636363637303736363636363636"}, {0xCD, "000000000000FF00FF00000000000000"},
    {0xCE, "363636363636F700F736363636363636"}, {0xCF, "181818181818FF00FF00000000000000"},
    {0xD0, "3636363636363636FF00000000000000"}, {0xD1, "000000000000FF00FF18181818181818"},
    {0xD2, "0000000000000000FF36363636363636"}, {0xD3, "36363636363636363F00000000000000"},
    {0xD4, "1818181818181F181F00000000000000"}, {0xD5, "0000000000001F181F18181818181818"},
    {0xD6, "00000000000000003F36363636363636"}, {0xD7, "3636363636363636FF36363636363636"},
    {0xD8, "181818181818FF18FF18181818181818"}, {0xD9, "1818181818181818F800000000000000"},
    {0xDA, "00000000000000001F18181818181818"}, {0xDB, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    {0xDC, "0000000000000000FFFFFFFFFFFFFFFF"}, {0xDD, "F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0"},
    {0xDE, "0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F"}, {0xDF, "FFFFFFFFFFFFFFFF0000000000000000"},
};

TEST(BuiltinFont, ExactRows) {
    std::set<int> seen;
    for (const auto& e : kExact) {
        seen.insert(e.glyph);
        ASSERT_EQ(std::string(e.rows).size(), 32u) << describe(e.glyph);
        for (int r = 0; r < 16; ++r)
            EXPECT_EQ(row_of(e.glyph, r), std::stoul(std::string(e.rows + 2 * r, 2), nullptr, 16))
                << describe(e.glyph) << " row " << r;
    }
    for (int g = 0xB0; g <= 0xDF; ++g) EXPECT_TRUE(seen.count(g)) << describe(g) << " not pinned";
}

TEST(BuiltinFont, OnlyFiveGlyphsAreBlank) {
    const std::set<int> blank = {0x00, 0x20, 0xA9, 0xAA, 0xFF};
    for (int g = 0; g < 256; ++g) EXPECT_EQ(first_inked_row(g) == -1, blank.count(g) == 1) << describe(g);
}

TEST(BuiltinFont, LettersAndDigitsStandOnTheBaseline) {
    const std::string tall = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZbdfhklij", descend = "gjpqy";
    for (char c : tall + "acegmnopqrstuvwxyz") {
        int top = tall.find(c) != std::string::npos ? 3 : 6, bottom = 12;
        if (c == 't') top = 4;  // t's stem rises less than a full ascender
        if (c == 'Q') bottom = 13;
        if (descend.find(c) != std::string::npos) bottom = 15;
        EXPECT_EQ(first_inked_row(c), top) << c;
        EXPECT_EQ(last_inked_row(c), bottom) << c;
        EXPECT_NE(row_of(c, 12), 0) << c << " does not reach the baseline";
        EXPECT_TRUE(c < 'a' || row_of(c, 6)) << c << " does not reach the x-height";
    }
    for (char c : {'i', 'j'}) EXPECT_EQ(row_of(c, 5), 0) << c << "'s dot touches its stem";
}

// Accented letters are their base letter with the accent above (cedilla below).
TEST(BuiltinFont, AccentedLettersKeepTheirBase) {
    const char* glyphs = "\x81\x82\x83\x84\x85\x86\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x93"
                         "\x94\x95\x96\x97\x98\x99\x9A\xA0\xA1\xA2\xA3\xA4\xA5\x80\x87";
    const char* bases = "ueaaaaeeeiiiAAEooouuyOUaiounNCc";
    for (int i = 0; bases[i]; ++i) {
        const int g = uint8_t(glyphs[i]), top = bases[i] <= 'Z' ? 3 : 6;
        for (int r = top; r <= 12; ++r) EXPECT_EQ(row_of(g, r), row_of(bases[i], r)) << describe(g) << " row " << r;
        if (g == 0x80 || g == 0x87) {
            EXPECT_GT(last_inked_row(g), 12) << describe(g);
            continue;
        }
        EXPECT_LT(first_inked_row(g), top - 1) << describe(g);
        EXPECT_TRUE(g == 0x8F || !row_of(g, top - 1)) << describe(g) << " accent touches";  // A's ring may
    }
}

// Line weight leaving each edge of 0xB3..0xDA: 0 none, 1 single, 2 double; up down left right.
const char* const kEdges[] = {
    "1100", "1110", "1120", "2210", "0210", "0120", "2220", "2200", "0220", "2020",
    "2010", "1020", "0110", "1001", "1011", "0111", "1101", "0011", "1111", "1102",
    "2201", "2002", "0202", "2022", "0222", "2202", "0022", "2222", "1022", "2011",
    "0122", "0211", "2001", "1002", "0102", "0201", "2211", "1122", "1010", "0101",
};

std::set<int> rows_in_column(int glyph, int column) {
    std::set<int> rows;
    for (int r = 0; r < 16; ++r)
        if ((row_of(glyph, r) >> (7 - column)) & 1) rows.insert(r);
    return rows;
}

TEST(BuiltinFont, BoxLinesJoinNeighbouringCells) {
    const uint8_t edge_row[3] = {0x00, 0x18, 0x36};  // top/bottom row a line leaves
    const std::set<int> edge_rows[3] = {{}, {8}, {6, 8}};  // rows it crosses a side on
    for (int a = 0; a < 40; ++a) {
        const int g = 0xB3 + a;
        const char* e = kEdges[a];
        EXPECT_EQ(row_of(g, 0), edge_row[e[0] - '0']) << describe(g) << " top";
        EXPECT_EQ(row_of(g, 15), edge_row[e[1] - '0']) << describe(g) << " bottom";
        EXPECT_EQ(rows_in_column(g, 0), edge_rows[e[2] - '0']) << describe(g) << " left";
        EXPECT_EQ(rows_in_column(g, 7), edge_rows[e[3] - '0']) << describe(g) << " right";
        for (int b = 0; b < 40; ++b) {  // matching weights must meet without a step
            const int h = 0xB3 + b;
            EXPECT_TRUE(e[3] == '0' || e[3] != kEdges[b][2] || rows_in_column(g, 7) == rows_in_column(h, 0))
                << describe(g) << " beside " << describe(h);
            EXPECT_TRUE(e[1] == '0' || e[1] != kEdges[b][0] || row_of(g, 15) == row_of(h, 0))
                << describe(g) << " above " << describe(h);
        }
    }
    EXPECT_NE(row_of(0xF4, 15), 0);  // the integral's halves
    EXPECT_EQ(row_of(0xF4, 15), row_of(0xF5, 0));
}

}  // namespace
