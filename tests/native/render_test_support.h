#pragma once
// Helpers for the rendering tests: a Viewer showing a given text, and reading
// cells back out of its frame.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/viewer.h"

struct Ranges {
    uint32_t top_row, bottom_row, left_col, right_col;
};

struct ShownText {
    std::unique_ptr<Viewer> viewer = std::make_unique<Viewer>();
    // Exactly as long as the text, so a read past its end is caught by ASan.
    std::unique_ptr<uint8_t[]> text, attrs;
};

// A fresh Viewer (84 x 30) showing `text`; an ANSI document when `attrs` is not empty.
inline ShownText show_text(const std::string& text, const std::vector<uint8_t>& attrs, Ranges r) {
    ShownText s;
    Viewer& v = *s.viewer;
    v.init();
    s.text.reset(new uint8_t[std::max<size_t>(text.size(), 1)]);
    v.cur_text = static_cast<uint8_t*>(std::memcpy(s.text.get(), text.data(), text.size()));
    v.cur_length = static_cast<uint32_t>(text.size());
    if (!attrs.empty()) {
        s.attrs.reset(new uint8_t[attrs.size()]);
        v.cur_attrs = static_cast<uint8_t*>(std::memcpy(s.attrs.get(), attrs.data(), attrs.size()));
        v.document->is_ansi = 1;
    }
    v.top_row = r.top_row, v.bottom_row = r.bottom_row, v.left_col = r.left_col, v.right_col = r.right_col;
    return s;
}

// True when cell (column, row) holds glyph `ch` in the colours; glyph 0 is
// blank, so (0, c, c) asks for a cell filled with c.
inline bool cell_shows(const Viewer& v, uint32_t column, uint32_t row, uint8_t ch, uint8_t ink, uint8_t paper) {
    for (uint32_t y = 0; y < kCellHeight; ++y)
        for (uint32_t x = 0; x < kCellWidth; ++x)
            if (v.frame[(row * kCellHeight + y) * v.frame_width + column * kCellWidth + x] !=
                (v.glyph_cache[ch * kCellWidth * kCellHeight + y * kCellWidth + x] ? ink : paper))
                return false;
    return true;
}
