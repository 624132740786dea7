#include "platform/virtual_window.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace {

struct VirtualWindow {
    VirtualScrollBar bars[2];
    std::unique_ptr<PresentedImage> image;
};

// Handles are numbers, as in Win32: window n is n << 4, its device context
// (n << 4) | kDcTag, so a stray handle never reaches a window.
constexpr uintptr_t kHandleShift = 4;
constexpr uintptr_t kDcTag = 8;

// Every window ever made, in one list that threads (glyphora-shot's jobs,
// each with its own Viewer and window) share under one lock. A window lives
// on its own: only its maker uses or destroys it.
std::vector<std::unique_ptr<VirtualWindow>>& windows() {
    static std::vector<std::unique_ptr<VirtualWindow>> all;
    return all;
}

std::mutex& windows_lock() {
    static std::mutex lock;
    return lock;
}

VirtualWindow* from_number(uintptr_t value, uintptr_t tag) {
    if ((value & ((uintptr_t(1) << kHandleShift) - 1)) != tag) return nullptr;
    const uintptr_t n = value >> kHandleShift;
    std::lock_guard<std::mutex> held(windows_lock());
    if (n == 0 || n > windows().size()) return nullptr;
    return windows()[n - 1].get();
}

VirtualWindow* window_of(HWND window) {
    return from_number(reinterpret_cast<uintptr_t>(window), 0);
}

VirtualWindow* window_of(HDC dc) { return from_number(reinterpret_cast<uintptr_t>(dc), kDcTag); }

VirtualScrollBar* bar_of(HWND window, int bar) {
    VirtualWindow* w = window_of(window);
    if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    return &w->bars[bar];
}

// Sizes the image's pixels to `count`, or leaves it empty and answers false
// when memory runs short: a build without exceptions ends the program when a
// vector cannot grow, so the memory is asked for first. The old pixels go
// before, being replaced either way.
bool fit_pixels(std::vector<uint8_t>& pixels, size_t count) {
    if (count > pixels.capacity()) {
        std::vector<uint8_t>().swap(pixels);
        void* room = std::malloc(count);
        if (!room) return false;
        std::free(room);
    }
    pixels.resize(count);
    return true;
}

// Win32 keeps the position within the thumb's reach: min .. max - page + 1.
void clamp_position(VirtualScrollBar& b) {
    int64_t top = b.max;
    if (b.page > 0) top = int64_t(b.max) - b.page + 1;
    if (top < b.min) top = b.min;
    if (b.position > top) b.position = static_cast<int>(top);
    if (b.position < b.min) b.position = b.min;
}

}  // namespace

HWND create_virtual_window() {
    auto window = std::make_unique<VirtualWindow>();
    std::lock_guard<std::mutex> held(windows_lock());
    windows().push_back(std::move(window));
    return reinterpret_cast<HWND>(uintptr_t(windows().size()) << kHandleShift);
}

void destroy_virtual_window(HWND window) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(window);
    const uintptr_t n = value >> kHandleShift;
    std::unique_ptr<VirtualWindow> gone;
    std::lock_guard<std::mutex> held(windows_lock());
    if ((value & ((uintptr_t(1) << kHandleShift) - 1)) == 0 && n > 0 && n <= windows().size())
        gone = std::move(windows()[n - 1]);
}

const VirtualScrollBar& virtual_scroll_bar(HWND window, int bar) {
    static const VirtualScrollBar default_bar;
    const VirtualScrollBar* b = bar_of(window, bar);
    return b ? *b : default_bar;
}

const PresentedImage* presented_image(HWND window) {
    const VirtualWindow* w = window_of(window);
    return w ? w->image.get() : nullptr;
}

void set_virtual_track_position(HWND window, int bar, int position) {
    if (VirtualScrollBar* b = bar_of(window, bar)) b->track_position = position;
}

HDC WINAPI GetDC(HWND window) {
    if (!window_of(window)) return nullptr;
    return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(window) | kDcTag);
}

