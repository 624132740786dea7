#include "document/standard_decode.h"

#include <algorithm>
#include <cstring>

#include "document/control_bytes.h"
#include "document/screen_grid.h"

namespace {

constexpr uint8_t kCsiOpen = 0x5B;  // '['
constexpr uint8_t kParamSeparator = 0x3B;  // ';'
constexpr uint8_t kTab = 0x09;
constexpr uint32_t kTabStop = 8;
constexpr uint32_t kMaxParams = 16;
// Parameter values stop growing here: no count means more than a screen.
constexpr uint32_t kMaxParamValue = 99999999;
// The cursor's row never passes this; rows beyond the grid's bound are
// dropped long before.
constexpr uint32_t kMaxCursorRow = 0x7FFFFFFF;
constexpr uint32_t kAnsiSniffBytes = 4096;

// 0x30-0x3F: digits ; < = > ? and ':'; 0x20-0x2F intermediates; 0x40-0x7E final.
constexpr bool is_parameter_byte(uint8_t b) { return b >= 0x30 && b <= 0x3F; }
constexpr bool is_intermediate_byte(uint8_t b) { return b >= 0x20 && b <= 0x2F; }
constexpr bool is_final_byte(uint8_t b) { return b >= 0x40 && b <= 0x7E; }
constexpr bool is_digit(uint8_t b) { return b >= 0x30 && b <= 0x39; }

// Bytes that end a run of characters: line ends, tab and ESC (read as a
// glyph when escapes are off). Every other byte is drawn from the font.
struct Stops {
    bool stop[256] = {};
    constexpr explicit Stops(bool escapes) {
        stop[kLineFeed] = stop[kCarriageReturn] = stop[kTab] = true;
        stop[kEsc] = escapes;
    }
};
constexpr Stops kAnsiStops(true);
constexpr Stops kPlainStops(false);

struct Params {
    uint32_t value[kMaxParams];
    uint32_t count = 0;
    bool private_marker = false;  // ESC[? and the like: not ours to read

    // Parameter i, with `fallback` for one missing or 0 where 0 means default.
    uint32_t at(uint32_t i, uint32_t fallback) const { return i < count && value[i] ? value[i] : fallback; }
};

// The colours being drawn with, kept as the standard has them.
struct Pen {
    uint8_t foreground = 7, background = 0;
    bool bold = false, blink = false, inverse = false;

    // Inverse swaps the colours; brightness stays where it was set, as on a
    // VGA text screen: bold with the ink, blink with the paper.
    uint8_t attribute(bool ice) const {
        const uint8_t ink = inverse ? background : foreground;
        const uint8_t paper = inverse ? foreground : background;
        return static_cast<uint8_t>(ink + (bold ? 64 : 0) + 8 * paper + (blink && ice ? kBrightBackground : 0));
    }

    void select(const Params& p) {
        if (p.count == 0) *this = Pen();
        for (uint32_t i = 0; i < p.count; ++i) {
            const uint32_t v = p.value[i];
            if (v == 0) *this = Pen();
            else if (v == 1) bold = true;
            else if (v == 22) bold = false;
            else if (v == 5) blink = true;
            else if (v == 25) blink = false;
            else if (v == 7) inverse = true;
            else if (v == 27) inverse = false;
            else if (v >= 30 && v <= 37) foreground = static_cast<uint8_t>(v - 30);
            else if (v == 39) foreground = 7;
            else if (v >= 40 && v <= 47) background = static_cast<uint8_t>(v - 40);
            else if (v == 49) background = 0;
            // 256-colour and 24-bit colours: their own parameters are skipped,
            // not read as attributes; the colour is not ours to draw.
            else if ((v == 38 || v == 48) && i + 1 < p.count) i += p.value[i + 1] == 5 ? 2 : p.value[i + 1] == 2 ? 4 : 0;
        }
    }
};

class StandardDecoder {
public:
    StandardDecoder(ByteSpan art, const StandardSetup& setup)
        : art_(art), setup_(setup), grid_(setup.columns, setup.max_rows, setup.blank_budget),
          stops_(setup.escapes ? kAnsiStops : kPlainStops) {}

    StandardText run() {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        uint32_t j = 0;
        while (j < size && !grid_.failed()) {
            uint32_t k = j;
            while (k < size && !stops_.stop[data[k]]) ++k;
            if (k > j) draw(data + j, k - j);
            if (k == size) break;
            const uint8_t b = data[k];
            j = k + 1;
            if (b == kLineFeed) {
                down(1);
                column_ = 0;
            } else if (b == kCarriageReturn) {
                column_ = 0;
            } else if (b == kTab) {
                column_ = std::min(column_ / kTabStop * kTabStop + kTabStop, grid_.columns() - 1);
            } else {
                j = control_sequence(k);
            }
        }
        StandardText out;
        out.failed = grid_.failed();
        if (out.failed) return out;
        out.rows = grid_.drawn_rows();
        out.length = out.rows * grid_.stride();  // within max_rows * stride, which the caller sized in 32 bits
        out.cut = grid_.cut();
        out.text = grid_.take_text();
        out.attrs = grid_.take_attrs();
        return out;
    }

private:
    void down(uint32_t n) { row_ = std::min<uint64_t>(uint64_t(row_) + n, kMaxCursorRow); }

