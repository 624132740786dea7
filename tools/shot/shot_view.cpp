#include "tools/shot/shot_view.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/virtual_window.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"

namespace {

// The bytes a read of the file would give, out of ones already in memory:
// at most `limit` of them, as read_input reads a file.
bool take_given(InputBytes& given, uint64_t limit, InputBytes& input) {
    if (given.size <= limit) {
        input = std::move(given);
        return true;
    }
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

bool ShotView::open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
                    const InputLimit& limit, InputBytes* given) {
    if (viewer && viewer->window) destroy_virtual_window(viewer->window);
    viewer.reset(new (std::nothrow) Viewer());
    if (viewer) viewer->init();
    if (!viewer || !viewer->document || !viewer->frame || !viewer->glyph_cache) {
        error = "out of memory";
        return false;
    }
    // No device context: the frame is read where it is composed, so a
    // presented copy of it would only cost time and memory.
    viewer->attach(nullptr, create_virtual_window());
    viewer->update_vscroll();
    viewer->update_hscroll();
    if (size) viewer->resize(size->columns, size->rows);
    viewer->document->text_limit = limit.characters;
    InputBytes input;
    std::string reason;
    const bool read = given ? take_given(*given, limit.bytes, input) : read_input(file, limit.bytes, input, reason);
    if (!read || !viewer->open_bytes(std::move(input.bytes), input.size)) {
        error = "cannot open " + file + ": " + (reason.empty() ? "out of memory" : reason);
        return false;
    }
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
