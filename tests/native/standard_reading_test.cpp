// The standard reading beside Glyphora's own: the same bytes, both results;
// SAUCE records whole, cut and misplaced; and the bounds that hold however a
// file moves the cursor.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/sauce.h"
#include "document/screen_grid.h"
#include "document/standard_decode.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::unique_ptr<uint8_t[]> heap(const std::string& s) {
    std::unique_ptr<uint8_t[]> b(new uint8_t[s.size() + 1]);
    std::memcpy(b.get(), s.data(), s.size());
    return b;
}

struct Loaded {
    std::string text;
    Bytes attrs;
};

// Glyphora's reading: the text and attributes as decoded.
Loaded glyphora(const std::string& file) {
    Document doc;
    EXPECT_EQ(doc.load_bytes(heap(file), uint32_t(file.size())), 1);
    return {std::string(doc.text, doc.text + doc.text_length), Bytes(doc.attrs, doc.attrs + doc.text_length)};
}

// The standard reading's screen, each row without its trailing grey-on-black
// blanks and rows joined by '|', with the attributes of the cells kept.
Loaded screen_of(const Document& doc) {
    Loaded out;
    const uint32_t stride = doc.screen_columns + 1;
    for (uint32_t r = 0; r < doc.line_count; ++r) {
        const uint8_t* t = doc.text + uint64_t(r) * stride;
        const uint8_t* a = doc.attrs + uint64_t(r) * stride;
        EXPECT_EQ(t[stride - 1], '\n');
        uint32_t n = doc.screen_columns;
        while (n > 0 && t[n - 1] == ' ' && a[n - 1] == kScreenBlankAttr) --n;
        if (r) out.text += '|';
        out.text.append(t, t + n);
        out.attrs.insert(out.attrs.end(), a, a + n);
    }
    return out;
}

Document& load_standard(Document& doc, const std::string& file, uint32_t columns = 10, const char* name = "art.ans") {
    doc.reading = kStandardReading;
    doc.columns = columns;
    std::snprintf(doc.file_name, kPathSize, "%s", name);
    EXPECT_EQ(doc.load_bytes(heap(file), uint32_t(file.size())), 1);
    EXPECT_EQ(doc.text_length, doc.line_count * (doc.screen_columns + 1));
    return doc;
}

Loaded standard(const std::string& file, uint32_t columns = 10) {
    Document doc;
    return screen_of(load_standard(doc, file, columns));
}

std::string esc(const std::string& rest) { return "\x1b[" + rest; }

