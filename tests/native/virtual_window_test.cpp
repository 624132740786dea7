// The native stand-in for a window: scroll-bar state as Win32 keeps it, and
// the image StretchDIBits presents.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/virtual_window.h"

namespace {

std::vector<int> bar_state(HWND w, int bar) {
    const VirtualScrollBar& b = virtual_scroll_bar(w, bar);
    return {b.enabled, b.min, b.max, int(b.page), b.position, b.track_position};
}

TEST(VirtualWindow, ScrollBarsKeepWin32State) {
    HWND w = create_virtual_window();
    EXPECT_TRUE(w && GetDC(w) && static_cast<void*>(GetDC(w)) != w && create_virtual_window() != w);
    EXPECT_EQ(bar_state(w, SB_HORZ), (std::vector<int>{1, 0, 100, 0, 0, 0}));
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled * 10 + virtual_scroll_bar(w, SB_VERT).enabled, 10);
    EnableScrollBar(w, 3, ESB_DISABLE_BOTH);  // SB_BOTH
    EnableScrollBar(w, SB_VERT, ESB_ENABLE_BOTH);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled * 10 + virtual_scroll_bar(w, SB_VERT).enabled, 1);
    // Fields set, then the bar: enabled, min, max, page, position, track position.
    // The position stays within the thumb's reach, min .. max - page + 1.
    const std::pair<SCROLLINFO, std::vector<int>> cases[] = {
        {{28, SIF_ALL, 0, 100, 30, 90, 90}, {1, 0, 100, 30, 71, 90}},
        {{28, SIF_ALL, 10, 20, 0, 3, 3}, {1, 10, 20, 0, 10, 3}},
        {{28, SIF_ALL, 0, 20, 0, 20, 20}, {1, 0, 20, 0, 20, 20}},
        {{28, SIF_ALL, 0, 9, 50, 4, 4}, {1, 0, 9, 10, 0, 4}},
        {{28, SIF_RANGE, 0, 50, 99, 99, 99}, {1, 0, 50, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        HWND v = create_virtual_window();
        EXPECT_EQ(SetScrollInfo(v, SB_VERT, &c.first, TRUE), c.second[4]);
        EXPECT_EQ(bar_state(v, SB_VERT), c.second) << "case " << &c - cases;
        EXPECT_EQ(virtual_scroll_bar(v, SB_HORZ).max, 100);  // the other bar is untouched
    }
    SCROLLINFO info{28, SIF_ALL, 0, 200000, 30, 10, 10};
    SetScrollInfo(w, SB_VERT, &info, TRUE);
    EXPECT_EQ(SetScrollPos(w, SB_VERT, 40, TRUE), 10);  // the previous position
    EXPECT_EQ(SetScrollPos(w, SB_VERT, 300000, TRUE), 40);
    set_virtual_track_position(w, SB_VERT, 150000);  // beyond the 16 bits a message carries
    SCROLLINFO read{28, SIF_TRACKPOS, -1, -1, 7, -1, -1};
    EXPECT_TRUE(GetScrollInfo(w, SB_VERT, &read) && read.nTrackPos == 150000 && read.nPos == -1);
    read.fMask = SIF_ALL;
    GetScrollInfo(w, SB_VERT, &read);
    EXPECT_EQ(std::vector<int>({read.nMax, int(read.nPage), read.nPos}), (std::vector<int>{200000, 30, 199971}));
    for (HWND stray : {HWND(nullptr), reinterpret_cast<HWND>(uintptr_t(0x7FFF0))})
        EXPECT_FALSE(GetDC(stray) || EnableScrollBar(stray, SB_VERT, 0) || SetScrollInfo(stray, SB_VERT, &info, 1) ||
                     SetScrollPos(stray, SB_VERT, 5, 1) || GetScrollInfo(stray, SB_VERT, &info));
}

TEST(VirtualWindow, PresentsOnlyExactTopDownCopies) {
    HWND w = create_virtual_window();
    HDC dc = GetDC(w);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib{{40, 6, -3, 1, 8, BI_RGB, 0, 0, 0, 0, 0}, {}};
    for (int i = 0; i < 256; ++i) dib.colours[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&dib);
    uint8_t bits[24];  // 6 x 3 pixels in rows padded to 8 bytes, as DIB rows are
    for (int i = 0; i < 24; ++i) bits[i] = uint8_t(i);
    auto present = [&](HDC to, int width, int height, int x, int y, int source_width, UINT usage) {
        return StretchDIBits(to, 0, 0, width, height, x, y, source_width, height, bits, info, usage, SRCCOPY);
    };
    EXPECT_EQ(present(dc, 6, 3, 0, 0, 6, DIB_RGB_COLORS), 3);
    const std::vector<uint8_t> rows = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19, 20, 21};
    EXPECT_EQ(presented_image(w)->pixels, rows);
    EXPECT_EQ(std::memcmp(presented_image(w)->colours, dib.colours, sizeof dib.colours), 0);
    EXPECT_EQ(present(dc, 2, 2, 3, 1, 2, DIB_RGB_COLORS), 2);
    EXPECT_EQ(presented_image(w)->pixels, (std::vector<uint8_t>{11, 12, 19, 20}));
    // Refused: scaled, past the bitmap, empty, palette indices, a window handle
    // for a DC, bottom-up, 24 bits a pixel.
    EXPECT_FALSE(present(dc, 4, 2, 0, 0, 2, DIB_RGB_COLORS) || present(dc, 4, 2, 3, 0, 4, DIB_RGB_COLORS) ||
                 present(dc, 0, 0, 0, 0, 0, DIB_RGB_COLORS) || present(dc, 2, 2, 0, 0, 2, 1) ||
                 present(HDC(w), 2, 2, 0, 0, 2, DIB_RGB_COLORS) || present(nullptr, 2, 2, 0, 0, 2, DIB_RGB_COLORS));
    dib.header.biHeight = 3;
    EXPECT_EQ(present(dc, 2, 2, 0, 0, 2, DIB_RGB_COLORS), 0);
    dib.header.biHeight = -3, dib.header.biBitCount = 24;
    EXPECT_EQ(present(dc, 2, 2, 0, 0, 2, DIB_RGB_COLORS), 0);
    EXPECT_EQ(presented_image(w)->present_count, 2u);
    // A PNG that cannot be written, or has no pixels, fails.
    EXPECT_EQ(save_png(*presented_image(w), (::testing::TempDir() + "no_such_dir_glyphora/x.png").c_str()), 0);
    EXPECT_EQ(save_png(PresentedImage(), (::testing::TempDir() + "glyphora_empty.png").c_str()), 0);
}

}  // namespace
