// The page's door to the program: the window procedure's calls on the Viewer,
// made from JavaScript. The page's canvas is the window's client area, its
// bars the virtual window's scroll bars; what the page shows is read from the
// image last presented to that window, in the colours it was presented with.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"
#include "shell/view_frame.h"

namespace {

// One window: the main view, and the About box's picture.
struct Window {
    Viewer* viewer = nullptr;
    HWND handle = nullptr;
    uint8_t* rgba = nullptr;  // the part of the image a canvas is to take, in RGBA
    uint64_t rgba_bytes = 0;
    // What the page's canvas holds: the image as last handed over, and its colours.
    uint8_t* shown = nullptr;
    uint64_t shown_bytes = 0;
    uint32_t shown_width = 0;
    uint32_t shown_height = 0;
    bool shown_valid = false;
    RGBQUAD shown_colours[256] = {};
    // The view's position when the canvas took it, to guess how far a step moved it.
    uint32_t shown_top_row = 0;
    uint32_t shown_left_col = 0;
    // Both copies are rings of rows: the canvas's first row is at this row of
    // them, so that a scroll moves where they start rather than their bytes.
    uint32_t ring = 0;
};

Window windows[2];

// The bytes JavaScript fills with a file; taken by the Document on open.
uint8_t* input = nullptr;
uint32_t input_size = 0;
// The size of the file the main view last opened, so that a change of
// reading can read its bytes (which the Document keeps) again.
uint32_t opened_size = 0;

// The name of the file the next open reads, which the page writes before
// gw_open or gw_thumbnail and they take: the standard reading reads a name
// ending in .ans as ANSI whatever its bytes.
char next_name[kPathSize];

Window* window_at(uint32_t n) {
    return n < 2 && windows[n].viewer ? &windows[n] : nullptr;
}

// The main view's Viewer, or null before gw_start.
Viewer* main_viewer() { return windows[0].viewer; }

// Makes `buffer` (of `held` bytes) hold at least `bytes`; false, keeping the
// old one, without memory for it.
bool reserve(uint8_t*& buffer, uint64_t& held, uint64_t bytes) {
    if (held >= bytes) return true;
    uint8_t* grown = new (std::nothrow) uint8_t[bytes];
    if (!grown) return false;
    delete[] buffer;
    buffer = grown;
    held = bytes;
    return true;
}

// The window's RGBA copy of what the canvas holds, for `count` pixels.
bool reserve_rgba(Window& w, uint64_t count) { return reserve(w.rgba, w.rgba_bytes, count * 4); }

// The same copy as palette indices; a new one holds nothing the canvas has.
bool reserve_shown(Window& w, uint64_t count) {
    if (w.shown_bytes >= count) return true;
    if (!reserve(w.shown, w.shown_bytes, count)) return false;
    w.shown_valid = false;
    return true;
}

// Whether a view of columns x rows can be shown: its frame, the image it is
// presented as, and that image in RGBA all get their memory first, so that a
// resize either happens whole or leaves the view as it was.
bool room_for_view(Window& w, uint32_t columns, uint32_t rows) {
    const CellSize wanted = fit_cells(columns, rows, kMaxFrameBytes);
    const uint64_t count = uint64_t(wanted.columns) * wanted.rows * kCellBytes;
    if (!reserve_rgba(w, count) || !reserve_shown(w, count)) return false;
    const PresentedImage* image = presented_image(w.handle);
    if (!image || image->pixels.capacity() < count) {
        void* room = std::malloc(count > 0 ? count : 1);
        if (!room) return false;
        std::free(room);
    }
    const CellSize got = reserve_frame(*w.viewer, columns, rows);
    return got.columns == wanted.columns && got.rows == wanted.rows;
}

// State as the page reads it: one uint32 array, in this order.
enum StateField : uint32_t {
    kTopRow, kLeftCol, kViewCols, kViewRows, kDocRows, kDocCols, kWrap,
    kImageWidth, kImageHeight, kPresentCount,  // the image the page shows
    kBars,  // then for SB_HORZ and SB_VERT: enabled, min, max, page, position
    kBarFields = 5,
    kStandard = kBars + 2 * kBarFields,  // 1 in the standard reading
    kStateFields
};
uint32_t state_fields[kStateFields];

}  // namespace

