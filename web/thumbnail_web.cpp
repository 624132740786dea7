// The gallery's thumbnails: glyphora-shot's --thumbnail picture of a pack's
// member, made from its bytes by the same crop, bands and area scaling, and
// handed to the page as RGBA.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <new>

#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_render.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/thumbnail_size.h"

namespace {

// The bytes of the member being drawn: apart from the view's input buffer,
// which a file being opened may be filling meanwhile.
std::unique_ptr<uint8_t[]> member;
uint32_t member_size = 0;

// The last thumbnail: what the page reads, in this order.
// kWhy: null when drawn, else why not, a NUL-ended string.
enum ThumbnailField : uint32_t { kWidth, kHeight, kPixels, kWhy, kThumbnailFields };
uint32_t fields[kThumbnailFields];
std::unique_ptr<uint8_t[]> rgba;
uint64_t rgba_bytes = 0;

uint32_t address(const void* at) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(at)); }

const uint32_t* not_drawn(const char* why) {
    fields[kWhy] = address(why);
    return fields;
}

uint8_t* pixels_for(PixelSize size) {
    const uint64_t bytes = uint64_t(size.width) * size.height * 4;
    if (rgba_bytes < bytes) {
        rgba.reset(new (std::nothrow) uint8_t[bytes]);
        rgba_bytes = rgba ? bytes : 0;
    }
    return rgba.get();
}

void put_pixel(uint8_t* to, uint8_t red, uint8_t green, uint8_t blue) {
    to[0] = red;
    to[1] = green;
    to[2] = blue;
    to[3] = 0xFF;
}

// The crop at its own size: each pixel its palette colour.
bool copy_bands(FrameBands& bands, const RGBQUAD* colours, uint8_t* to) {
    for (uint32_t y = 0; y < bands.height(); ++y) {
        const uint8_t* row = bands.pixel_row(y);
        if (!row) return false;
        for (uint32_t x = 0; x < bands.width(); ++x, to += 4) {
            const RGBQUAD& c = colours[row[x]];
            put_pixel(to, c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
    }
    return true;
}

bool scale_bands(FrameBands& bands, const RGBQUAD* colours, PixelSize out, uint8_t* to) {
    ScaledBands scaled(bands, colours);
    if (!scaled.start(out.width, out.height)) return false;
    for (uint32_t y = 0; y < out.height; ++y) {
        const uint8_t* row = scaled.next_row();
        if (!row) return false;
        for (uint32_t x = 0; x < out.width; ++x, to += 4, row += 3) put_pixel(to, row[0], row[1], row[2]);
    }
    return true;
}

}  // namespace

extern "C" {

char* gw_name();  // the next file's name, which the page wrote (glyphora_web.cpp)

// The most of a member a thumbnail reads: the page hands no more.
EMSCRIPTEN_KEEPALIVE uint32_t gw_thumbnail_bytes() { return static_cast<uint32_t>(thumbnail_input(0).bytes); }

// A buffer of `size` bytes for the member to draw, or null without memory;
// each thumbnail takes its buffer.
EMSCRIPTEN_KEEPALIVE uint8_t* gw_member_input(uint32_t size) {
    member.reset(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    member_size = member ? size : 0;
    return member.get();
}

// The thumbnail of the first `size` bytes of the member buffer, at most
// `longest` pixels a side, as glyphora-shot --thumbnail LONGEST draws that
// file: {result, width, height, RGBA pixels}. `reading` is the reading the
// page asks for: 0 the program's own, 1 the standard reading.
EMSCRIPTEN_KEEPALIVE const uint32_t* gw_thumbnail(uint32_t size, uint32_t longest, uint32_t reading) {
    std::fill(fields, fields + kThumbnailFields, 0);
    static const char kNoMemory[] = "out of memory";
    if (!member || size > member_size) return not_drawn(kNoMemory);
    member_size = 0;
    // The view keeps the bytes, as the Document keeps a file's.
    ShotView view;
    char* name = gw_name();
    view.name = name;
    name[0] = '\0';
    view.reading = reading == 1 ? kStandardReading : kGlyphoraReading;
    InputBytes bytes;
    bytes.bytes = std::move(member);
    bytes.size = size;
    if (!view.open_bytes(bytes, nullptr, false, thumbnail_input(0))) return not_drawn(kNoMemory);
    Viewer& v = *view.viewer;
    wrap_for_thumbnail(v);
    const TextExtent extent = shown_extent(v.cur_text, v.cur_length, v.doc_cols);
    if (const char* nothing = nothing_to_draw(extent)) return not_drawn(nothing);
    const ThumbnailCrop crop = thumbnail_crop(v, extent, 0);
    // Banded as glyphora-shot bands a thumbnail: a crop of at most 82 x 41
    // cells is far from the most bands of the default size.
    FrameBands bands(v, crop.columns, crop.top, crop.rows, ShotTuning().band_bytes);
    const PixelSize source{bands.width(), bands.height()};
    const PixelSize out = thumbnail_size(source, longest);
    uint8_t* to = pixels_for(out);
    const RGBQUAD* colours = v.bitmap_info.bmiColors;
    const bool scaled = out.width != source.width || out.height != source.height;
    if (!to || !(scaled ? scale_bands(bands, colours, out, to) : copy_bands(bands, colours, to)))
        return not_drawn(kNoMemory);
    fields[kWidth] = out.width;
    fields[kHeight] = out.height;
    fields[kPixels] = address(to);
    return fields;
}

}  // extern "C"
