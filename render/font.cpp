#include "render/font.h"

#include <cstddef>

namespace {

constexpr int kGlyphCount = 256;
constexpr int kGlyphRows = 16;
constexpr int kGlyphColumns = 8;
constexpr char kInk = '#';
constexpr char kPaper = '.';

struct DrawnGlyph {
    int code;
    const char* name;
    char rows[kGlyphRows][kGlyphColumns + 1];
};

constexpr DrawnGlyph kDrawnGlyphs[] = {
#define GLYPH(code, name, ...) {code, name, {__VA_ARGS__}},
#include "render/font_glyphs.inc"
#undef GLYPH
};

static_assert(sizeof(kDrawnGlyphs) / sizeof(kDrawnGlyphs[0]) == kGlyphCount,
              "the glyph source must draw exactly 256 glyphs");

constexpr bool glyphs_in_code_order() {
    for (int g = 0; g < kGlyphCount; ++g) {
        if (kDrawnGlyphs[g].code != g) return false;
    }
    return true;
}
static_assert(glyphs_in_code_order(), "glyphs must be drawn in code order, 0x00 to 0xFF");

constexpr bool row_is_well_drawn(const char* row) {
    int length = 0;
    for (; row[length] != '\0'; ++length) {
        if (row[length] != kInk && row[length] != kPaper) return false;
    }
    return length == kGlyphColumns;
}

constexpr bool every_row_well_drawn() {
    for (const DrawnGlyph& glyph : kDrawnGlyphs) {
        for (const char* row : glyph.rows) {
            if (!row_is_well_drawn(row)) return false;
        }
    }
    return true;
}
static_assert(every_row_well_drawn(),
              "every glyph needs 16 rows of exactly eight '#' or '.' characters");

// Byte 16 * glyph + row of the font; bit 7 is the leftmost pixel.
constexpr uint8_t font_byte(std::size_t index) {
    const char* row = kDrawnGlyphs[index / kGlyphRows].rows[index % kGlyphRows];
    uint8_t bits = 0;
    for (int x = 0; x < kGlyphColumns; ++x) {
        if (row[x] == kInk) bits = static_cast<uint8_t>(bits | (0x80u >> x));
    }
    return bits;
}

}  // namespace

// The 4096 bytes are spelled out by doubling macros so the array is filled
// while compiling and stays a plain constant table.
#define GLYPHORA_FONT_1(n) font_byte(n)
#define GLYPHORA_FONT_4(n) GLYPHORA_FONT_1(n), GLYPHORA_FONT_1(n + 1), \
    GLYPHORA_FONT_1(n + 2), GLYPHORA_FONT_1(n + 3)
#define GLYPHORA_FONT_16(n) GLYPHORA_FONT_4(n), GLYPHORA_FONT_4(n + 4), \
    GLYPHORA_FONT_4(n + 8), GLYPHORA_FONT_4(n + 12)
#define GLYPHORA_FONT_64(n) GLYPHORA_FONT_16(n), GLYPHORA_FONT_16(n + 16), \
    GLYPHORA_FONT_16(n + 32), GLYPHORA_FONT_16(n + 48)
#define GLYPHORA_FONT_256(n) GLYPHORA_FONT_64(n), GLYPHORA_FONT_64(n + 64), \
    GLYPHORA_FONT_64(n + 128), GLYPHORA_FONT_64(n + 192)
#define GLYPHORA_FONT_1024(n) GLYPHORA_FONT_256(n), GLYPHORA_FONT_256(n + 256), \
    GLYPHORA_FONT_256(n + 512), GLYPHORA_FONT_256(n + 768)

extern constexpr uint8_t builtin_font[4096] = {
    GLYPHORA_FONT_1024(0), GLYPHORA_FONT_1024(1024),
    GLYPHORA_FONT_1024(2048), GLYPHORA_FONT_1024(3072),
};

#undef GLYPHORA_FONT_1
#undef GLYPHORA_FONT_4
#undef GLYPHORA_FONT_16
#undef GLYPHORA_FONT_64
#undef GLYPHORA_FONT_256
#undef GLYPHORA_FONT_1024

static_assert(builtin_font[16 * 'A' + 3] == 0x7C, "'A' has a flat top");
static_assert(builtin_font[4095] == 0, "the last row of glyph 0xFF is blank");