TEST(StandardReading, SequencesInBothReadings) {
    // Every input starts with ESC, which Glyphora's reading needs to read it as ANSI.
    const struct {
        const char* what;
        std::string input;
        std::string glyphora_text;
        Bytes glyphora_attrs;
        std::string standard_text;  // a 10-column screen
        Bytes standard_attrs;
    } cases[] = {
        {"text before any colour", esc("0mAB"), "AB", {0, 0}, "AB", {7, 7}},
        {"ESC[0m after bold red", esc("1;31mA") + esc("0mB"), "AB", {65, 65}, "AB", {65, 7}},
        {"bold after the colour", esc("31m") + esc("1mA"), "A", {1}, "A", {65}},
        {"22 ends bold", esc("1;32mA") + esc("22mB"), "AB", {66, 66}, "AB", {66, 2}},
        {"blink without iCE is steady", esc("5;44mX") + esc("25mY"), "XY", {32, 32}, "XY", {39, 39}},
        {"inverse: brightness stays with the ink", esc("1;31;44mA") + esc("7mB") + esc("27mC"), "ABC",
         {97, 97, 97}, "ABC", {97, 76, 97}},
        {"39 and 49", esc("33;41mA") + esc("39mB") + esc("49mC"), "ABC", {11, 11, 11}, "ABC", {11, 15, 7}},
        {"256-colour parameters are not attributes", esc("38;5;1mA"), "A", {0}, "A", {7}},
        {"24-bit ...t is ignored", esc("1;255;0;0tA"), "A", {0}, "A", {7}},
        {"private ESC[?7h is ignored", esc("?7hA"), "A", {0}, "A", {7}},
        {"cursor back overwrites", esc("0mABC") + esc("2DX"), "ABCX", {0, 0, 0, 0}, "AXC", {7, 7, 7}},
        {"cursor forward", esc("0mA") + esc("3CB"), "A   B", {0, 0, 0, 0, 0}, "A   B", {7, 7, 7, 7, 7}},
        {"forward held at the last column", esc("0mA") + esc("99CB") + "C", std::string("A") + std::string(99, ' ') + "BC",
         Bytes(102, 0), "A        B|C", Bytes(11, 7)},
        {"the last column wraps", esc("0m0123456789AB"), "0123456789AB", Bytes(12, 0), "0123456789|AB", Bytes(12, 7)},
        {"CR, LF, tab", esc("0mABC\rX\nY\tZ"), "ABC\rX\nY\tZ", Bytes(9, 0), "XBC|Y       Z", Bytes(12, 7)},
        {"up, down, position", esc("2;3HA") + esc("AB") + esc("2BC"), "ABC", {0, 0, 0}, "   B|  A|    C", Bytes(12, 7)},
        {"up past the top stops there", esc("5AX"), "X", {0}, "X", {7}},
        {"save and restore", esc("0mAB") + esc("s\r\nC") + esc("uD"), "AB\r\nCD", Bytes(6, 0), "ABD|C", Bytes(4, 7)},
        {"2J clears and homes", esc("0mABC\r\nDEF") + esc("2JX"), "ABC\r\nDEFX", Bytes(9, 0), "X", {7}},
        {"K clears to the row's end in the paper", esc("0mABCDE") + esc("3D") + esc("44m") + esc("K"), "ABCDE",
         Bytes(5, 0), "AB        ", {7, 7, 39, 39, 39, 39, 39, 39, 39, 39}},
        {"lone ESC dropped", esc("0mA") + "\x1b" + "B", "AB", {0, 0}, "AB", {7, 7}},
        {"SUB ends the art", esc("0mAB\x1a") + "CD", "AB\x1a" "CD", Bytes(5, 0), "AB", {7, 7}},
        {"a billion rows down draws nothing", esc("999999999BX"), "X", {0}, "", {}},
        {"a sequence cut by the file's end", esc("0mA") + "\x1b[1;3", "A", {0}, "A", {7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Loaded g = glyphora(c.input), s = standard(c.input);
        EXPECT_EQ(g.text, c.glyphora_text);
        EXPECT_EQ(g.attrs, c.glyphora_attrs);
        EXPECT_EQ(s.text, c.standard_text);
        EXPECT_EQ(s.attrs, c.standard_attrs);
    }
}

// A SAUCE record (and comment block) as editors write it.
std::string sauce(uint16_t width, uint8_t flags, uint8_t comments = 0, uint8_t data_type = 1) {
    std::string r = "SAUCE00";
    r += std::string("Dawn Patrol").append(35 - 11, ' ');
    r += std::string("Nobody").append(14, ' ');
    r += std::string("The Group").append(11, ' ');
    r += "19960412";
    r += std::string(4, '\0');
    r += char(data_type);
    r += char(1);  // ANSi
    r += char(width & 0xFF);
    r += char(width >> 8);
    r += std::string(6, '\0');
    r += char(comments);
    r += char(flags);
    r += std::string("IBM VGA").append(15, '\0');
    EXPECT_EQ(r.size(), kSauceRecordSize);
    return r;
}

TEST(StandardReading, SauceRecords) {
    const std::string art = esc("5;41mX") + "\r\n";
    const std::string comment = "COMNT" + std::string(64, 'c');
    const struct {
        const char* what;
        std::string file;
        bool found;
        uint32_t columns;
        std::string text;     // the screen, as screen_of gives it
        uint8_t first_attr;
    } cases[] = {
        {"none", art, false, 80, "X", 15},
        {"width 40 with iCE", art + "\x1a" + sauce(40, 1), true, 40, "X", 15 | 0x80},
        {"width 132", art + "\x1a" + sauce(132, 0), true, 132, "X", 15},
        {"width 160", art + "\x1a" + sauce(160, 0), true, 160, "X", 15},
        {"width 0 is 80", art + "\x1a" + sauce(0, 0), true, 80, "X", 15},
        {"not a character file: no width", art + "\x1a" + sauce(40, 1, 0, 2), true, 80, "X", 15},
        {"a comment block, no SUB", art + comment + sauce(40, 0, 1), true, 40, "X", 15},
        {"a comment count without its block", art + sauce(40, 0, 3), true, 40, "X", 15},
        {"cut short, drawn as art", art + sauce(40, 0).substr(0, 127), false, 80, "X|SAUCE00Dawn Patrol", 15},
        {"a byte after it: the wrong size", art + sauce(40, 0) + "!", false, 80, "X|SAUCE00Dawn Patrol", 15},
        {"another mark", art + "\x1a" + "SAUCE01" + sauce(40, 0).substr(7), false, 80, "X", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        const Loaded s = screen_of(load_standard(doc, c.file, 0));
        EXPECT_EQ(doc.sauce.found, c.found);
        EXPECT_EQ(doc.screen_columns, c.columns);
        EXPECT_EQ(s.text.substr(0, c.text.size()), c.text);
        EXPECT_EQ(s.attrs.at(0), c.first_attr);
        if (c.found) {
            EXPECT_STREQ(doc.sauce.title, "Dawn Patrol");
            EXPECT_STREQ(doc.sauce.author, "Nobody");
            EXPECT_STREQ(doc.sauce.group, "The Group");
            EXPECT_STREQ(doc.sauce.date, "19960412");
            EXPECT_STREQ(doc.sauce.font, "IBM VGA");
        }
    }
    // --columns wins over the record; a record read from the file's end counts
    // when the bytes given hold none.
    Document doc;
    EXPECT_EQ(load_standard(doc, art + "\x1a" + sauce(40, 0), 132).screen_columns, 132u);
    Document head;
    head.tail_sauce = read_sauce(ByteSpan{reinterpret_cast<const uint8_t*>(sauce(160, 1).data()), kSauceRecordSize});
    EXPECT_EQ(load_standard(head, art, 0).screen_columns, 160u);
    EXPECT_EQ(head.attrs[0], 15 | 0x80);
}

TEST(StandardReading, WhichFilesAreAnsi) {
    const std::string far = std::string(4095, 'a') + esc("31mB");
    const struct { const char* name; std::string file; bool ansi; } cases[] = {
        {"art.ans", "A\x1b" "B", true}, {"ART.ANS", "A", true}, {"art.aNs", "A", true},
        {"art.asc", "A" + esc("31mB"), true}, {"art.asc", "A\x1b" "B", false}, {"art.txt", far, false},
        {"ans", "A", false}, {"", "A", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.file.size()));
        Document doc;
        load_standard(doc, c.file, 80, c.name);
        EXPECT_EQ(doc.read_as_ansi, c.ansi ? 1 : 0);
        EXPECT_EQ(reads_as_ansi(c.name, ByteSpan{reinterpret_cast<const uint8_t*>(c.file.data()), uint32_t(c.file.size())}), c.ansi);
    }
    // Plain text: ESC is a glyph, grey on black, and SUB still ends it.
    Document doc;
    const Loaded plain = screen_of(load_standard(doc, "A\x1b" "B\x1a" "C", 10, "art.txt"));
    EXPECT_EQ(plain.text, "A\x1b" "B");
    EXPECT_EQ(plain.attrs, Bytes(3, 7));
}

// A file of n bytes makes a screen of O(n) cells and costs O(n) time, however
// it moves the cursor; text_limit holds as in Glyphora's reading.
TEST(StandardReading, BoundsHoldForHostileMoves) {
    const auto repeated = [](const std::string& piece, size_t bytes) {
        std::string s;
        while (s.size() + piece.size() <= bytes) s += piece;
        return s;
    };
    const struct { const char* what; std::string file; uint32_t columns; } cases[] = {
        {"a billion rows down, then text", "A" + esc("999999999B") + "X", 80},
        {"the furthest position", esc("999999999;999999999HX"), 80},
        {"2J storm far down", repeated(esc("9999BX") + esc("2J"), 1 << 20), 80},
        {"up and down storm", repeated(esc("5000BX") + esc("5000A"), 1 << 20), 80},
        {"save and restore storm", repeated(esc("900BX") + esc("s") + esc("u") + esc("H"), 1 << 20), 80},
        {"K storm on a wide screen", repeated(esc("K") + "\n", 1 << 18), kMaxStandardColumns},
        {"line feeds", std::string(1 << 18, '\n') + "X", kMaxStandardColumns},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto start = std::chrono::steady_clock::now();
        Document doc;
        load_standard(doc, c.file, c.columns);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LE(doc.text_length, forward_blank_budget(c.file.size()));
        EXPECT_LT(seconds, 2.0);
        // A thumbnail's limit keeps the text to its rows.
        Document top;
        top.text_limit = 82000;
        load_standard(top, c.file, c.columns);
        EXPECT_LE(top.text_length, 82000u);
    }
    Document far;
    load_standard(far, "A" + esc("999999999B") + "X", 80);
    EXPECT_EQ(far.line_count, 1u);
    EXPECT_EQ(far.screen_cut, 1);
}

}  // namespace