// Only the unscaled copy of an 8-bit top-down bitmap is supported, which is
// all the program asks for; anything else presents nothing and returns 0.
int WINAPI StretchDIBits(HDC dc, int x_dest, int y_dest, int dest_width, int dest_height,
                         int x_src, int y_src, int src_width, int src_height, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) {
    VirtualWindow* w = window_of(dc);
    if (!w || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 8 ||
        h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight >= 0 || h.biClrUsed > 256)
        return 0;
    if (dest_width != src_width || dest_height != src_height || src_width <= 0 || src_height <= 0)
        return 0;
    const int64_t dib_width = h.biWidth;
    const int64_t dib_height = -int64_t(h.biHeight);
    if (x_src < 0 || y_src < 0 || x_src + int64_t(src_width) > dib_width ||
        y_src + int64_t(src_height) > dib_height)
        return 0;

    // One image per window, refilled: a large view is presented on every
    // step, and a fresh zero-filled copy each time would cost more than
    // composing it.
    if (!w->image) w->image.reset(new (std::nothrow) PresentedImage);
    PresentedImage* image = w->image.get();
    if (!image) return 0;
    if (!fit_pixels(image->pixels, size_t(src_width) * size_t(src_height))) {
        image->width = 0;
        image->height = 0;
        return 0;
    }
    image->width = static_cast<uint32_t>(src_width);
    image->height = static_cast<uint32_t>(src_height);
    image->dest_x = x_dest;
    image->dest_y = y_dest;
    const uint64_t stride = (uint64_t(dib_width) + 3) & ~uint64_t(3);  // DIB rows are 4-byte aligned
    const uint8_t* src = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < src_height; ++y) {
        std::memcpy(&image->pixels[size_t(y) * src_width], src + (y_src + y) * stride + x_src,
                    size_t(src_width));
    }
    const uint32_t colour_count = h.biClrUsed ? h.biClrUsed : 256;
    std::memcpy(image->colours, info->bmiColors, colour_count * sizeof(RGBQUAD));
    ++image->present_count;
    return src_height;
}

BOOL WINAPI EnableScrollBar(HWND window, UINT bar, UINT arrows) {
    VirtualWindow* w = window_of(window);
    if (!w) return FALSE;
    constexpr UINT kBothBars = 3;  // SB_BOTH
    for (int b = SB_HORZ; b <= SB_VERT; ++b) {
        if (bar != UINT(b) && bar != kBothBars) continue;
        w->bars[b].arrows = arrows;
        w->bars[b].enabled = arrows == ESB_DISABLE_BOTH ? 0 : 1;
    }
    return TRUE;
}

int WINAPI SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL /*redraw*/) {
    VirtualScrollBar* b = bar_of(window, bar);
    if (!b || !info) return 0;
    if (info->fMask & SIF_RANGE) {
        b->min = info->nMin;
        b->max = info->nMax;
    }
    if (info->fMask & SIF_PAGE) b->page = info->nPage;
    if (info->fMask & SIF_POS) b->position = info->nPos;
    if (info->fMask & SIF_TRACKPOS) b->track_position = info->nTrackPos;
    const uint64_t span = uint64_t(int64_t(b->max) - b->min + 1);
    if (b->max < b->min) b->page = 0;
    else if (b->page > span) b->page = static_cast<UINT>(span);
    clamp_position(*b);
    return b->position;
}

int WINAPI SetScrollPos(HWND window, int bar, int pos, BOOL /*redraw*/) {
    VirtualScrollBar* b = bar_of(window, bar);
    if (!b) return 0;
    const int previous = b->position;
    b->position = pos;
    clamp_position(*b);
    return previous;
}

BOOL WINAPI GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
    const VirtualScrollBar* b = bar_of(window, bar);
    if (!b || !info) return FALSE;
    if (info->fMask & SIF_RANGE) {
        info->nMin = b->min;
        info->nMax = b->max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = b->page;
    if (info->fMask & SIF_POS) info->nPos = b->position;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b->track_position;
    return TRUE;
}
