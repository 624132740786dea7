#include "shell/view_frame.h"

#include <algorithm>
#include <new>

#include "render/viewer.h"

CellSize fit_cells(uint32_t columns, uint32_t rows, uint32_t limit_bytes) {
    const uint32_t max_cells = limit_bytes / kCellBytes;
    CellSize fit;
    fit.columns = std::min(columns, max_cells);
    fit.rows = std::min(rows, max_cells);
    // 64-bit so that no product of two 32-bit counts wraps.
    const uint64_t bytes = uint64_t{fit.columns} * fit.rows * kCellBytes;
    if (bytes > limit_bytes) fit.rows = max_cells / fit.columns;
    return fit;
}

namespace {

// Tries to replace the frame with one of `bytes`; the old one stays on failure.
bool replace_frame(Viewer& viewer, uint32_t bytes) {
    uint8_t* grown = new (std::nothrow) uint8_t[bytes];
    if (!grown) return false;
    viewer.frame.reset(grown);
    viewer.frame_capacity = bytes;
    return true;
}

}  // namespace

CellSize reserve_frame(Viewer& viewer, uint32_t columns, uint32_t rows) {
    const CellSize wanted = fit_cells(columns, rows, kMaxFrameBytes);
    const uint32_t needed = wanted.columns * wanted.rows * kCellBytes;
    if (viewer.frame && needed <= viewer.frame_capacity) return wanted;

    // Grow by half again at least, so a window dragged larger a few pixels at a
    // time does not allocate on every size report.
    const uint64_t roomy = uint64_t{viewer.frame_capacity} + viewer.frame_capacity / 2;
    const uint32_t generous =
        static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(needed, roomy), kMaxFrameBytes));
    if (replace_frame(viewer, generous) || (generous > needed && replace_frame(viewer, needed)))
        return wanted;

    return fit_cells(columns, rows, viewer.frame ? viewer.frame_capacity : 0);
}
