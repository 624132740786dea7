// Which text the view shows: the Document's own lines or its wrapped copy, and
// opening a file into the view.
#include <algorithm>

#include "render/viewer.h"

namespace {

// The shown text, its attributes and its length are always switched together.
void show_text(Viewer& viewer, const Document& doc, bool wrapped) {
    viewer.cur_text = wrapped ? doc.wrapped_text : doc.text;
    viewer.cur_attrs = wrapped ? doc.wrapped_attrs : doc.attrs;
    viewer.cur_length = wrapped ? doc.wrapped_length : doc.text_length;
}

// The last cell of a fresh range over `cells` cells; a range over none is held
// at 0 rather than wrapping below it.
uint32_t last_cell(uint32_t cells) {
    return cells == 0 ? 0 : cells - 1;
}

}  // namespace

void Viewer::set_wrap(int flag) {
    if (!document) return;  // no memory for it at start-up: nothing to show
    Document& doc = *document;
    const bool wrapped = flag != 0;
    doc_rows = wrapped ? doc.wrapped_line_count : doc.line_count;
    doc_cols = wrapped ? doc.wrap_column : doc.max_line_width;
    show_text(*this, doc, wrapped);
    doc.wrap_enabled = wrapped ? 1 : 0;
    top_row = 0;
    bottom_row = last_cell(std::min(doc_rows, view_rows));
    left_col = 0;
    right_col = last_cell(std::min(doc_cols, view_cols));
    update_vscroll();
    update_hscroll();
}

namespace {

// A failed load changed nothing, so the wrapped copy (and the view over it)
// still matches the text: wrapping again would only cost time and memory, and
// could fail and leave the view over an empty copy.
int show_loaded(Viewer& viewer, int32_t loaded) {
    if (loaded == 0) return 0;
    viewer.document->wrap(kWrapColumn);
    viewer.set_wrap(0);
    return 1;
}

}  // namespace

int Viewer::open(char* path) {
    if (path == nullptr || !document) return 0;
    document->file_name = path;
    return show_loaded(*this, document->load());
}

int Viewer::open_bytes(std::unique_ptr<uint8_t[]> bytes, uint32_t size) {
    if (!document) return 0;
    return show_loaded(*this, document->load_bytes(std::move(bytes), size));
}
