#pragma once
// The shapes the view's ranges may take and the frame limits composition
// relies on; shared by the view tests and the view fuzz target.
#include <algorithm>
#include <cstring>
#include <string>

#include "render/viewer.h"

namespace view_shapes {

inline std::string span(uint32_t first, uint32_t last) { return std::to_string(first) + ".." + std::to_string(last); }
inline uint64_t used(const Viewer& v) { return uint64_t{v.frame_width} * v.frame_height; }

// An empty view holds first == last; a longer text shows exactly `view` cells
// of 0..doc; a fitting one all of 0..doc, or for columns one short of it (the
// text switch leaves 0..doc-1, a step makes it 1..doc).
inline bool range_ok(uint32_t first, uint32_t last, uint32_t doc, uint32_t view, bool columns) {
    if (view == 0) return first == last && first <= doc;
    if (doc >= view) return uint64_t{first} + view - 1 == last && last <= doc;
    return (first == 0 && last == doc) ||
           (columns && doc >= 1 && ((first == 0 && last == doc - 1) || (first == 1 && last == doc)));
}

// Empty when the ranges and frame size hold every rule, else what breaks.
inline std::string fault(const Viewer& v) {
    if (!range_ok(v.top_row, v.bottom_row, v.doc_rows, v.view_rows, false) ||
        !range_ok(v.left_col, v.right_col, v.doc_cols, v.view_cols, true))
        return "ranges " + span(v.top_row, v.bottom_row) + "," + span(v.left_col, v.right_col) + " of " +
               span(v.doc_rows, v.doc_cols) + " in " + span(v.view_rows, v.view_cols);
    if (uint64_t{v.view_cols} * 8 != v.frame_width || uint64_t{v.view_rows} * 16 != v.frame_height)
        return "frame size does not match the view";
    return used(v) > v.frame_capacity ? "view larger than the frame" : "";
}

// The frame bytes past the view, at most `margin` of them (the sanitizers
// watch the end of the allocation), are marked with a palette index
// composition never draws, and should stay so.
constexpr uint8_t kMarker = 0xA5;
inline uint64_t watched(const Viewer& v, uint64_t margin) { return std::min(margin, v.frame_capacity - used(v)); }
inline void mark_past_view(Viewer& v, uint64_t margin = UINT64_MAX) {
    std::memset(v.frame.get() + used(v), kMarker, watched(v, margin));
}
inline bool past_view_untouched(const Viewer& v, uint64_t margin = UINT64_MAX) {
    const uint8_t* past = v.frame.get() + used(v);
    return watched(v, margin) == 0 || (past[0] == kMarker && !std::memcmp(past, past + 1, watched(v, margin) - 1));
}
inline bool composes_inside_frame(Viewer& v, uint64_t margin = UINT64_MAX) {
    if (used(v) > v.frame_capacity) return false;
    mark_past_view(v, margin);
    v.compose();
    return past_view_untouched(v, margin);
}

}  // namespace view_shapes
