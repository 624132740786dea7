// Which text the view shows: the Document's own lines or its wrapped copy, and
// opening a file into the view.
#include "render/viewer.h"

namespace {

// The last cell of a fresh range over `cells` cells; a range over none is held
// at 0 rather than wrapping below it.
uint32_t last_cell(uint32_t cells) {
    return cells == 0 ? 0 : cells - 1;
}

uint32_t smaller(uint32_t a, uint32_t b) {
    return a < b ? a : b;
}

}  // namespace

void Viewer::set_wrap(int flag) {
    if (!document) return;  // no memory for it at start-up: nothing to show
    Document& doc = *document;
    if (flag != 0) {
        doc_rows = doc.wrapped_line_count;
        doc_cols = doc.wrap_column;
        cur_text = doc.wrapped_text;
        cur_attrs = doc.wrapped_attrs;
        cur_length = doc.wrapped_length;
        doc.wrap_enabled = 1;
    } else {
        doc_rows = doc.line_count;
        doc_cols = doc.max_line_width;
        cur_text = doc.text;
        cur_attrs = doc.attrs;
        cur_length = doc.text_length;
        doc.wrap_enabled = 0;
    }
    top_row = 0;
    bottom_row = last_cell(smaller(doc_rows, view_rows));
    left_col = 0;
    right_col = last_cell(smaller(doc_cols, view_cols));
    update_vscroll();
    update_hscroll();
}

int Viewer::open(char* path) {
    if (path == nullptr || !document) return 0;
    Document& doc = *document;
    doc.file_name = path;
    const int32_t loaded = doc.load();
    doc.wrap(kWrapColumn);
    if (loaded == 0) {
        // The wrap replaced the wrapped copy the view may be showing; the new
        // copy holds the same content, so only the pointers move.
        if (doc.wrap_enabled != 0) {
            cur_text = doc.wrapped_text;
            cur_attrs = doc.wrapped_attrs;
            cur_length = doc.wrapped_length;
        }
        return 0;
    }
    set_wrap(0);
    return 1;
}