extern "C" {

// Start-up as WinMain and the window's creation do it, with the first size
// report after the bars are set (the page knows its size only then). 1 when
// the view can run; window 1 is the About box's picture.
EMSCRIPTEN_KEEPALIVE int gw_start(uint32_t n, uint32_t columns, uint32_t rows) {
    if (n >= 2 || windows[n].viewer) return 0;
    Viewer* viewer = new (std::nothrow) Viewer;
    if (!viewer) return 0;
    viewer->init();
    if (!viewer->document || !viewer->frame || !viewer->glyph_cache) {
        delete viewer;
        return 0;
    }
    Window& w = windows[n];
    w.viewer = viewer;
    w.handle = create_virtual_window();
    viewer->attach(GetDC(w.handle), w.handle);
    viewer->update_vscroll();
    viewer->update_hscroll();
    viewer->resize(columns, rows);
    return 1;
}

// The largest file the Document takes, so that the page can tell a file too
// large for the viewer from one too large for memory before asking for it.
EMSCRIPTEN_KEEPALIVE uint32_t gw_max_file_size() { return static_cast<uint32_t>(kMaxFileSize); }

// A buffer of `size` bytes for a file, or null without memory for it. The one
// from a previous call is reused when it is large enough and still unopened.
EMSCRIPTEN_KEEPALIVE uint8_t* gw_input(uint32_t size) {
    if (input && input_size >= size) return input;
    delete[] input;
    input = new (std::nothrow) uint8_t[size > 0 ? size : 1];
    input_size = input ? size : 0;
    return input;
}

// Frees the input buffer, as after an open that was refused or stopped: the
// module's memory does not shrink, but what it held is there for the next.
EMSCRIPTEN_KEEPALIVE void gw_drop_input() {
    delete[] input;
    input = nullptr;
    input_size = 0;
}

// Where the page writes the next file's name: kPathSize bytes, the name's
// last characters when it is longer, ended by a NUL.
EMSCRIPTEN_KEEPALIVE char* gw_name() { return next_name; }

// Opens the first `size` bytes of the input buffer, which the Document then
// keeps; 1 when shown. On 0 the view is as it was. As after Open or a drop, the
// file comes unwrapped and the view is painted.
EMSCRIPTEN_KEEPALIVE int gw_open(uint32_t n, uint32_t size) {
    Window* w = window_at(n);
    if (!w || !input || size > input_size) return 0;
    std::unique_ptr<uint8_t[]> bytes(input);
    input = nullptr;
    input_size = 0;
    // Named as the open is; a failed open keeps the name of what is shown.
    char* name = w->viewer->document->file_name;
    char before[kPathSize] = {};
    if (name) {
        std::memcpy(before, name, kPathSize);
        std::memcpy(name, next_name, kPathSize - 1);
        name[kPathSize - 1] = '\0';
    }
    next_name[0] = '\0';
    const int opened = w->viewer->open_bytes(std::move(bytes), size);
    if (!opened && name) std::memcpy(name, before, kPathSize);
    if (opened && n == 0) opened_size = size;
    w->viewer->paint(1);
    return opened;
}

// View > Standard ANSI: the main view's reading for this and later opens.
// The open file is read again, its view at its first row and column as after
// an open; 1 when it was (or nothing was open), 0 when it could not be, the
// file then shown as it was.
EMSCRIPTEN_KEEPALIVE int gw_set_standard(int flag) {
    Viewer* v = main_viewer();
    if (!v) return 0;
    Document& doc = *v->document;
    const int32_t before = doc.reading;
    doc.reading = flag ? kStandardReading : kGlyphoraReading;
    if (!doc.raw_bytes || doc.reading == before) return 1;
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[opened_size > 0 ? opened_size : 1]);
    int opened = 0;
    if (bytes) {
        std::memcpy(bytes.get(), doc.raw_bytes, opened_size);
        opened = v->open_bytes(std::move(bytes), opened_size);
    }
    if (!opened) doc.reading = before;
    v->paint(1);
    return opened;
}

// SAUCE's title (0), author (1) or group (2) of the main view's file in the
// standard reading, as stored (CP437); empty when it has none.
EMSCRIPTEN_KEEPALIVE const char* gw_sauce(uint32_t field) {
    const Viewer* v = main_viewer();
    if (!v || v->document->reading != kStandardReading || !v->document->sauce.found || field > 2) return "";
    const Sauce& s = v->document->sauce;
    return field == 0 ? s.title : field == 1 ? s.author : s.group;
}

EMSCRIPTEN_KEEPALIVE void gw_key(uint32_t virtual_key) {
    Viewer* v = main_viewer();
    if (v) apply_scroll_request(*v, key_scroll_request(virtual_key, v->view_cols, v->view_rows));
}

EMSCRIPTEN_KEEPALIVE void gw_scroll(int bar, uint32_t code, uint32_t thumb) {
    Viewer* v = main_viewer();
    if (v) apply_scroll_request(*v, scroll_bar_request(bar, code, thumb, v->view_cols, v->view_rows));
}

