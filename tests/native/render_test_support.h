#pragma once
// Helpers for the rendering tests: a Viewer showing a given text, and reading
// cells back out of its frame.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/viewer.h"

struct ShownText {
    std::unique_ptr<Viewer> viewer;
    // Exactly as long as the text, so a read past its end is caught by ASan.
    std::unique_ptr<uint8_t[]> text;
    std::unique_ptr<uint8_t[]> attrs;
};

struct Ranges {
    uint32_t top_row, bottom_row, left_col, right_col;
};

// A freshly initialised Viewer (84 x 30) showing `text`, with one attribute
// byte per character when `attrs` is not empty (an ANSI document).
inline ShownText show_text(const std::string& text, const std::vector<uint8_t>& attrs,
                           Ranges ranges) {
    ShownText shown;
    shown.viewer = std::make_unique<Viewer>();
    Viewer& v = *shown.viewer;
    v.init();
    shown.text.reset(new uint8_t[text.size() ? text.size() : 1]);
    std::memcpy(shown.text.get(), text.data(), text.size());
    v.cur_text = shown.text.get();
    v.cur_length = static_cast<uint32_t>(text.size());
    if (!attrs.empty()) {
        shown.attrs.reset(new uint8_t[attrs.size()]);
        std::memcpy(shown.attrs.get(), attrs.data(), attrs.size());
        v.cur_attrs = shown.attrs.get();
        v.document->is_ansi = 1;
    }
    v.top_row = ranges.top_row;
    v.bottom_row = ranges.bottom_row;
    v.left_col = ranges.left_col;
    v.right_col = ranges.right_col;
    return shown;
}

// True when cell (column, row) of the frame holds glyph `ch` in the colours.
inline bool cell_shows(const Viewer& v, uint32_t column, uint32_t row, uint8_t ch, uint8_t ink,
                       uint8_t paper) {
    for (uint32_t y = 0; y < kCellHeight; ++y) {
        for (uint32_t x = 0; x < kCellWidth; ++x) {
            const uint8_t bit = v.glyph_cache[ch * kCellWidth * kCellHeight + y * kCellWidth + x];
            const uint8_t pixel = v.frame[(row * kCellHeight + y) * v.frame_width + column * kCellWidth + x];
            if (pixel != (bit == 1 ? ink : paper)) return false;
        }
    }
    return true;
}

// True when every pixel of cell (column, row) is `value`.
inline bool cell_filled(const Viewer& v, uint32_t column, uint32_t row, uint8_t value) {
    for (uint32_t y = 0; y < kCellHeight; ++y)
        for (uint32_t x = 0; x < kCellWidth; ++x)
            if (v.frame[(row * kCellHeight + y) * v.frame_width + column * kCellWidth + x] != value)
                return false;
    return true;
}
