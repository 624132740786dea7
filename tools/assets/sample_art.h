#pragma once
// Our own art: the bundled ANSI sample (80 columns; the first 30 rows make the
// first screen, the rest shows when scrolled), the plain-text sample, and the
// piece the About picture is drawn from.
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "tools/assets/cell_canvas.h"
#include "tools/assets/logo_letters.h"
#include "tools/assets/sunset_scene.h"

namespace assets {

constexpr uint32_t kSampleCols = 80;
constexpr uint32_t kSampleRows = 41;
constexpr uint32_t kAboutCols = 45;
constexpr uint32_t kAboutRows = 16;

inline void scatter_stars(CellCanvas& canvas, int x0, int y0, int x1, int y1, uint32_t seed,
                          uint32_t per_hundred) {
    Sequence random(seed);
    constexpr std::array<uint8_t, 4> kStars{0xFA, '.', 0xF9, '+'};
    constexpr std::array<uint8_t, 4> kColours{grey, white, bright_white, bright_cyan};
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (random.below(100) < per_hundred) {
                const size_t kind = random.below(uint32_t(kStars.size()));
                canvas.put(x, y, kStars[kind], kColours[kind], black);
            }
}

// The sixteen colours as shade ramps, the backgrounds, a line of text, the
// symbols and the frames the font can draw: 11 rows from `top`.
inline void draw_palette_card(CellCanvas& canvas, int top) {
    draw_box(canvas, 0, top, 79, top + 10, kSingleBox, white, black);
    canvas.text(3, top, " the sixteen colours ", bright_white, black);
    canvas.put(2, top, 0xB4, white, black);
    canvas.put(24, top, 0xC3, white, black);

    // Rows 1 and 2: every foreground as a ramp from light shade to full block and back.
    for (int bright = 0; bright < 2; ++bright) {
        for (int n = 0; n < 8; ++n) {
            const int x = 3 + n * 9;
            // Black ink would vanish on black, so its ramp lies on white.
            const uint8_t fg = uint8_t(n + 8 * bright);
            const uint8_t bg = fg == black ? uint8_t(white) : uint8_t(black);
            const std::array<uint8_t, 4> ramp{kLightShade, kMediumShade, kDarkShade, kFullBlock};
            for (int i = 0; i < 4; ++i) {
                canvas.put(x + i, top + 1 + bright, ramp[size_t(i)], fg, bg);
                canvas.put(x + 7 - i, top + 1 + bright, ramp[size_t(i)], fg, bg);
            }
        }
    }
    // Row 3: each background under a bright ink of the next colour.
    for (int n = 0; n < 8; ++n) {
        const int x = 3 + n * 9;
        const uint8_t ink = uint8_t(8 + (n + 1) % 8);
        canvas.fill(x, top + 3, x + 7, top + 3, kBlank, white, uint8_t(n));
        canvas.text(x + 1, top + 3, std::string("ansi ") + char('0' + n), ink, uint8_t(n));
    }
    // Row 5: letters, digits and signs.
    canvas.text(3, top + 5, "The quick brown fox jumps over the lazy dog.", bright_white, black);
    canvas.text(49, top + 5, "0123456789 !?&@#$%", bright_cyan, black);
    // Row 6: symbols of code page 437.
    std::string symbols;
    for (uint8_t ch : {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x0E, 0x0F, 0x10, 0x11, 0x18, 0x19,
                       0x1E, 0x1F, 0x9B, 0x9C, 0x9D, 0xAB, 0xAC, 0xAE, 0xAF, 0xE0, 0xE1, 0xE3,
                       0xE4, 0xE6, 0xEA, 0xEC, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF6, 0xF7, 0xFB,
                       0xFD}) {
        symbols += char(ch);
        symbols += ' ';
    }
    canvas.text(3, top + 6, symbols, bright_yellow, black);
    // Rows 7-9: a frame in each line style, split in four by its own tees and cross.
    struct FrameStyle {
        const char* rows[3];
        uint8_t colour;
    };
    const std::array<FrameStyle, 4> frames{{
        {{"\xDA\xC4\xC4\xC4\xC2\xC4\xC4\xC4\xBF", "\xC3\xC4\xC4\xC4\xC5\xC4\xC4\xC4\xB4",
          "\xC0\xC4\xC4\xC4\xC1\xC4\xC4\xC4\xD9"}, bright_green},
        {{"\xC9\xCD\xCD\xCD\xCB\xCD\xCD\xCD\xBB", "\xCC\xCD\xCD\xCD\xCE\xCD\xCD\xCD\xB9",
          "\xC8\xCD\xCD\xCD\xCA\xCD\xCD\xCD\xBC"}, bright_cyan},
        {{"\xD5\xCD\xCD\xCD\xD1\xCD\xCD\xCD\xB8", "\xC6\xCD\xCD\xCD\xD8\xCD\xCD\xCD\xB5",
          "\xD4\xCD\xCD\xCD\xCF\xCD\xCD\xCD\xBE"}, bright_magenta},
        {{"\xD6\xC4\xC4\xC4\xD2\xC4\xC4\xC4\xB7", "\xC7\xC4\xC4\xC4\xD7\xC4\xC4\xC4\xB6",
          "\xD3\xC4\xC4\xC4\xD0\xC4\xC4\xC4\xBD"}, bright_yellow},
    }};
    for (size_t i = 0; i < frames.size(); ++i)
        for (int row = 0; row < 3; ++row)
            canvas.text(3 + int(i) * 11, top + 7 + row, frames[i].rows[row], frames[i].colour, black);
    canvas.text(47, top + 8, "drawn for Glyphora,", grey, black);
    canvas.text(47, top + 9, "free to share", grey, black);
    canvas.text(67, top + 8, "\xDB\xB2\xB1\xB0", bright_blue, black);
    canvas.text(71, top + 8, "\xB0\xB1\xB2\xDB", bright_red, black);
    canvas.text(67, top + 9, "\xDF\xDC\xDF\xDC\xDF\xDC\xDF\xDC", bright_green, black);
}

inline CellCanvas draw_sample() {
    CellCanvas canvas(kSampleCols, kSampleRows);

    // Rows 0-10: the logo in a double frame under the stars.
    scatter_stars(canvas, 1, 1, 78, 9, 7u, 6);
    PixelLayer logo(canvas);
    const std::array<uint8_t, kLargeHeight> fire{bright_white, bright_white, bright_yellow,
                                                 bright_yellow, bright_yellow, bright_yellow,
                                                 bright_red, bright_red, bright_red, bright_red,
                                                 red, red};
    draw_logo(logo, kLargeLetters, kLargeWidth, 4, 4, 1, fire, blue);
    logo.paint_onto(canvas);
    draw_box(canvas, 0, 0, 79, 10, kDoubleBox, bright_blue, black);
    canvas.text_centred(9, " a small, fast viewer for ANSI and ASCII art ", bright_cyan, black);

    // Rows 11-27: the sunset.
    static constexpr std::array<Peak, 5> peaks{{{5, 10}, {16, 15}, {26, 9}, {35, 12}, {45, 5}}};
    SunsetScene scene{0, 79, 11, 22, 27, 58, 8, peaks.data(), peaks.size(), 1987u};
    draw_sunset(canvas, scene);

    // Row 28: the beach, its edge washed by the last wave.
    Sequence random(28u);
    for (int x = 0; x < 80; ++x) {
        const uint32_t grain = random.below(8);
        canvas.put(x, 28, grain < 5 ? kLightShade : grain < 7 ? kMediumShade : 0xF9, bright_yellow,
                   yellow);
    }
    PixelLayer foam(canvas);
    for (int x = 0; x < 80; ++x)
        if ((x / 3 + x / 7) % 3 == 0) foam.set(x, 55, bright_white);
    foam.paint_onto(canvas);
    canvas.text_centred(29, "\x19 scroll down for the colours \x19", grey, black);

    // Rows 30-40: the palette card.
    draw_palette_card(canvas, 30);
    return canvas;
}

inline CellCanvas draw_about() {
    CellCanvas canvas(kAboutCols, kAboutRows);
    scatter_stars(canvas, 1, 1, 43, 7, 11u, 5);
    PixelLayer logo(canvas);
    const std::array<uint8_t, kSmallHeight> fire{bright_white, bright_yellow, bright_yellow,
                                                 bright_red, bright_red, red, red};
    draw_logo(logo, kSmallLetters, kSmallWidth, 3, 3, 1, fire, -1);
    logo.paint_onto(canvas);
    canvas.text_centred(6, "ANSI & ASCII art viewer", bright_cyan, black);
    canvas.text_centred(7, "version 0.1.9", cyan, black);

    SunsetScene scene{1, 43, 9, 12, 14, 22, 5, nullptr, 0, 2024u};
    scene.stars = false;
    scene.first_level = 3;
    scene.sun_stripes = false;
    draw_sunset(canvas, scene);
    draw_box(canvas, 0, 0, 44, 15, kDoubleBox, bright_blue, black);
    return canvas;
}

// The plain sample: a table of the viewer's keys in double lines and a heart
// of blocks and shades, with no escapes, CR LF line ends.
inline std::string plain_sample() {
    CellCanvas canvas(72, 22);
    draw_box(canvas, 0, 0, 69, 12, kDoubleBox, white, black);
    canvas.text(2, 1, "\xB0\xB1\xB2\xDB G L Y P H O R A \xDB\xB2\xB1\xB0", white, black);
    canvas.text(30, 1, "keys of the viewer", white, black);
    for (int x = 1; x < 69; ++x) canvas.put(x, 2, 0xCD, white, black);
    canvas.put(0, 2, 0xCC, white, black);
    canvas.put(69, 2, 0xB9, white, black);
    canvas.put(28, 0, 0xCB, white, black);
    canvas.put(28, 2, 0xCE, white, black);
    canvas.put(28, 12, 0xCA, white, black);
    canvas.put(28, 1, 0xBA, white, black);
    const std::array<std::pair<const char*, const char*>, 9> keys{{
        {"\x18 \x19 arrow keys", "one row up or down"},
        {"\x11 \x10 arrow keys", "one column left or right"},
        {"Page Up, Page Down", "a screen, less one row"},
        {"mouse wheel", "two rows a notch"},
        {"scroll bars", "a row, a page, or follow the thumb"},
        {"File \x10 Open...", "choose a file to show"},
        {"dropping a file", "shows the first file dropped"},
        {"View \x10 Wrap lines", "long lines wrapped at column 81"},
        {"Esc", "quit"},
    }};
    for (size_t i = 0; i < keys.size(); ++i) {
        canvas.put(28, 3 + int(i), 0xBA, white, black);
        canvas.text(2, 3 + int(i), keys[i].first, white, black);
        canvas.text(30, 3 + int(i), keys[i].second, white, black);
    }
    // A heart: full blocks at the edge, shades towards its middle.
    const std::array<const char*, 7> heart{{
        " .###.  .###. ",
        "######..######",
        "###%%%##%%%###",
        "'##%%++++%%##'",
        " '##%%++%%##' ",
        "   '##%%##'   ",
        "     '##'     ",
    }};
    for (size_t y = 0; y < heart.size(); ++y)
        for (size_t x = 0; heart[y][x] != 0; ++x) {
            const char c = heart[y][x];
            const uint8_t ch = c == '#' ? kFullBlock : c == '%' ? kDarkShade
                             : c == '+' ? kMediumShade : c == '.' ? kLowerHalf
                             : c == '\'' ? kUpperHalf : kBlank;
            canvas.put(5 + int(x), 14 + int(y), ch, white, black);
        }
    canvas.text(26, 14, "Glyphora shows a file without", white, black);
    canvas.text(26, 15, "escapes as it is: white on black,", white, black);
    canvas.text(26, 16, "its bytes drawn in code page 437.", white, black);
    canvas.text(26, 18, "Open an .ans file for colours.", white, black);

    std::string out;
    for (uint32_t y = 0; y < canvas.rows; ++y) {
        uint32_t end = canvas.cols;
        while (end > 0 && canvas.at(int(end - 1), int(y)).ch == kBlank) --end;
        for (uint32_t x = 0; x < end; ++x) out += char(canvas.at(int(x), int(y)).ch);
        out += "\r\n";
    }
    return out;
}

}  // namespace assets
