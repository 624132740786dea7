#pragma once
// A grid of character cells to draw ANSI art on, a layer of square "pixels"
// drawn with half blocks over it, and the writer that turns the grid into the
// bytes of an .ans file.
#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// Colour numbers as the art uses them: 0-7 normal, 8-15 the bright version.
// Backgrounds can only be normal colours.
enum Colour : uint8_t {
    black, red, green, yellow, blue, magenta, cyan, white,
    grey, bright_red, bright_green, bright_yellow, bright_blue, bright_magenta, bright_cyan,
    bright_white
};

constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kLightShade = 0xB0;
constexpr uint8_t kMediumShade = 0xB1;
constexpr uint8_t kDarkShade = 0xB2;
constexpr uint8_t kFullBlock = 0xDB;
constexpr uint8_t kLowerHalf = 0xDC;
constexpr uint8_t kLeftHalf = 0xDD;
constexpr uint8_t kRightHalf = 0xDE;
constexpr uint8_t kUpperHalf = 0xDF;

struct Cell {
    uint8_t ch = kBlank;
    uint8_t fg = white;
    uint8_t bg = black;
};

class CellCanvas {
public:
    uint32_t cols;
    uint32_t rows;
    std::vector<Cell> cells;

    CellCanvas(uint32_t columns, uint32_t row_count)
        : cols(columns), rows(row_count), cells(size_t{columns} * row_count) {}

    bool inside(int x, int y) const {
        return x >= 0 && y >= 0 && uint32_t(x) < cols && uint32_t(y) < rows;
    }
    Cell& at(int x, int y) { return cells[size_t(y) * cols + uint32_t(x)]; }
    const Cell& at(int x, int y) const { return cells[size_t(y) * cols + uint32_t(x)]; }

    // Drawing outside the grid is clipped, so shapes may run off its edges.
    void put(int x, int y, uint8_t ch, uint8_t fg, uint8_t bg) {
        if (inside(x, y)) at(x, y) = Cell{ch, fg, uint8_t(bg & 7)};
    }
    void text(int x, int y, const std::string& s, uint8_t fg, uint8_t bg) {
        for (size_t i = 0; i < s.size(); ++i) put(x + int(i), y, uint8_t(s[i]), fg, bg);
    }
    void text_centred(int y, const std::string& s, uint8_t fg, uint8_t bg) {
        text((int(cols) - int(s.size())) / 2, y, s, fg, bg);
    }
    void fill(int x0, int y0, int x1, int y1, uint8_t ch, uint8_t fg, uint8_t bg) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) put(x, y, ch, fg, bg);
    }
};

// The box-drawing characters of one frame style, corners clockwise from top left.
struct BoxStyle {
    uint8_t horizontal, vertical, top_left, top_right, bottom_right, bottom_left;
};
constexpr BoxStyle kSingleBox{0xC4, 0xB3, 0xDA, 0xBF, 0xD9, 0xC0};
constexpr BoxStyle kDoubleBox{0xCD, 0xBA, 0xC9, 0xBB, 0xBC, 0xC8};

inline void draw_box(CellCanvas& canvas, int x0, int y0, int x1, int y1, const BoxStyle& style,
                     uint8_t fg, uint8_t bg) {
    for (int x = x0 + 1; x < x1; ++x) {
        canvas.put(x, y0, style.horizontal, fg, bg);
        canvas.put(x, y1, style.horizontal, fg, bg);
    }
    for (int y = y0 + 1; y < y1; ++y) {
        canvas.put(x0, y, style.vertical, fg, bg);
        canvas.put(x1, y, style.vertical, fg, bg);
    }
    canvas.put(x0, y0, style.top_left, fg, bg);
    canvas.put(x1, y0, style.top_right, fg, bg);
    canvas.put(x1, y1, style.bottom_right, fg, bg);
    canvas.put(x0, y1, style.bottom_left, fg, bg);
}

// Square pixels, two to a cell (top and bottom half), painted over a canvas
// with half blocks. A cell whose two pixels are both unset keeps what it held.
class PixelLayer {
public:
    static constexpr int kUnset = -1;
    uint32_t width;
    uint32_t height;
    std::vector<int> pixels;

    explicit PixelLayer(const CellCanvas& canvas)
        : width(canvas.cols), height(canvas.rows * 2), pixels(size_t{width} * height, kUnset) {}

    void set(int x, int y, uint8_t colour) {
        if (x >= 0 && y >= 0 && uint32_t(x) < width && uint32_t(y) < height)
            pixels[size_t(y) * width + uint32_t(x)] = colour;
    }
    int get(int x, int y) const {
        if (x < 0 || y < 0 || uint32_t(x) >= width || uint32_t(y) >= height) return kUnset;
        return pixels[size_t(y) * width + uint32_t(x)];
    }

