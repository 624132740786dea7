// The window's two scroll bars, set from the view's ranges.
#include <algorithm>
#include <climits>

#include "render/viewer.h"

namespace {

// Scroll bars count in int; a count past INT_MAX (two billion lines) is shown
// as INT_MAX rather than wrapping negative.
int bar_value(uint32_t count) {
    return static_cast<int>(std::min<uint32_t>(count, INT_MAX));
}

void set_bar(HWND window, SCROLLINFO& info, int bar, uint32_t doc, uint32_t view, uint32_t first) {
    EnableScrollBar(window, bar, ESB_ENABLE_BOTH);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    info.nMin = 0;
    info.nMax = bar_value(doc);
    info.nPage = view;
    info.nPos = bar_value(first);
    info.nTrackPos = bar_value(first);
    SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

void Viewer::update_vscroll() {
    scroll_info.cbSize = sizeof(SCROLLINFO);
    if (doc_rows < view_rows) {
        // Every row fits, the last one (after the final line end) included.
        top_row = 0;
        bottom_row = doc_rows;
        EnableScrollBar(window, SB_VERT, ESB_DISABLE_BOTH);
        return;
    }
    set_bar(window, scroll_info, SB_VERT, doc_rows, view_rows, top_row);
}

void Viewer::update_hscroll() {
    scroll_info.cbSize = sizeof(SCROLLINFO);
    if (doc_cols < view_cols) {
        // The columns are left as resize or set_wrap made them.
        EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH);
        return;
    }
    set_bar(window, scroll_info, SB_HORZ, doc_cols, view_cols, left_col);
}
