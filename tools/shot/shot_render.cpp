#include "tools/shot/shot_render.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/output_file.h"
#include "platform/png_palette.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/shown_name.h"
#include "tools/shot/text_extent.h"
#include "tools/shot/thumbnail_size.h"

namespace {

const uint8_t* frame_row(void* context, uint32_t y) {
    const Viewer& v = *static_cast<const Viewer*>(context);
    return v.frame.get() + uint64_t(y) * v.frame_width;
}

const uint8_t* band_row(void* context, uint32_t y) {
    return static_cast<FrameBands*>(context)->pixel_row(y);
}

const uint8_t* scaled_row(void* context, uint32_t) { return static_cast<ScaledBands*>(context)->next_row(); }

// Frame bytes for each band of a columns x rows piece.
uint32_t band_bytes(const ShotTuning& tuning, uint32_t columns, uint32_t rows) {
    const uint64_t total = uint64_t(columns) * rows * kCellBytes;
    const uint64_t few_enough = (total + tuning.max_bands - 1) / std::max(tuning.max_bands, 1u);
    const uint32_t most = std::min(tuning.max_band_bytes, kMaxFrameBytes);
    return static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(tuning.band_bytes, few_enough), most));
}

// Whether writing `output` would replace the file `input` is read from.
// Only a file can be replaced; "-" is the standard stream on each side.
bool same_file(const std::string& input, const std::string& output) {
    struct stat in {}, out {};
    const bool read = is_standard_stream(input) ? fstat(STDIN_FILENO, &in) == 0 : stat(input.c_str(), &in) == 0;
    const bool written = is_standard_stream(output) ? fstat(STDOUT_FILENO, &out) == 0
                                                            : stat(output.c_str(), &out) == 0;
    return read && written && S_ISREG(in.st_mode) && S_ISREG(out.st_mode) && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino;
}

std::string cells(uint32_t columns, uint32_t rows) {
    return std::to_string(columns) + "x" + std::to_string(rows);
}

class Shot {
public:
    const ShotRequest& request;
    const std::string& input;
    const std::string& output;
    std::string& error;
    const ShotTuning& tuning;
    std::string* notice;
    ShotView view;
    InputBytes* given = nullptr;  // the file's bytes, when already read (a pack's member)

    // The input's name in messages: a member's comes already shown.
    std::string shown() const { return given ? input : shown_name(input); }

    // The view opened on the file, or on the member's bytes as a file of its
    // name would give them.
    bool open_view(const CellSize* cells, const InputLimit& limit) {
        if (!given) return view.open(input, cells, request.wrap, error, limit);
        view.name = input;
        if (view.open_bytes(*given, cells, request.wrap, limit)) return true;
        error = "cannot open " + input + ": out of memory";
        return false;
    }

    bool fail(const std::string& message) {
        error = message;
        return false;
    }

    bool write(const PngRows& rows, const PngPalette* palette) {
        std::string reason;
        const bool ok = palette ? write_palette_png(output.c_str(), rows, *palette, tuning.compression, reason)
                                : write_rgb_png(output.c_str(), rows, tuning.compression, reason);
        return ok || fail("cannot write " + shown_name(output) + ": " + reason);
    }

    bool fits_png(uint64_t width, uint64_t height) {
        const std::string problem = png_size_problem(width, height);
        return problem.empty() || fail(shown() + ": " + problem);
    }

    // A window larger than the frame holds is drawn as the program draws it,
    // cut; the person who asked for it is told.
    void note_cut_window(const Viewer& v) {
        if (!notice || !request.sized || (v.view_cols == request.columns && v.view_rows == request.rows)) return;
        const CellSize most = fit_cells(request.columns, request.rows, kMaxFrameBytes);
        const bool frame_limit = most.columns == v.view_cols && most.rows == v.view_rows;
        *notice = shown() + ": drew " + cells(v.view_cols, v.view_rows) + " of the " +
                  cells(request.columns, request.rows) + " cells asked for: " +
                  (frame_limit ? "the viewer's frame holds at most " + std::to_string(kMaxFrameBytes / kCellBytes) +
                                     " cells (" + std::to_string(kMaxFrameBytes >> 20) + " MiB)"
                               : std::string("no memory for a larger frame"));
    }

    // What the window shows after the size report, the open and the scrolls.
    bool window() {
        const CellSize size{request.columns, request.rows};
        if (!open_view(request.sized ? &size : nullptr, InputLimit())) return false;
        Viewer& v = *view.viewer;
        if (request.has_top) v.scroll_vertical(kScrollAbsolute, request.top);
        if (request.has_left) v.scroll_horizontal(kScrollAbsolute, request.left);
        v.paint(1);
        if (!fits_png(v.frame_width, v.frame_height)) return false;
        note_cut_window(v);
        note_cut_screen();
        UsedIndices used;
        mark_used_indices(v.frame.get(), uint64_t(v.frame_width) * v.frame_height, used);
        const PngPalette palette = fold_palette(v.bitmap_info.bmiColors, used);
        return write(PngRows{v.frame_width, v.frame_height, frame_row, &v}, &palette);
    }

