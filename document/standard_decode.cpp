#include "document/standard_decode.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/control_bytes.h"
#include "document/file_extension.h"
#include "document/screen_grid.h"
#include "document/standard_scan.h"
#include "document/standard_sgr.h"

namespace {

using namespace standard_reading;

constexpr uint32_t kTabStop = 8;
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


// Where the cursor is and what it draws with: the decoder's hot state, kept
// in locals by its loop and handed to the rarer handlers as this.
struct Cursor {
    uint32_t row = 0, column = 0;
    uint32_t pen = kStartPen;
    uint8_t attr = kScreenBlankAttr;
};

// The row being drawn on, written left to right in its final form: cells
// [0, filled) hold what was drawn (or blanks), the rest nothing yet, so a run
// may be written as one 16-byte step whose tail the next run, a gap's blanks
// or finishing the row overwrite. Every other change to the grid finishes it
// first.
struct OpenRow {
    static constexpr uint32_t kNone = UINT32_MAX;
    uint32_t row = kNone;
    uint32_t filled = 0;
    uint32_t scribble_end = 0;  // a 16-byte step may start below this column
    uint8_t* text = nullptr;
    uint8_t* attrs = nullptr;
};

constexpr uint32_t kStep = 16;

class StandardDecoder {
public:
    StandardDecoder(ByteSpan art, const StandardSetup& setup)
        : art_(art), grid_(setup.columns, setup.max_rows, setup.blank_budget),
          stops_(setup.escapes ? kAnsiStops : kPlainStops) {
        for (uint32_t pen = 0; pen < kPenStates; ++pen) attributes_[pen] = pen_attribute(pen, setup.ice);
    }

    StandardText run() {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        const uint32_t columns = grid_.columns();
        uint32_t j = 0;
        grid_.expect_rows(expected_rows());
        StopPositions stops(art_, stops_);
        // The hot state in locals: writes through byte pointers would
        // otherwise make the compiler reload members after every store.
        uint32_t row = 0, column = 0, pen = kStartPen;
        uint8_t attr = kScreenBlankAttr;
        OpenRow open;
        while (j < size) {
            const uint32_t k = stops.at_or_after(j);
            // Characters at the cursor, a row's worth at a time; writing the
            // last column moves the cursor to the next row's first.
            while (j < k) {
                const uint32_t fits = std::min(k - j, columns - column);
                if (row == open.row || open_row(open, row)) {
                    write(open, column, data + j, fits, size - j >= kStep, attr);
                } else if (grid_.failed()) {
                    return failed();
                }
                j += fits;
                column += fits;
                if (column == columns) {
                    column = 0;
                    row = down(row, 1);
                }
            }
            if (k == size) break;
            const uint8_t b = data[k];
            j = k + 1;
            if (b == kLineFeed) {
                row = down(row, 1);
                column = 0;
            } else if (b == kCarriageReturn) {
                column = 0;
            } else if (b == kTab) {
                column = std::min(column / kTabStop * kTabStop + kTabStop, columns - 1);
            } else {
#if defined(__SSE2__)
                // Colours and cursor-forward met before: no handler, no grid.
                uint32_t length;
                if (const KnownSequence* known = common_sequence(k, length)) {
                    pen = (pen & known->keep) | known->set;
                    attr = attributes_[pen];
                    column = std::min<uint32_t>(column + known->forward, columns - 1);
                    j = k + length;  // from the bytes: the next run need not wait for the table
                    continue;
                }
#endif
                Cursor cursor{row, column, pen, attr};
                j = control_sequence(k, cursor, open);
                row = cursor.row, column = cursor.column, pen = cursor.pen, attr = cursor.attr;
                if (grid_.failed()) return failed();
            }
        }
        finish(open);
        if (grid_.failed()) return failed();  // no room at the start
        StandardText out;
        out.rows = grid_.drawn_rows();
        out.length = out.rows * grid_.stride();  // within max_rows * stride, which the caller sized in 32 bits
        out.cut = grid_.cut();
        out.text = grid_.take_text();
        out.attrs = grid_.take_attrs();
        return out;
    }

private:
    // Rows the art may fill: one a line feed, and one for each screen's width
    // of bytes, as rows that end by filling the width take (the most there
    // can be). Rows never reached cost only address space: their pages are
    // never touched. So the grid seldom grows, and growing copies it.
    uint32_t expected_rows() const {
        uint64_t feeds = 0;
        const uint8_t* p = art_.data;
        const uint8_t* end = p + art_.size;
        while (p < end && (p = static_cast<const uint8_t*>(std::memchr(p, kLineFeed, end - p)))) ++feeds, ++p;
        return static_cast<uint32_t>(std::min<uint64_t>(feeds + art_.size / grid_.columns() + 1, UINT32_MAX));
    }

