#include "render/viewer.h"

void Viewer::paint(int recompose) {
    bitmap_info.bmiHeader.biWidth = static_cast<LONG>(frame_width);
    bitmap_info.bmiHeader.biHeight = -static_cast<LONG>(frame_height);
    if (recompose == 1) compose();
    // An empty view presents nothing, and a frame smaller than the view's
    // size must not be read past its end.
    if (!frame || frame_width == 0 || frame_height == 0) return;
    if (uint64_t(frame_width) * frame_height > frame_capacity) return;
    StretchDIBits(dc, 0, 0, static_cast<int>(frame_width), static_cast<int>(frame_height), 0, 0,
                  static_cast<int>(frame_width), static_cast<int>(frame_height), frame.get(),
                  reinterpret_cast<const BITMAPINFO*>(&bitmap_info), DIB_RGB_COLORS, SRCCOPY);
}