    // A file that moves the cursor further than its size allows (a billion
    // rows down) is drawn down to the screen's bound; the person is told.
    void note_cut_screen() {
        const Document& doc = *view.viewer->document;
        if (!notice || !notice->empty() || doc.reading != kStandardReading || !doc.screen_cut) return;
        *notice = shown() + ": drew the first " + std::to_string(doc.line_count) +
                  " rows: the file moves the cursor further than a file of its size may";
    }

    // The shown text's extent, or false when it has nothing to draw. A
    // thumbnail reads only the start of the file (thumbnail_input), wrapped as
    // a thumbnail wants it.
    bool measure(TextExtent& extent, bool for_thumbnail = false) {
        const InputLimit limit = for_thumbnail ? thumbnail_input(request.top) : InputLimit();
        if (!open_view(nullptr, limit)) return false;
        Viewer& v = *view.viewer;
        if (for_thumbnail) wrap_for_thumbnail(v);
        else note_cut_screen();
        extent = shown_extent(v.cur_text, v.cur_length, v.doc_cols);
        const char* nothing = nothing_to_draw(extent);
        return !nothing || fail(shown() + ": " + nothing);
    }

    bool whole() {
        TextExtent extent;
        if (!measure(extent) || !fits_png(uint64_t(extent.columns) * kCellWidth, uint64_t(extent.rows) * kCellHeight))
            return false;
        FrameBands bands(*view.viewer, extent.columns, 0, extent.rows, band_bytes(tuning, extent.columns, extent.rows));
        return write_bands(bands);
    }

    // The palette comes before the first row, so a piece of several bands is
    // composed twice: once for its colours, once for its rows.
    bool write_bands(FrameBands& bands) {
        UsedIndices used;
        for (uint32_t b = 0; b < bands.band_count(); ++b) {
            uint64_t count = 0;
            const uint8_t* pixels = bands.show_band(b, count);
            if (!pixels) return fail(shown() + ": out of memory");
            mark_used_indices(pixels, count, used);
        }
        const PngPalette palette = fold_palette(view.viewer->bitmap_info.bmiColors, used);
        return write(PngRows{bands.width(), bands.height(), band_row, &bands}, &palette);
    }

    bool thumbnail() {
        TextExtent extent;
        if (!measure(extent, true)) return false;
        const Viewer& v = *view.viewer;
        const ThumbnailCrop crop = thumbnail_crop(v, extent, request.top);
        FrameBands bands(*view.viewer, crop.columns, crop.top, crop.rows, band_bytes(tuning, crop.columns, crop.rows));
        const PixelSize source{bands.width(), bands.height()};
        const PixelSize out = thumbnail_size(source, request.thumbnail_px);
        // Small enough already: the crop itself, in its own colours.
        if (out.width == source.width && out.height == source.height)
            return fits_png(source.width, source.height) && write_bands(bands);
        ScaledBands scaled(bands, v.bitmap_info.bmiColors);
        if (!scaled.start(out.width, out.height)) return fail(shown() + ": out of memory");
        return write(PngRows{out.width, out.height, scaled_row, &scaled}, nullptr);
    }
};

}  // namespace

namespace {

bool render(Shot& shot) {
    const ShotRequest& request = shot.request;
    shot.view.reading = request.standard ? kStandardReading : kGlyphoraReading;
    shot.view.columns = request.screen_columns;
    switch (request.mode) {
        case ShotMode::whole: return shot.whole();
        case ShotMode::thumbnail: return shot.thumbnail();
        case ShotMode::window: break;
    }
    return shot.window();
}

}  // namespace

bool render_shot(const ShotRequest& request, const std::string& input, const std::string& output,
                 std::string& error, const ShotTuning& tuning, std::string* notice) {
    error.clear();
    if (notice) notice->clear();
    if (same_file(input, output)) {
        error = "cannot write " + shown_name(output) + ": it is " + shown_name(input) + " itself";
        return false;
    }
    Shot shot{request, input, output, error, tuning, notice, ShotView()};
    return render(shot);
}

bool render_given(const ShotRequest& request, const std::string& name, InputBytes& bytes,
                  const std::string& output, std::string& error, const ShotTuning& tuning, std::string* notice) {
    error.clear();
    if (notice) notice->clear();
    Shot shot{request, name, output, error, tuning, notice, ShotView(), &bytes};
    return render(shot);
}
