// The native stand-in for a window, as the view and paint tests rely on it: scroll
// bars keep Win32's state, only exact top-down copies are presented, and a PNG
// that cannot be written leaves no file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/virtual_window.h"

namespace {

TEST(VirtualWindow, ScrollBarsKeepWin32State) {
    HWND w = create_virtual_window();
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled * 10 + virtual_scroll_bar(w, SB_VERT).enabled, 10);
    // Fields set, then enabled, min, max, page, position, track position, from Windows'
    // defaults; the position stays within the thumb's reach, min .. max - page + 1.
    const std::pair<SCROLLINFO, std::vector<int>> cases[] = {
        {{28, 0, 9, 9, 9, 9, 9}, {1, 0, 100, 0, 0, 0}},
        {{28, SIF_ALL, 0, 100, 30, 90, 90}, {1, 0, 100, 30, 71, 90}},
        {{28, SIF_ALL, 10, 20, 0, 3, 3}, {1, 10, 20, 0, 10, 3}},
        {{28, SIF_ALL, 0, 20, 0, 20, 20}, {1, 0, 20, 0, 20, 20}},
        {{28, SIF_ALL, 0, 9, 50, 4, 4}, {1, 0, 9, 10, 0, 4}},
        {{28, SIF_RANGE, 0, 50, 99, 99, 99}, {1, 0, 50, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        HWND v = create_virtual_window();
        SetScrollInfo(v, SB_VERT, &c.first, TRUE);
        const VirtualScrollBar& b = virtual_scroll_bar(v, SB_VERT);
        const std::vector<int> state = {b.enabled, b.min, b.max, int(b.page), b.position, b.track_position};
        EXPECT_EQ(state, c.second) << "case " << &c - cases;
    }
    SCROLLINFO info{28, SIF_ALL, 0, 200000, 30, 10, 10};
    SetScrollInfo(w, SB_VERT, &info, TRUE), SetScrollPos(w, SB_VERT, 300000, TRUE);
    EXPECT_EQ(virtual_scroll_bar(w, SB_VERT).position, 199971);  // kept within reach too
    for (HWND stray : {HWND(nullptr), reinterpret_cast<HWND>(uintptr_t(0x7FFF0))})
        EXPECT_FALSE(GetDC(stray) || EnableScrollBar(stray, SB_VERT, 0) || SetScrollPos(stray, SB_VERT, 5, 1) ||
                     SetScrollInfo(stray, SB_VERT, &info, 1) || GetScrollInfo(stray, SB_VERT, &info));
}

TEST(VirtualWindow, PresentsOnlyExactTopDownCopies) {
    HWND w = create_virtual_window();
    HDC dc = GetDC(w);
    struct { BITMAPINFOHEADER header; RGBQUAD colours[256]; } dib{{40, 6, -3, 1, 8, BI_RGB, 0, 0, 0, 0, 0}, {}};
    uint8_t bits[24];  // 6 x 3 pixels in rows padded to 8 bytes, as DIB rows are
    for (int i = 0; i < 24; ++i) bits[i] = uint8_t(i);
    auto present = [&](HDC to, int width, int height, int x, int source_width, UINT usage = DIB_RGB_COLORS) {
        return StretchDIBits(to, 0, 0, width, height, x, 0, source_width, height, bits,
                             reinterpret_cast<const BITMAPINFO*>(&dib), usage, SRCCOPY);
    };
    EXPECT_EQ(present(dc, 6, 3, 0, 6), 3);
    const std::vector<uint8_t> rows = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19, 20, 21};
    EXPECT_EQ(presented_image(w)->pixels, rows);
    // Refused: scaled, past the bitmap, empty, palette indices, a window handle for a DC,
    // no DC, then bottom-up and 24 bits a pixel.
    EXPECT_FALSE(present(dc, 4, 2, 0, 2) || present(dc, 4, 2, 3, 4) || present(dc, 0, 0, 0, 0) ||
                 present(dc, 2, 2, 0, 2, 1) || present(HDC(w), 2, 2, 0, 2) || present(nullptr, 2, 2, 0, 2));
    dib.header.biHeight = 3;
    EXPECT_EQ(present(dc, 2, 2, 0, 2), 0);
    dib.header.biHeight = -3, dib.header.biBitCount = 24;
    EXPECT_EQ(present(dc, 2, 2, 0, 2), 0);
    EXPECT_EQ(presented_image(w)->present_count, 1u);
    // A PNG that cannot be written, or has no pixels, fails and leaves no file.
    const std::string empty = ::testing::TempDir() + "glyphora_empty_" + std::to_string(getpid()) + ".png";
    EXPECT_EQ(save_png(*presented_image(w), (::testing::TempDir() + "glyphora_no_dir/x.png").c_str()), 0);
    EXPECT_TRUE(save_png(PresentedImage(), empty.c_str()) == 0 && access(empty.c_str(), F_OK) != 0);
}

}  // namespace
