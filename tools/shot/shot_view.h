#pragma once
// A Viewer set up as the program sets it up, with one file opened into it, and
// the rows of a view larger than one frame composed a band at a time.
#include <cstdint>
#include <memory>
#include <string>

#include "render/viewer.h"
#include "shell/view_frame.h"
#include "tools/shot/area_scale.h"

// How much of a file an open takes: its first `bytes` bytes (all of it at
// kMaxFileSize), of which at most `characters` of text are kept; with
// `only_files`, a FIFO or device is refused at once.
struct InputLimit {
    uint64_t bytes = kMaxFileSize;
    uint32_t characters = UINT32_MAX;
    bool only_files = false;
};

struct InputBytes;

class ShotView {
public:
    std::unique_ptr<Viewer> viewer;
    // The reading the open uses (Document::reading) and the standard
    // reading's width (Document::columns).
    int32_t reading = kGlyphoraReading;
    uint32_t columns = 0;
    // The file's name as the Document is told it (the standard reading's .ans
    // rule); open sets it, open_bytes takes it as it is.
    std::string name;

    ShotView() = default;
    ShotView(ShotView&&) = default;
    ~ShotView();

    // Start-up, the window's size report when `size` is given (in the program
    // it comes before any file), the open, and "Wrap lines" when `wrap`. False
    // with the reason in `error` when the file cannot be opened.
    bool open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
              const InputLimit& limit = InputLimit());

    // The same for a file already in memory (a pack's member): `bytes` are
    // taken as a read of the file gives them, at most limit.bytes of them
    // with the SAUCE record at their end; false only without memory.
    bool open_bytes(InputBytes& bytes, const CellSize* cells, bool wrap, const InputLimit& limit = InputLimit());

private:
    bool start(const CellSize* size, const InputLimit& limit);
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

// The rows of `bands` scaled down by area averaging, 3 bytes (RGB) a pixel.
class ScaledBands {
public:
    ScaledBands(FrameBands& bands, const RGBQUAD* colours) : bands_(bands), colours_(colours) {}
    // To out_width x out_height, no side larger than the bands'; false without memory.
    bool start(uint32_t out_width, uint32_t out_height);
    // The next output row, or null when the bands cannot be composed.
    const uint8_t* next_row();

private:
    FrameBands& bands_;
    const RGBQUAD* colours_;
    AreaScaler scaler_;
    uint32_t next_source_ = 0;
};
