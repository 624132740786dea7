#pragma once
// How many cells the frame can show, and growing it when a window needs more.
#include <cstdint>

class Viewer;

// Bytes per cell of the frame: 8 x 16 pixels, one byte each.
constexpr uint32_t kCellBytes = 8 * 16;

// The frame never grows past this: 64 MiB holds an 8192 x 8192 pixel view, more
// than any screen a window spans today, and keeps every pixel count and
// dimension far inside 32 bits (and inside the signed sizes Win32 takes).
// The fuzz build lowers it (GLYPHORA_MAX_FRAME_BYTES) so that absurd window
// sizes still pass through every range rule but are drawn small.
#ifndef GLYPHORA_MAX_FRAME_BYTES
#define GLYPHORA_MAX_FRAME_BYTES (64u << 20)
#endif
constexpr uint32_t kMaxFrameBytes = GLYPHORA_MAX_FRAME_BYTES;

struct CellSize {
    uint32_t columns = 0;
    uint32_t rows = 0;
};

// The largest view no bigger than columns x rows whose frame fits limit_bytes.
// Columns are kept as far as the limit allows; rows are cut first.
CellSize fit_cells(uint32_t columns, uint32_t rows, uint32_t limit_bytes);

// Makes the viewer's frame hold a view of columns x rows cells (within
// kMaxFrameBytes), growing it when it is too small; the frame never shrinks and
// a size it already covers allocates nothing. Returns the view it can show:
// the one asked for, or the part of it the present frame holds when growing
// failed.
CellSize reserve_frame(Viewer& viewer, uint32_t columns, uint32_t rows);