    static StandardText failed() {
        StandardText out;
        out.failed = true;
        return out;
    }

    static uint32_t down(uint32_t row, uint32_t n) { return static_cast<uint32_t>(std::min<uint64_t>(uint64_t(row) + n, kMaxCursorRow)); }

    // Makes `row` the open one; false when the bounds cut it (or no memory).
    bool open_row(OpenRow& open, uint32_t row) {
        finish(open);
        bool fresh = false;
        if (!grid_.reach_unwritten(row, fresh)) return false;
        grid_.mark_drawn(row);
        open.row = row;
        open.filled = fresh ? 0 : grid_.columns();
        // Past the row's end lie its line end, rewritten when it is finished,
        // and rows not yet made, or the grid's slack.
        open.scribble_end = grid_.is_last(row) ? grid_.columns() : grid_.columns() > kStep ? grid_.columns() - kStep + 1 : 0;
        open.text = grid_.text_at(row, 0);
        open.attrs = grid_.attrs_at(row, 0);
        return true;
    }

    // The open row's cells not yet written become blank, and it is closed.
    void finish(OpenRow& open) {
        if (open.row != OpenRow::kNone) grid_.finish_row(open.row, open.filled);
        open.row = OpenRow::kNone;
    }

    // n characters (within the row) at `column` of the open row; `step`: 16
    // bytes are readable at bytes.
    static void write(OpenRow& open, uint32_t column, const uint8_t* bytes, uint32_t n, bool step, uint8_t attr) {
        if (n <= kStep && step && column - open.filled <= kStep && column < open.scribble_end) {
            // Art's runs are short, after a short gap or none: the gap's
            // blanks and the run one step each, their tails past the row's
            // written cells.
            std::memset(open.text + open.filled, kBlank, kStep);
            std::memset(open.attrs + open.filled, kScreenBlankAttr, kStep);
            std::memcpy(open.text + column, bytes, kStep);
            std::memset(open.attrs + column, attr, kStep);
            open.filled = column + n;
            return;
        }
        if (column > open.filled) {  // a gap the cursor moved over: blanks
            std::memset(open.text + open.filled, kBlank, column - open.filled);
            std::memset(open.attrs + open.filled, kScreenBlankAttr, column - open.filled);
            open.filled = column;
        }
        std::memcpy(open.text + column, bytes, n);
        std::memset(open.attrs + column, attr, n);
        open.filled = std::max(open.filled, column + n);
    }

#if defined(__SSE2__)
    // A colour or cursor-forward sequence at `at` that is known by its bytes.
    const KnownSequence* common_sequence(uint32_t at, uint32_t& length) {
        if (art_.size - at < 16) return nullptr;
        const SequenceKey key(art_.data + at);
        if (key.length == 0) return nullptr;
        length = key.length;
        KnownSequence* slot;
        const KnownSequence* known = cache_.find(key, slot);
        return known && known->common ? known : nullptr;
    }
#endif