    // A cell can show two colours only as ink on paper, and paper cannot be
    // bright; of two different bright halves the lower one is drawn in its
    // normal shade.
    void paint_onto(CellCanvas& canvas) const {
        for (uint32_t y = 0; y < canvas.rows; ++y) {
            for (uint32_t x = 0; x < canvas.cols; ++x) {
                const int top = get(int(x), int(2 * y));
                const int bottom = get(int(x), int(2 * y + 1));
                if (top == kUnset && bottom == kUnset) continue;
                Cell& cell = canvas.at(int(x), int(y));
                if (top == bottom) {
                    cell = Cell{kFullBlock, uint8_t(top), cell.bg};
                } else if (bottom == kUnset) {
                    cell = Cell{kUpperHalf, uint8_t(top), cell.bg};
                } else if (top == kUnset) {
                    cell = Cell{kLowerHalf, uint8_t(bottom), cell.bg};
                } else if (bottom < 8) {
                    cell = Cell{kUpperHalf, uint8_t(top), uint8_t(bottom)};
                } else if (top < 8) {
                    cell = Cell{kLowerHalf, uint8_t(bottom), uint8_t(top)};
                } else {
                    cell = Cell{kUpperHalf, uint8_t(top), uint8_t(bottom & 7)};
                }
                // A half in the colour of its paper is a plain cell of that colour.
                if (cell.ch != kFullBlock && cell.fg == cell.bg) cell = Cell{kBlank, white, cell.bg};
            }
        }
    }
};

// Writes the canvas as ANSI: it starts with ESC, sets colours with ESC[...m
// (1 before a bright foreground, 0 before a normal one after bright ones, with
// both colours given again so a terminal's reset agrees with Glyphora's),
// skips runs of black blanks with ESC[nC, drops black blanks at line ends,
// ends lines with CR LF and the file with ESC[0m.
inline std::string to_ansi(const CellCanvas& canvas) {
    std::string out = "\x1b[0m";
    // The decoder's state at the start of a file: black on black, not bold.
    uint8_t cur_fg = black;
    uint8_t cur_bg = black;
    bool bold = false;
    auto set_colours = [&](uint8_t fg, bool fg_matters, uint8_t bg, bool bg_matters) {
        std::string params;
        auto add = [&params](int value) {
            if (!params.empty()) params += ';';
            params += std::to_string(value);
        };
        if (fg_matters && fg >= 8 && !bold) {
            add(1);
            add(30 + (fg & 7));
            bold = true;
            cur_fg = fg;
        } else if (fg_matters && fg < 8 && bold) {
            add(0);
            add(30 + fg);
            add(40 + (bg_matters ? bg : cur_bg));
            bold = false;
            cur_fg = fg;
            if (bg_matters) cur_bg = bg;
        }
        if (fg_matters && cur_fg != fg) {
            add(30 + (fg & 7));
            cur_fg = fg;
        }
        if (bg_matters && cur_bg != bg) {
            add(40 + bg);
            cur_bg = bg;
        }
        if (!params.empty()) out += "\x1b[" + params + "m";
    };

    for (uint32_t y = 0; y < canvas.rows; ++y) {
        uint32_t end = canvas.cols;
        while (end > 0 && canvas.at(int(end - 1), int(y)).ch == kBlank &&
               canvas.at(int(end - 1), int(y)).bg == black)
            --end;
        uint32_t x = 0;
        while (x < end) {
            const Cell& cell = canvas.at(int(x), int(y));
            if (cell.ch == kBlank && cell.bg == black) {
                uint32_t run = 1;
                while (x + run < end && canvas.at(int(x + run), int(y)).ch == kBlank &&
                       canvas.at(int(x + run), int(y)).bg == black)
                    ++run;
                set_colours(cur_fg, false, black, true);
                if (run >= 4) {
                    out += "\x1b[" + std::to_string(run) + "C";
                } else {
                    out.append(run, char(kBlank));
                }
                x += run;
                continue;
            }
            // A blank shows no ink and a full block no paper.
            set_colours(cell.fg, cell.ch != kBlank, cell.bg, cell.ch != kFullBlock);
            out += char(cell.ch);
            ++x;
        }
        out += "\r\n";
    }
    out += "\x1b[0m";
    return out;
}

// A fixed pseudo-random sequence, so that scattered details such as stars and
// waves come out the same on every run and every platform.
class Sequence {
public:
    explicit Sequence(uint32_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    uint32_t below(uint32_t limit) { return next() % limit; }

private:
    uint32_t state_;
};

}  // namespace assets
