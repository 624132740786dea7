#pragma once
// The native build's stand-in for a window: what its two scroll bars hold and
// the image last presented to it, readable by tests and tools.
#include <cstdint>
#include <vector>

#include "platform/win32.h"

struct VirtualScrollBar {
    int enabled = 1;          // 0 after ESB_DISABLE_BOTH, 1 after ESB_ENABLE_BOTH
    UINT arrows = ESB_ENABLE_BOTH;  // the last EnableScrollBar flags
    int min = 0;
    int max = 100;            // Windows' default range for a window's bars
    UINT page = 0;
    int position = 0;
    int track_position = 0;
};

struct PresentedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int dest_x = 0;
    int dest_y = 0;
    std::vector<uint8_t> pixels;  // width x height palette indices, top row first
    RGBQUAD colours[256] = {};    // the colour table in force when presented
    uint64_t present_count = 0;   // StretchDIBits calls that presented an image
};

// A new window with both bars at their defaults and nothing presented. Any
// thread may make one; each window is for the thread that made it.
HWND create_virtual_window();

// Frees `window`; its handle then reads as an unknown window (numbers are
// never reused). A tool that makes a window per picture calls it when done.
void destroy_virtual_window(HWND window);

// The state of SB_HORZ or SB_VERT of `window`; an unknown window or bar reads
// as a default bar.
const VirtualScrollBar& virtual_scroll_bar(HWND window, int bar);

// The image last presented to `window`, or null when nothing has been.
const PresentedImage* presented_image(HWND window);

// Stands in for the user dragging a bar's thumb to `position`.
void set_virtual_track_position(HWND window, int bar, int position);

// Writes the image as an RGB PNG in its colour table's colours: 1 on success,
// 0 on failure (no file is left behind). In png_image.cpp, with libpng.
int save_png(const PresentedImage& image, const char* path);
