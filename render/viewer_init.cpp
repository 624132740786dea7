#include <cstring>
#include <new>

#include "render/font.h"
#include "render/palette.h"
#include "render/viewer.h"

namespace {

// Palette slots an attribute byte selects: foreground & 0x47, background & 0x38
// (a bright background, bit 7, takes its bright foreground's slot).
constexpr uint32_t kColourCount = 8;
constexpr uint32_t kBackgroundStride = 8;
constexpr uint32_t kBrightBase = 64;
constexpr uint8_t kPlainInk = 71;  // bright white
constexpr uint8_t kPlainPaper = 0;  // black
constexpr uint32_t kFontBytes = 256 * kCellHeight;

RGBQUAD to_rgbquad(const Rgb& colour) {
    RGBQUAD quad{};
    quad.rgbBlue = colour.blue;
    quad.rgbGreen = colour.green;
    quad.rgbRed = colour.red;
    quad.rgbReserved = 0;
    return quad;
}

void fill_colour_table(RGBQUAD (&table)[256]) {
    std::memset(table, 0, sizeof table);
    for (uint32_t n = 0; n < kColourCount; ++n) {
        table[n] = to_rgbquad(normal_colours[n]);
        table[kBackgroundStride * n] = to_rgbquad(normal_colours[n]);
        table[kBrightBase + n] = to_rgbquad(bright_colours[n]);
    }
}

void expand_font(uint8_t* cache) {
    for (uint32_t b = 0; b < kFontBytes; ++b) {
        for (uint32_t x = 0; x < kCellWidth; ++x) {
            if (builtin_font[b] & (0x80u >> x)) cache[kCellWidth * b + x] = 1;
        }
    }
}

}  // namespace

// A failed allocation leaves its pointer null; composition and painting then
// do nothing instead of writing through it.
void Viewer::init() {
    view_cols = kStartViewCols;
    view_rows = kStartViewRows;
    frame_width = kStartViewCols * kCellWidth;
    frame_height = kStartViewRows * kCellHeight;

    top_row = bottom_row = left_col = right_col = 0;
    doc_rows = doc_cols = 0;
    dc = nullptr;
    window = nullptr;

    document.reset(new (std::nothrow) Document());
    if (document) {
        cur_text = document->text;
        cur_attrs = document->attrs;
        cur_length = document->text_length;
    } else {
        cur_text = nullptr;
        cur_attrs = nullptr;
        cur_length = 0;
    }

    // A second init (a tool or test starting over) keeps buffers it already
    // has; they are only ever cleared or overwritten before being read.
    if (!frame || frame_capacity < kFrameBytes) {
        frame.reset(new (std::nothrow) uint8_t[kFrameBytes]);
        frame_capacity = frame ? kFrameBytes : 0;
    }

    if (!glyph_cache) glyph_cache.reset(new (std::nothrow) uint8_t[kGlyphCacheBytes]);
    if (glyph_cache) std::memset(glyph_cache.get(), 0, kGlyphCacheBytes);

    header_template = BITMAPINFOHEADER{};
    header_template.biSize = sizeof(BITMAPINFOHEADER);
    header_template.biWidth = static_cast<LONG>(frame_width);
    header_template.biHeight = -static_cast<LONG>(frame_height);
    header_template.biPlanes = 1;
    header_template.biBitCount = 8;
    header_template.biCompression = BI_RGB;
    std::memcpy(&bitmap_info.bmiHeader, &header_template, sizeof header_template);

    fill_colour_table(bitmap_info.bmiColors);

    fg_index = kPlainInk;
    bg_index = kPlainPaper;

    if (glyph_cache) expand_font(glyph_cache.get());
}

void Viewer::attach(HDC device_context, HWND main_window) {
    dc = device_context;
    window = main_window;
}