    // Characters at the cursor, a row's worth at a time; writing the last
    // column moves the cursor to the next row's first.
    void draw(const uint8_t* bytes, uint32_t n) {
        const uint32_t columns = grid_.columns();
        while (n > 0) {
            const uint32_t fits = std::min(n, columns - column_);
            if (grid_.reach(row_)) {
                std::memcpy(grid_.text_at(row_, column_), bytes, fits);
                std::memset(grid_.attrs_at(row_, column_), attr_, fits);
                grid_.mark_drawn(row_);
            } else if (grid_.failed()) {
                return;
            }
            bytes += fits;
            n -= fits;
            column_ += fits;
            if (column_ == columns) {
                column_ = 0;
                down(1);
            }
        }
    }

    // The sequence whose ESC is at `at`; returns where reading goes on. A
    // lone ESC is dropped, and so is a sequence that a byte outside it or the
    // end of the file cuts short.
    uint32_t control_sequence(uint32_t at) {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        if (at + 1 >= size || data[at + 1] != kCsiOpen) return at + 1;
        Params p;
        uint32_t value = 0;
        bool any = false;
        uint32_t k = at + 2;
        for (; k < size && is_parameter_byte(data[k]); ++k) {
            const uint8_t b = data[k];
            if (is_digit(b)) {
                value = std::min(value * 10 + (b - 0x30), kMaxParamValue);
                any = true;
            } else if (b == kParamSeparator) {
                if (p.count < kMaxParams) p.value[p.count++] = value;
                value = 0;
                any = true;
            } else {
                p.private_marker = true;
            }
        }
        if (any && p.count < kMaxParams) p.value[p.count++] = value;
        bool intermediate = false;
        for (; k < size && is_intermediate_byte(data[k]); ++k) intermediate = true;
        if (k == size) return size;
        if (!is_final_byte(data[k])) return k;
        if (!p.private_marker && !intermediate) act(data[k], p);
        return k + 1;
    }

    // One handler per final byte; other sequences are read and ignored.
    void act(uint8_t final_byte, const Params& p) {
        const uint32_t last = grid_.columns() - 1;
        switch (final_byte) {
            case 'm':
                pen_.select(p);
                attr_ = pen_.attribute(setup_.ice);
                break;
            case 'A': row_ -= std::min(row_, p.at(0, 1)); break;
            case 'B': down(p.at(0, 1)); break;
            case 'C': column_ = std::min<uint64_t>(uint64_t(column_) + p.at(0, 1), last); break;
            case 'D': column_ -= std::min(column_, p.at(0, 1)); break;
            case 'H':
            case 'f':
                row_ = std::min(p.at(0, 1) - 1, kMaxCursorRow);
                column_ = std::min(p.at(1, 1) - 1, last);
                break;
            case 's':
                saved_row_ = row_;
                saved_column_ = column_;
                break;
            case 'u':
                row_ = saved_row_;
                column_ = saved_column_;
                break;
            case 'J':
                if (p.at(0, 0) == 2) {
                    grid_.clear();
                    row_ = column_ = 0;
                }
                break;
            case 'K': {
                const uint32_t how = p.at(0, 0);
                const uint32_t from = how == 0 ? column_ : 0;
                const uint32_t to = how == 1 ? column_ + 1 : how == 2 || how == 0 ? last + 1 : 0;
                grid_.blank(row_, from, to, attr_);
                break;
            }
            default: break;
        }
    }

    ByteSpan art_;
    const StandardSetup& setup_;
    ScreenGrid grid_;
    const Stops& stops_;
    Pen pen_;
    uint8_t attr_ = kScreenBlankAttr;
    uint32_t row_ = 0, column_ = 0;
    uint32_t saved_row_ = 0, saved_column_ = 0;
};

bool ends_in_ans(const char* name) {
    if (!name) return false;
    const size_t n = std::strlen(name);
    if (n < 4) return false;
    const char* e = name + n - 4;
    return e[0] == '.' && (e[1] | 0x20) == 'a' && (e[2] | 0x20) == 'n' && (e[3] | 0x20) == 's';
}

}  // namespace

StandardText standard_decode(ByteSpan art, const StandardSetup& setup) {
    return StandardDecoder(art, setup).run();
}

bool reads_as_ansi(const char* file_name, ByteSpan file) {
    if (ends_in_ans(file_name)) return true;
    const uint32_t n = std::min(file.size, kAnsiSniffBytes);
    for (uint32_t i = 0; i + 1 < n; ++i)
        if (file.data[i] == kEsc && file.data[i + 1] == kCsiOpen) return true;
    return false;
}
