// The visible row and column ranges: scroll steps, absolute moves and fitting
// them to a new view size. Each range names its first and last cell, both
// included. When a dimension of the view is empty (0 cells, as a minimised
// window reports) its range is held as first == last, never wrapping below
// zero; nothing is drawn for it because the view has no cells, and no request
// moves it until a resize gives the view cells again.
#include <climits>

#include "render/viewer.h"
#include "shell/input_rules.h"
#include "shell/view_frame.h"

namespace {

// Only the low 8 bits of a direction code count.
constexpr uint32_t kCodeMask = 0xFF;

// The largest first cell of a range of `view` cells over positions 0..doc
// (the last thumb position of the bar); 0 when the whole text fits.
uint32_t last_start(uint32_t doc, uint32_t view) {
    return doc >= view ? doc - view + 1 : 0;
}

// One request on one range. Steps keep the range's length and stop at either
// end; an absolute request sets the length and is kept inside the thumb range.
void move_range(uint32_t code, uint32_t amount, uint32_t& first, uint32_t& last, uint32_t doc,
                uint32_t view) {
    if (view == 0) return;
    switch (code & kCodeMask) {
        case kScrollBack:
            if (first > amount) {
                first -= amount;
                last -= amount;
            } else {
                last -= first;
                first = 0;
            }
            break;
        case kScrollForward: {
            // Written as a difference so that no amount wraps the sum.
            const uint32_t room = last < doc ? doc - last : 0;
            const uint32_t by = amount > room ? room : amount;
            first += by;
            last += by;
            break;
        }
        case kScrollAbsolute: {
            const uint32_t limit = last_start(doc, view);
            first = amount < limit ? amount : limit;
            const uint32_t room = doc - first;
            last = first + (view - 1 < room ? view - 1 : room);
            break;
        }
        default:
            break;
    }
}

// Fits a range to a view of `cells`: it keeps its first cell unless it would
// run past the end, then ends at the last position, or starts at 0 when the
// whole text fits.
void fit_range(uint32_t& first, uint32_t& last, uint32_t doc, uint32_t cells) {
    if (first > doc) first = doc;
    if (cells == 0) {
        last = first;
        return;
    }
    if (cells > doc - first) {
        last = doc;
        first = cells > doc ? 0 : doc - cells + 1;
    } else {
        last = first + cells - 1;
    }
}

int bar_position(uint32_t first) {
    return first > INT_MAX ? INT_MAX : static_cast<int>(first);
}

}  // namespace

void Viewer::scroll_vertical(uint32_t code, uint32_t amount) {
    move_range(code, amount, top_row, bottom_row, doc_rows, view_rows);
    SetScrollPos(window, SB_VERT, bar_position(top_row), TRUE);
    paint(1);
}

void Viewer::scroll_horizontal(uint32_t code, uint32_t amount) {
    move_range(code, amount, left_col, right_col, doc_cols, view_cols);
    SetScrollPos(window, SB_HORZ, bar_position(left_col), TRUE);
    paint(1);
}

void Viewer::resize(uint32_t columns, uint32_t rows) {
    const CellSize view = reserve_frame(*this, columns, rows);
    view_cols = view.columns;
    view_rows = view.rows;
    frame_width = view.columns * kCellWidth;
    frame_height = view.rows * kCellHeight;
    fit_range(left_col, right_col, doc_cols, view_cols);
    fit_range(top_row, bottom_row, doc_rows, view_rows);
    update_vscroll();
    update_hscroll();
    paint(1);
}
