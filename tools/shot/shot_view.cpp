#include "tools/shot/shot_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/output_file.h"
#include "platform/virtual_window.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"

namespace {

// The file's name as the Document knows it, for the standard reading's .ans
// rule: its last characters when it is longer than the Document's name.
void name_document(Document& doc, const std::string& file) {
    if (!doc.file_name || is_standard_stream(file)) return;
    const size_t keep = std::min<size_t>(file.size(), kPathSize - 1);
    std::memcpy(doc.file_name, file.data() + file.size() - keep, keep);
    doc.file_name[keep] = '\0';
}

// The SAUCE record at the end of a named file, for a read that stops before
// its end; found false when there is none or it cannot be read.
Sauce tail_sauce(const std::string& file) {
    uint8_t record[kSauceRecordSize];
    std::FILE* f = is_standard_stream(file) ? nullptr : std::fopen(file.c_str(), "rb");
    if (!f) return Sauce();
    const bool read = std::fseek(f, -long(kSauceRecordSize), SEEK_END) == 0 &&
                      std::fread(record, 1, sizeof record, f) == sizeof record;
    std::fclose(f);
    return read ? read_sauce(ByteSpan{record, sizeof record}) : Sauce();
}

}  // namespace

bool ShotView::open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
                    const InputLimit& limit) {
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
    Document& doc = *viewer->document;
    doc.text_limit = limit.characters;
    doc.reading = reading;
    doc.columns = columns;
    name_document(doc, file);
    InputBytes input;
    std::string reason;
    const bool got = read_input(file, limit.bytes, input, reason);
    if (got && reading == kStandardReading && input.size == limit.bytes) doc.tail_sauce = tail_sauce(file);
    if (!got || !viewer->open_bytes(std::move(input.bytes), input.size)) {
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
