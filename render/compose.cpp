#include <cstring>

#include "document/byte_words.h"
#include "document/line_scan.h"
#include "render/viewer.h"

namespace {

constexpr uint8_t kForegroundBits = 0x47;  // colour number and bright bit
constexpr uint8_t kBackgroundBits = 0x38;  // 8 x background colour number
constexpr uint8_t kBrightPaperBit = 0x80;  // a bright background (iCE colours)

// The palette slot of an attribute's paper: 8 x its colour number, or, for a
// bright one, the bright ink's slot of that colour (64 + number), so the
// colour table needs no slots of its own for it. Glyphora's reading never
// sets the bright bit.
inline uint8_t paper_slot(uint8_t a) {
    const uint32_t bright = a >> 7;
    return static_cast<uint8_t>(((a & kBackgroundBits) >> (3 * bright)) | ((a & kBrightPaperBit) >> 1));
}
constexpr uint32_t kGlyphBytes = kCellWidth * kCellHeight;
// 0xFF in every byte of a glyph row equal to 1 (ink), 0x00 elsewhere, so a
// row of eight pixels is one word.
inline uint64_t ink_mask(uint64_t row) {
    return (bytes_equal(row, 1) >> 7) * 0xFF;
}

inline void put_glyph(uint8_t* frame, uint64_t stride, const uint8_t* cache, uint32_t column,
                      uint32_t row, uint32_t ch, uint8_t ink, uint8_t paper) {
    uint8_t* out = frame + uint64_t(row) * kCellHeight * stride + uint64_t(column) * kCellWidth;
    const uint8_t* glyph = cache + (ch & 0xFFu) * kGlyphBytes;
    const uint64_t paper_row = kEveryByte * paper;
    const uint64_t flip = kEveryByte * uint8_t(ink ^ paper);
    for (uint32_t y = 0; y < kCellHeight; ++y) {
        uint64_t bits;
        std::memcpy(&bits, glyph + y * kCellWidth, kCellWidth);
        const uint64_t pixels = paper_row ^ (flip & ink_mask(bits));
        std::memcpy(out, &pixels, kCellWidth);
        out += stride;
    }
}

// Cells may be drawn only when the view and the frame agree and the frame
// holds every pixel of the view; the ranges are not trusted for that.
bool frame_fits_view(const Viewer& v) {
    return v.frame && v.glyph_cache &&
           uint64_t(v.frame_width) == uint64_t(v.view_cols) * kCellWidth &&
           uint64_t(v.frame_height) == uint64_t(v.view_rows) * kCellHeight &&
           uint64_t(v.frame_width) * v.frame_height <= v.frame_capacity;
}

// Where the view's first row starts: from the Document's row index when the
// shown text is one the Document keeps, else walking from the top.
uint64_t first_row_start(Viewer& v, const uint8_t* text, uint64_t length) {
    if (v.document) {
        Document& doc = *v.document;
        if (doc.text_rows.describes(text, length)) return doc.text_rows.row_start(v.top_row);
        if (doc.wrapped_rows.describes(text, length)) return doc.wrapped_rows.row_start(v.top_row);
    }
    return find_row_start(text, length, v.top_row);
}

}  // namespace

void Viewer::clear_frame() {
    if (!frame) return;
    uint64_t count = uint64_t(frame_width) * frame_height;
    if (count > frame_capacity) count = frame_capacity;
    std::memset(frame.get(), bg_index, static_cast<size_t>(count));
}

void Viewer::draw_glyph(uint32_t column, uint32_t row, uint32_t ch, uint8_t ink, uint8_t paper) {
    if (!frame_fits_view(*this) || column >= view_cols || row >= view_rows) return;
    put_glyph(frame.get(), frame_width, glyph_cache.get(), column, row, ch, ink, paper);
}

void Viewer::compose() {
    if (!frame || !glyph_cache) return;
    const bool ansi = document && document->is_ansi == 1;
    const uint8_t* text = cur_text;
    uint64_t length = cur_text ? cur_length : 0;
    if (ansi && !cur_attrs) length = 0;

    uint64_t pos = first_row_start(*this, text, length);
    clear_frame();
    if (!frame_fits_view(*this) || view_cols == 0 || view_rows == 0) return;
    if (top_row > bottom_row || left_col > right_col) return;

    // Clip the ranges to the view so no cell lands outside the frame.
    uint64_t rows = uint64_t(bottom_row) - top_row + 1;
    if (rows > view_rows) rows = view_rows;
    uint64_t last_col = right_col;
    if (last_col > uint64_t(left_col) + view_cols - 1) last_col = uint64_t(left_col) + view_cols - 1;

    uint8_t* out = frame.get();
    const uint8_t* cache = glyph_cache.get();
    const uint64_t stride = frame_width;
    for (uint32_t r = 0; r < rows && pos < length; ++r) {
        const uint64_t line_end = find_line_end(text, pos, length);
        const uint64_t line_length = line_end - pos;
        if (left_col < line_length) {
            const uint64_t last = line_length - 1 < last_col ? line_length - 1 : last_col;
            for (uint64_t j = left_col; j <= last; ++j) {
                const uint8_t ch = text[pos + j];
                uint8_t ink = fg_index;
                uint8_t paper = bg_index;
                if (ansi) {
                    const uint8_t a = cur_attrs[pos + j];
                    ink = a & kForegroundBits;
                    paper = paper_slot(a);
                }
                put_glyph(out, stride, cache, uint32_t(j - left_col), r, ch, ink, paper);
            }
        }
        if (line_end >= length) break;
        pos = line_end + (text[line_end] == kCarriageReturn ? 2 : 1);
    }
}