EMSCRIPTEN_KEEPALIVE void gw_wheel(int delta) {
    // WM_MOUSEWHEEL carries the delta in 16 bits.
    if (delta > INT16_MAX) delta = INT16_MAX;
    if (delta < INT16_MIN) delta = INT16_MIN;
    Viewer* v = main_viewer();
    if (v) apply_scroll_request(*v, wheel_scroll_request(static_cast<int16_t>(delta)));
}

// 1 when resized; 0, the view as it was, when memory for the new size ran out.
EMSCRIPTEN_KEEPALIVE int gw_resize(uint32_t n, uint32_t columns, uint32_t rows) {
    Window* w = window_at(n);
    if (!w || !room_for_view(*w, columns, rows)) return 0;
    w->viewer->resize(columns, rows);
    return 1;
}

// "Wrap lines": as the menu command, the mode switched and the view painted.
// The wrapped copy is made when a file opens; when there was no memory for it
// then, it is tried again here, and failing that the view stays unwrapped (0)
// rather than showing an empty copy.
EMSCRIPTEN_KEEPALIVE int gw_set_wrap(int flag) {
    Viewer* v = main_viewer();
    if (!v) return 0;
    Document& doc = *v->document;
    if (flag && doc.line_count > 0 && doc.wrapped_line_count == 0) {
        doc.wrap(kWrapColumn);
        if (doc.wrapped_line_count == 0) return 0;
    }
    v->set_wrap(flag);
    v->paint(1);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const uint32_t* gw_state(uint32_t n) {
    std::memset(state_fields, 0, sizeof state_fields);
    Window* w = window_at(n);
    if (!w) return state_fields;
    const Viewer& v = *w->viewer;
    state_fields[kTopRow] = v.top_row;
    state_fields[kLeftCol] = v.left_col;
    state_fields[kViewCols] = v.view_cols;
    state_fields[kViewRows] = v.view_rows;
    state_fields[kDocRows] = v.doc_rows;
    state_fields[kDocCols] = v.doc_cols;
    state_fields[kWrap] = v.document->wrap_enabled != 0;
    state_fields[kStandard] = v.document->reading == kStandardReading;
    if (const PresentedImage* image = presented_image(w->handle)) {
        // A view of no cells shows nothing, whatever was presented before it.
        if (v.view_cols && v.view_rows) {
            state_fields[kImageWidth] = image->width;
            state_fields[kImageHeight] = image->height;
        }
        state_fields[kPresentCount] = static_cast<uint32_t>(image->present_count);
    }
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        const VirtualScrollBar& b = virtual_scroll_bar(w->handle, bar);
        uint32_t* out = state_fields + kBars + bar * kBarFields;
        out[0] = static_cast<uint32_t>(b.enabled);
        out[1] = static_cast<uint32_t>(b.min);
        out[2] = static_cast<uint32_t>(b.max);
        out[3] = b.page;
        out[4] = static_cast<uint32_t>(b.position);
    }
    return state_fields;
}

}  // extern "C"

