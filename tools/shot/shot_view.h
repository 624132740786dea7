#pragma once
// A Viewer set up as the program sets it up, with one file opened into it, and
// the rows of a view larger than one frame composed a band at a time.
#include <cstdint>
#include <memory>
#include <string>

#include "render/viewer.h"
#include "shell/view_frame.h"

// How much of a file an open takes: its first `bytes` bytes (all of it at
// kMaxFileSize), of which at most `characters` of text are kept.
struct InputLimit {
    uint64_t bytes = kMaxFileSize;
    uint32_t characters = UINT32_MAX;
};

struct InputBytes;

class ShotView {
public:
    std::unique_ptr<Viewer> viewer;

    ShotView() = default;
    ShotView(ShotView&&) = default;
    ~ShotView();

    // Start-up, the window's size report when `size` is given (in the program
    // it comes before any file), the open, and "Wrap lines" when `wrap`. False
    // with the reason in `error` when the file cannot be opened. With
    // `given` (a pack's member), its bytes are the file's: taken (all of
    // them, or as many as `limit` lets a file give) instead of reading it.
    bool open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
              const InputLimit& limit = InputLimit(), InputBytes* given = nullptr);
};

// Rows first_row .. first_row + rows - 1 of the shown text, columns 0 ..
// columns - 1, as one image: the view is resized and scrolled to a band of at
// most band_bytes of frame at a time, just as a window would be, so each band
// is exactly what a window of its size shows there.
class FrameBands {
public:
    FrameBands(Viewer& viewer, uint32_t columns, uint32_t first_row, uint32_t rows, uint32_t band_bytes);

    uint32_t width() const { return columns_ * kCellWidth; }
    uint32_t height() const { return rows_ * kCellHeight; }
    uint32_t band_count() const { return (rows_ + band_rows_ - 1) / band_rows_; }

    // Composes band `band` into the frame: its pixels and their count, or null
    // when the view cannot be given that size (no memory for the frame).
    const uint8_t* show_band(uint32_t band, uint64_t& pixel_count);

    // Pixel row y of the image (0 = top), width() palette indices; null as above.
    const uint8_t* pixel_row(uint32_t y);

private:
    Viewer& viewer_;
    uint32_t columns_, first_row_, rows_, band_rows_;
    uint32_t shown_band_ = UINT32_MAX;
};
