#include "tools/shot/shot_view.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/virtual_window.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"

namespace {

// The bytes a read of the file would give, out of ones already in memory:
// at most `limit` of them, with the record at their end, as read_input
// reads a file.
bool take_given(InputBytes& given, uint64_t limit, InputBytes& input) {
    if (given.size <= limit) {
        input = std::move(given);
        return true;
    }
    if (given.size >= kSauceRecordSize)
        input.end_sauce = read_sauce(ByteSpan{given.bytes.get() + given.size - kSauceRecordSize, kSauceRecordSize});
    const uint32_t size = static_cast<uint32_t>(limit);
    input.bytes.reset(new (std::nothrow) uint8_t[std::max<uint32_t>(size, 1)]);
    if (!input.bytes) return false;
    std::memcpy(input.bytes.get(), given.bytes.get(), size);
    input.size = size;
    given = InputBytes();
    return true;
}

}  // namespace

ShotView::~ShotView() {
    if (viewer && viewer->window) destroy_virtual_window(viewer->window);
}

bool ShotView::start(const CellSize* size, const InputLimit& limit) {
    if (viewer && viewer->window) destroy_virtual_window(viewer->window);
    viewer.reset(new (std::nothrow) Viewer());
    if (viewer) viewer->init();
    if (!viewer || !viewer->document || !viewer->frame || !viewer->glyph_cache) return false;
    // No device context: the frame is read where it is composed, so a
    // presented copy of it would only cost time and memory.
    viewer->attach(nullptr, create_virtual_window());
    viewer->update_vscroll();
    viewer->update_hscroll();
    if (size) viewer->resize(size->columns, size->rows);
    Document& doc = *viewer->document;
    doc.text_limit = limit.characters;
    doc.reading = reading;
    doc.columns = columns;
    // The name as the Document knows it, for the standard reading's .ans
    // rule: its last characters when it is longer than the Document's name.
    if (doc.file_name) {
        const size_t keep = std::min<size_t>(name.size(), kPathSize - 1);
        std::memcpy(doc.file_name, name.data() + name.size() - keep, keep);
        doc.file_name[keep] = '\0';
    }
    return true;
}

bool ShotView::open_bytes(InputBytes& bytes, const CellSize* cells, bool wrap, const InputLimit& limit) {
    InputBytes taken;
    if (!start(cells, limit) || !take_given(bytes, limit.bytes, taken)) return false;
    // A read that stops short of the end misses the record there.
    viewer->document->tail_sauce = taken.end_sauce;
    if (!viewer->open_bytes(std::move(taken.bytes), taken.size)) return false;
    if (wrap) viewer->set_wrap(1);
    return true;
}

FrameBands::FrameBands(Viewer& viewer, uint32_t columns, uint32_t first_row, uint32_t rows,
                       uint32_t band_bytes)
    : viewer_(viewer), columns_(columns), first_row_(first_row), rows_(rows) {
    band_rows_ = std::max(fit_cells(columns, rows, band_bytes).rows, 1u);
}

const uint8_t* FrameBands::show_band(uint32_t band, uint64_t& pixel_count) {
    Viewer& v = viewer_;
    const uint32_t start = first_row_ + band * band_rows_;
    const uint32_t count = std::min(band_rows_, rows_ - band * band_rows_);
    if (band != shown_band_) {
        // Every resize and scroll ends in a composition, as in the program; a
        // band already at its size and place is composed afresh all the same.
        bool composed = false;
        if (v.view_cols != columns_ || v.view_rows != count) {
            v.resize(columns_, count);
            composed = true;
        }
        if (v.view_cols != columns_ || v.view_rows != count) return nullptr;
        if (v.top_row != start) {
            v.scroll_vertical(kScrollAbsolute, start);
            composed = true;
        }
        if (v.top_row != start || v.left_col != 0) return nullptr;
        if (!composed) v.paint(1);
        shown_band_ = band;
    }
    pixel_count = uint64_t(v.frame_width) * v.frame_height;
    return v.frame.get();
}

const uint8_t* FrameBands::pixel_row(uint32_t y) {
    const uint32_t band_height = band_rows_ * kCellHeight;
    uint64_t pixel_count = 0;
    const uint8_t* pixels = show_band(y / band_height, pixel_count);
    return pixels ? pixels + uint64_t(y % band_height) * viewer_.frame_width : nullptr;
}

bool ScaledBands::start(uint32_t out_width, uint32_t out_height) {
    next_source_ = 0;
    return scaler_.start(bands_.width(), bands_.height(), out_width, out_height);
}

const uint8_t* ScaledBands::next_row() {
    for (;;) {
        if (const uint8_t* row = scaler_.finished_row()) return row;
        const uint8_t* source = bands_.pixel_row(next_source_++);
        if (!source) return nullptr;
        scaler_.add_row(source, colours_);
    }
}