// A change of the canvas, as gw_update hands it over: the canvas's size, the
// band of rows to put, how many of them had to be converted (the rest were
// moved, as a scroll moves them), and the row of the RGBA ring, at
// gw_update_pixels, that holds the band's first row (the band goes on from
// the ring's first row when it passes the last).
namespace {

enum UpdateField : uint32_t { kWidth, kHeight, kPutY, kPutRows, kConverted, kRingRow, kUpdateFields };
int32_t update_fields[kUpdateFields];

bool same_row(const uint8_t* a, const uint8_t* b, uint32_t count) {
    uint32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    for (; i < count; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// Where canvas row `y` is in a ring of `height` rows that starts at `ring`.
uint64_t ring_row(uint32_t ring, uint64_t y, uint32_t height) { return (ring + y) % height; }

// The rows from the first to the last at which `now` differs from what the
// canvas holds (`before`, a ring starting at `ring`) moved up by `move` rows
// (down when negative), as [first, last); the rows that the move brings into
// view always differ.
struct Band {
    uint32_t first, last;
};
Band changed_rows(const uint8_t* now, const uint8_t* before, uint32_t ring, uint32_t width, uint32_t height,
                  int64_t move) {
    const auto same = [&](uint32_t y) {
        const int64_t from = int64_t(y) + move;
        return from >= 0 && from < int64_t(height) &&
               same_row(now + uint64_t(y) * width, before + ring_row(ring, from, height) * width, width);
    };
    Band band{0, height};
    while (band.first < height && same(band.first)) ++band.first;
    while (band.last > band.first && same(band.last - 1)) --band.last;
    return band;
}

// The band's rows of the image into both rings: as they are into `shown`, in
// RGBA into `rgba`.
void take_rows(const PresentedImage& image, Band band, uint32_t ring, uint8_t* shown, uint8_t* rgba) {
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = image.colours[i];
        // Little-endian RGBA, as ImageData holds it, opaque.
        colours[i] = uint32_t{c.rgbRed} | uint32_t{c.rgbGreen} << 8 | uint32_t{c.rgbBlue} << 16 |
                     0xFF000000u;
    }
    const uint32_t width = image.width;
    for (uint32_t y = band.first; y < band.last; ++y) {
        const uint8_t* from = image.pixels.data() + uint64_t(y) * width;
        const uint64_t at = ring_row(ring, y, image.height) * width;
        std::memcpy(shown + at, from, width);
        uint32_t* to = reinterpret_cast<uint32_t*>(rgba) + at;
        for (uint32_t x = 0; x < width; ++x) to[x] = colours[from[x]];
    }
}

}  // namespace

extern "C" {

// What the page's canvas must take to show the presented image: the fields
// above, or null when there is no memory for it (the canvas stays as it was).
// Only the rows from the first that differs from what the canvas holds to the
// last are converted, so a request that changed nothing costs the canvas nothing.
EMSCRIPTEN_KEEPALIVE const int32_t* gw_update(uint32_t n) {
    std::memset(update_fields, 0, sizeof update_fields);
    Window* w = window_at(n);
    if (!w) return update_fields;
    const PresentedImage* image = presented_image(w->handle);
    const Viewer& v = *w->viewer;
    // A view of no cells shows nothing, whatever was presented before it.
    if (!image || v.view_cols == 0 || v.view_rows == 0 || image->width == 0 || image->height == 0) {
        w->shown_valid = false;
        return update_fields;
    }
    const uint32_t width = image->width;
    const uint32_t height = image->height;
    const uint64_t count = uint64_t(width) * height;
    if (image->pixels.size() != count || !reserve_shown(*w, count)) return nullptr;
    update_fields[kWidth] = static_cast<int32_t>(width);
    update_fields[kHeight] = static_cast<int32_t>(height);

    // The RGBA copy of what the canvas holds, whole, so that a scroll can move it.
    if (w->rgba_bytes < count * 4) {
        if (!reserve_rgba(*w, count)) return nullptr;
        w->shown_valid = false;
    }
    const uint8_t* now = image->pixels.data();
    Band band{0, height};
    int64_t move = 0;
    if (w->shown_valid && w->shown_width == width && w->shown_height == height &&
        std::memcmp(w->shown_colours, image->colours, sizeof image->colours) == 0) {
        band = changed_rows(now, w->shown, w->ring, width, height, 0);
        // A scroll by whole rows changes every row, but most of them are
        // ones already converted, a few rows away. The view's move is only a
        // guess at how far; the rows decide.
        const int64_t guess = (int64_t(v.top_row) - w->shown_top_row) * kCellHeight;
        if (band.last - band.first > kCellHeight && v.left_col == w->shown_left_col && guess != 0 &&
            (guess < 0 ? -guess : guess) < height) {
            const Band moved = changed_rows(now, w->shown, w->ring, width, height, guess);
            if (moved.last - moved.first < band.last - band.first) {
                band = moved;
                move = guess;
            }
        }
    } else {
        w->ring = 0;
    }
    w->ring = static_cast<uint32_t>(((int64_t(w->ring) + move) % height + height) % height);
    take_rows(*image, band, w->ring, w->shown, w->rgba);
    std::memcpy(w->shown_colours, image->colours, sizeof image->colours);
    w->shown_width = width;
    w->shown_height = height;
    w->shown_valid = true;
    w->shown_top_row = v.top_row;
    w->shown_left_col = v.left_col;
    // A moved picture is put whole; otherwise only the changed rows.
    const uint32_t put_y = move != 0 ? 0 : band.first;
    update_fields[kPutY] = static_cast<int32_t>(put_y);
    update_fields[kPutRows] = static_cast<int32_t>(move != 0 ? height : band.last - band.first);
    update_fields[kConverted] = static_cast<int32_t>(band.last - band.first);
    update_fields[kRingRow] = static_cast<int32_t>(ring_row(w->ring, put_y, height));
    return update_fields;
}

// The canvas was cleared: the next gw_update hands over the whole picture.
EMSCRIPTEN_KEEPALIVE void gw_forget(uint32_t n) {
    if (Window* w = window_at(n)) w->shown_valid = false;
}

// The RGBA ring whose rows gw_update hands over.
EMSCRIPTEN_KEEPALIVE const uint8_t* gw_update_pixels(uint32_t n) {
    Window* w = window_at(n);
    return w ? w->rgba : nullptr;
}

}  // extern "C"