    // The sequence whose ESC is at `at`; returns where reading goes on. A
    // lone ESC is dropped, and so is a sequence that a byte outside it or the
    // end of the file cuts short.
    uint32_t control_sequence(uint32_t at, Cursor& cursor, OpenRow& open) {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        if (at + 1 >= size || data[at + 1] != kCsiOpen) return at + 1;
#if defined(__SSE2__)
        KnownSequence* slot = nullptr;
        SequenceKey key;
        if (size - at >= 16) {
            key = SequenceKey(data + at);
            if (const KnownSequence* known = key.length ? cache_.find(key, slot) : nullptr) {
                if (known->acts) act(known->final_byte, cache_.params_of(known), cursor, open);
                return at + key.length;
            }
        }
#endif
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
        const bool acts = !p.private_marker && !intermediate;
        if (acts) act(data[k], p, cursor, open);
#if defined(__SSE2__)
        if (slot && key.length == k + 1 - at) {
            const PenChange change = data[k] == 'm' ? sgr_change(p) : PenChange();
            slot->first = key.first;
            slot->second = key.second;
            slot->final_byte = data[k];
            slot->acts = acts;
            slot->common = acts && (data[k] == 'm' || data[k] == 'C');
            slot->keep = static_cast<uint16_t>(change.keep);
            slot->set = static_cast<uint16_t>(change.set);
            slot->forward = static_cast<uint16_t>(data[k] == 'C' ? std::min(p.at(0, 1), grid_.columns()) : 0);
            cache_.params_of(slot) = p;
        }
#endif
        return k + 1;
    }

    // One handler per final byte; other sequences are read and ignored.
    void act(uint8_t final_byte, const Params& p, Cursor& c, OpenRow& open) {
        const uint32_t last = grid_.columns() - 1;
        switch (final_byte) {
            case 'm':
                c.pen = sgr_change(p).apply(c.pen);
                c.attr = attributes_[c.pen];
                break;
            case 'A': c.row -= std::min(c.row, p.at(0, 1)); break;
            case 'B': c.row = down(c.row, p.at(0, 1)); break;
            case 'C': c.column = std::min<uint64_t>(uint64_t(c.column) + p.at(0, 1), last); break;
            case 'D': c.column -= std::min(c.column, p.at(0, 1)); break;
            case 'H':
            case 'f':
                c.row = std::min(p.at(0, 1) - 1, kMaxCursorRow);
                c.column = std::min(p.at(1, 1) - 1, last);
                break;
            case 's':
                saved_row_ = c.row;
                saved_column_ = c.column;
                break;
            case 'u':
                c.row = saved_row_;
                c.column = saved_column_;
                break;
            case 'J':
                if (p.at(0, 0) == 2) {
                    open.row = OpenRow::kNone;  // gone with the rest
                    grid_.clear();
                    c.row = c.column = 0;
                }
                break;
            case 'K': {
                const uint32_t how = p.at(0, 0);
                const uint32_t from = how == 0 ? c.column : 0;
                const uint32_t to = how == 1 ? c.column + 1 : how == 2 || how == 0 ? last + 1 : 0;
                finish(open);
                grid_.blank(c.row, from, to, c.attr);
                break;
            }
            default: break;
        }
    }

    ByteSpan art_;
    ScreenGrid grid_;
    const Stops& stops_;
#if defined(__SSE2__)
    SequenceCache cache_;
#endif
    uint8_t attributes_[kPenStates];
    uint32_t saved_row_ = 0, saved_column_ = 0;
};

}  // namespace

StandardText standard_decode(ByteSpan art, const StandardSetup& setup) {
    return StandardDecoder(art, setup).run();
}

bool reads_as_ansi(const char* file_name, ByteSpan file) {
    if (file_name && has_extension(file_name, ".ans")) return true;
    const uint32_t n = std::min(file.size, kAnsiSniffBytes);
    for (uint32_t i = 0; i + 1 < n; ++i)
        if (file.data[i] == kEsc && file.data[i + 1] == kCsiOpen) return true;
    return false;
}
