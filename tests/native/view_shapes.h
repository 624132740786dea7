#pragma once
// The shapes the view's ranges may take and the frame limits composition
// relies on, checked by the view tests and by the view fuzz target.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "render/viewer.h"

namespace view_shapes {

inline std::string span(uint32_t first, uint32_t last) {
    return std::to_string(first) + ".." + std::to_string(last);
}

// A range over positions 0..doc seen through `view` cells: empty (first ==
// last, view 0), Full (exactly `view` cells inside 0..doc), Whole (0..doc when
// it all fits) or, when `one_column_variants`, the fitting range one short of
// the end that switching the text leaves (0..doc-1, stepped to 1..doc).
inline std::string range_fault(const char* name, uint32_t first, uint32_t last, uint32_t doc,
                               uint32_t view, bool one_column_variants) {
    const std::string where = std::string(name) + " " + span(first, last) + " of 0.." +
                              std::to_string(doc) + " in " + std::to_string(view) + " cells";
    if (view == 0) {
        return first == last && first <= doc ? "" : where + ": not the empty shape";
    }
    if (doc >= view) {
        const bool full = uint64_t{first} + view - 1 == last && last <= doc;
        return full ? "" : where + ": not Full";
    }
    if (first == 0 && last == doc) return "";
    if (one_column_variants && doc >= 1 &&
        ((first == 0 && last == doc - 1) || (first == 1 && last == doc))) {
        return "";
    }
    return where + ": not Whole";
}

// Empty when the viewer's ranges and view size hold every rule, else what breaks.
inline std::string fault(const Viewer& v) {
    std::string f = range_fault("rows", v.top_row, v.bottom_row, v.doc_rows, v.view_rows, false);
    if (f.empty()) {
        f = range_fault("columns", v.left_col, v.right_col, v.doc_cols, v.view_cols, true);
    }
    if (f.empty() && (uint64_t{v.view_cols} * 8 != v.frame_width ||
                      uint64_t{v.view_rows} * 16 != v.frame_height)) {
        f = "frame size does not match the view";
    }
    if (f.empty() && uint64_t{v.frame_width} * v.frame_height > v.frame_capacity) {
        f = "view larger than the frame";
    }
    return f;
}

constexpr uint8_t kMarker = 0xA5;  // a palette index composition never draws

// The frame bytes past the presented pixels that are watched: the first
// `margin` of them (the sanitizers watch the end of the allocation).
inline uint64_t watched_end(const Viewer& v, uint64_t margin) {
    const uint64_t used = uint64_t{v.frame_width} * v.frame_height;
    return used + std::min<uint64_t>(margin, v.frame_capacity - used);
}

inline void mark_past_view(Viewer& v, uint64_t margin = UINT64_MAX) {
    const uint64_t used = uint64_t{v.frame_width} * v.frame_height;
    std::memset(v.frame.get() + used, kMarker, watched_end(v, margin) - used);
}

inline bool past_view_untouched(const Viewer& v, uint64_t margin = UINT64_MAX) {
    static uint8_t marks[4096];
    if (marks[0] != kMarker) std::memset(marks, kMarker, sizeof marks);
    const uint64_t end = watched_end(v, margin);
    for (uint64_t i = uint64_t{v.frame_width} * v.frame_height; i < end; i += sizeof marks) {
        const uint64_t n = std::min<uint64_t>(sizeof marks, end - i);
        if (std::memcmp(v.frame.get() + i, marks, n) != 0) return false;
    }
    return true;
}

// Composes with the bytes past the view marked; whether composition left
// them alone.
inline bool composes_inside_frame(Viewer& v, uint64_t margin = UINT64_MAX) {
    if (uint64_t{v.frame_width} * v.frame_height > v.frame_capacity) return false;
    mark_past_view(v, margin);
    v.compose();
    return past_view_untouched(v, margin);
}

}  // namespace view_shapes
