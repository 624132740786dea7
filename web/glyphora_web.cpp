// The page's door to the program: the window procedure's calls on the Viewer,
// made from JavaScript. The page's canvas is the window's client area, its
// bars the virtual window's scroll bars; what the page shows is read from the
// image last presented to that window, in the colours it was presented with.
#include <emscripten/emscripten.h>

#include <cstring>
#include <new>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"

namespace {

// One window: the main view, and the About box's picture.
struct Window {
    Viewer* viewer = nullptr;
    HWND handle = nullptr;
    uint8_t* rgba = nullptr;  // the presented image in RGBA, for a canvas
    uint64_t rgba_bytes = 0;
};

Window windows[2];

// The bytes JavaScript fills with a file; taken by the Document on open.
uint8_t* input = nullptr;
uint32_t input_size = 0;
// The size of the file the main view last opened, so that a change of
// reading can read its bytes (which the Document keeps) again.
uint32_t opened_size = 0;

Window* window_at(uint32_t n) {
    return n < 2 && windows[n].viewer ? &windows[n] : nullptr;
}

// The main view's Viewer, or null before gw_start.
Viewer* main_viewer() { return windows[0].viewer; }

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

// Opens the first `size` bytes of the input buffer, which the Document then
// keeps; 1 when shown. On 0 the view is as it was. As after Open or a drop, the
// file comes unwrapped and the view is painted.
EMSCRIPTEN_KEEPALIVE int gw_open(uint32_t n, uint32_t size) {
    Window* w = window_at(n);
    if (!w || !input || size > input_size) return 0;
    std::unique_ptr<uint8_t[]> bytes(input);
    input = nullptr;
    input_size = 0;
    const int opened = w->viewer->open_bytes(std::move(bytes), size);
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

EMSCRIPTEN_KEEPALIVE void gw_resize(uint32_t n, uint32_t columns, uint32_t rows) {
    if (Window* w = window_at(n)) w->viewer->resize(columns, rows);
}

// "Wrap lines": as the menu command, the mode switched and the view painted.
EMSCRIPTEN_KEEPALIVE void gw_set_wrap(int flag) {
    Viewer* v = main_viewer();
    if (!v) return;
    v->set_wrap(flag);
    v->paint(1);
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

// The presented image as RGBA, width x height x 4 bytes (the size gw_state
// gives while the view has cells), or null when nothing was presented or
// there is no memory for it. The buffer only grows, so a window of one size
// converts without allocating.
EMSCRIPTEN_KEEPALIVE const uint8_t* gw_pixels(uint32_t n) {
    Window* w = window_at(n);
    const PresentedImage* image = w ? presented_image(w->handle) : nullptr;
    if (!image) return nullptr;
    const uint64_t count = uint64_t(image->width) * image->height;
    if (image->pixels.size() != count) return nullptr;
    if (w->rgba_bytes < count * 4) {
        delete[] w->rgba;
        w->rgba = new (std::nothrow) uint8_t[count * 4];
        w->rgba_bytes = w->rgba ? count * 4 : 0;
        if (!w->rgba) return nullptr;
    }
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = image->colours[i];
        // Little-endian RGBA, as ImageData holds it, opaque.
        colours[i] = uint32_t{c.rgbRed} | uint32_t{c.rgbGreen} << 8 | uint32_t{c.rgbBlue} << 16 |
                     0xFF000000u;
    }
    const uint8_t* from = image->pixels.data();
    uint32_t* to = reinterpret_cast<uint32_t*>(w->rgba);
    for (uint64_t i = 0; i < count; ++i) to[i] = colours[from[i]];
    return w->rgba;
}

}  // extern "C"
