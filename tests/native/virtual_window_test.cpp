// The native stand-in for a window: scroll-bar state as Win32 keeps it, the
// image StretchDIBits presents, and that image saved as PNG.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/virtual_window.h"

namespace {

TEST(VirtualWindow, NewWindowHasDefaultBarsAndNoImage) {
    HWND w = create_virtual_window();
    EXPECT_NE(w, nullptr);
    EXPECT_NE(GetDC(w), nullptr);
    EXPECT_NE(reinterpret_cast<void*>(GetDC(w)), reinterpret_cast<void*>(w));
    EXPECT_NE(create_virtual_window(), w);
    EXPECT_EQ(presented_image(w), nullptr);
    for (int bar : {SB_HORZ, SB_VERT}) {
        const VirtualScrollBar& b = virtual_scroll_bar(w, bar);
        EXPECT_EQ(b.enabled, 1);
        EXPECT_EQ(b.min, 0);
        EXPECT_EQ(b.max, 100);
        EXPECT_EQ(b.page, 0u);
        EXPECT_EQ(b.position, 0);
    }
}

TEST(VirtualWindow, NullOrStrayHandlesDoNothing) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 10, 2, 3, 3};
    uint8_t bits[4] = {};
    BITMAPINFO bmi{};
    HWND stray = reinterpret_cast<HWND>(uintptr_t(0x7FFF0));
    for (HWND w : {static_cast<HWND>(nullptr), stray}) {
        EXPECT_EQ(GetDC(w), nullptr);
        EXPECT_EQ(EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH), FALSE);
        EXPECT_EQ(SetScrollInfo(w, SB_VERT, &info, TRUE), 0);
        EXPECT_EQ(SetScrollPos(w, SB_VERT, 5, TRUE), 0);
        EXPECT_EQ(GetScrollInfo(w, SB_VERT, &info), FALSE);
        EXPECT_EQ(presented_image(w), nullptr);
    }
    EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 1, 1, 0, 0, 1, 1, bits, &bmi, DIB_RGB_COLORS, SRCCOPY), 0);
    // A window handle is not its device context.
    HWND w = create_virtual_window();
    EXPECT_EQ(StretchDIBits(reinterpret_cast<HDC>(w), 0, 0, 1, 1, 0, 0, 1, 1, bits, &bmi,
                            DIB_RGB_COLORS, SRCCOPY),
              0);
}

TEST(VirtualWindow, EnableScrollBarPerBar) {
    HWND w = create_virtual_window();
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_EQ(virtual_scroll_bar(w, SB_VERT).enabled, 0);
    EXPECT_EQ(virtual_scroll_bar(w, SB_VERT).arrows, UINT{ESB_DISABLE_BOTH});
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled, 1);
    EnableScrollBar(w, 3, ESB_DISABLE_BOTH);  // SB_BOTH
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled, 0);
    EnableScrollBar(w, SB_VERT, ESB_ENABLE_BOTH);
    EXPECT_EQ(virtual_scroll_bar(w, SB_VERT).enabled, 1);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).enabled, 0);
}

struct ScrollInfoCase {
    const char* name;
    SCROLLINFO set;
    int min, max;
    UINT page;
    int position, track_position;
};

TEST(VirtualWindow, SetScrollInfoKeepsPositionWithinThumbReach) {
    const ScrollInfoCase cases[] = {
        {"all fields", {28, SIF_ALL, 0, 100, 30, 5, 5}, 0, 100, 30, 5, 5},
        {"position clamped to max - page + 1", {28, SIF_ALL, 0, 100, 30, 90, 90}, 0, 100, 30, 71, 90},
        {"position below min", {28, SIF_ALL, 10, 20, 0, 3, 3}, 10, 20, 0, 10, 3},
        {"no page: up to max", {28, SIF_ALL, 0, 20, 0, 20, 20}, 0, 20, 0, 20, 20},
        {"page larger than range", {28, SIF_ALL, 0, 9, 50, 4, 4}, 0, 9, 10, 0, 4},
        {"range only keeps the rest", {28, SIF_RANGE, 0, 50, 99, 99, 99}, 0, 50, 0, 0, 0},
        {"page equal to range and one more row", {28, SIF_ALL, 0, 30, 30, 1, 1}, 0, 30, 30, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND w = create_virtual_window();
        EXPECT_EQ(SetScrollInfo(w, SB_VERT, &c.set, TRUE), c.position);
        const VirtualScrollBar& b = virtual_scroll_bar(w, SB_VERT);
        EXPECT_EQ(b.min, c.min);
        EXPECT_EQ(b.max, c.max);
        EXPECT_EQ(b.page, c.page);
        EXPECT_EQ(b.position, c.position);
        EXPECT_EQ(b.track_position, c.track_position);
        EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).max, 100);  // the other bar is untouched
    }
}

TEST(VirtualWindow, SetScrollPosReturnsPreviousAndClamps) {
    HWND w = create_virtual_window();
    SCROLLINFO info{28, SIF_ALL, 0, 100, 30, 10, 10};
    SetScrollInfo(w, SB_HORZ, &info, TRUE);
    EXPECT_EQ(SetScrollPos(w, SB_HORZ, 40, TRUE), 10);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).position, 40);
    EXPECT_EQ(SetScrollPos(w, SB_HORZ, 1000, TRUE), 40);
    EXPECT_EQ(virtual_scroll_bar(w, SB_HORZ).position, 71);
}

TEST(VirtualWindow, GetScrollInfoReadsTheDraggedThumb) {
    HWND w = create_virtual_window();
    SCROLLINFO info{28, SIF_ALL, 0, 200000, 30, 0, 0};
    SetScrollInfo(w, SB_VERT, &info, TRUE);
    set_virtual_track_position(w, SB_VERT, 150000);  // beyond the 16 bits a message carries
    SCROLLINFO read{28, SIF_TRACKPOS, -1, -1, 7, -1, -1};
    EXPECT_EQ(GetScrollInfo(w, SB_VERT, &read), TRUE);
    EXPECT_EQ(read.nTrackPos, 150000);
    EXPECT_EQ(read.nPos, -1);  // only the fields the mask asks for
    read.fMask = SIF_ALL;
    GetScrollInfo(w, SB_VERT, &read);
    EXPECT_EQ(read.nMax, 200000);
    EXPECT_EQ(read.nPage, 30u);
    EXPECT_EQ(read.nPos, 0);
}

struct Dib {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

Dib make_dib(LONG width, LONG height) {
    Dib dib{};
    dib.header.biSize = 40;
    dib.header.biWidth = width;
    dib.header.biHeight = height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 8;
    for (int i = 0; i < 256; ++i) dib.colours[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    return dib;
}

TEST(VirtualWindow, StretchDIBitsCopiesTopDownRows) {
    HWND w = create_virtual_window();
    HDC dc = GetDC(w);
    // 6 x 3 pixels: rows padded to 8 bytes, as DIB rows are.
    const Dib dib = make_dib(6, -3);
    std::unique_ptr<uint8_t[]> bits(new uint8_t[8 * 3]);
    for (int i = 0; i < 24; ++i) bits[i] = uint8_t(i);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(&dib);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 6, 3, 0, 0, 6, 3, bits.get(), info, DIB_RGB_COLORS, SRCCOPY), 3);
    const PresentedImage* image = presented_image(w);
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t> expected = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19, 20, 21};
    EXPECT_EQ(image->pixels, expected);
    EXPECT_EQ(std::memcmp(image->colours, dib.colours, sizeof dib.colours), 0);
    // A part of the bitmap: 2 x 2 from (3, 1).
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 2, 2, 3, 1, 2, 2, bits.get(), info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(presented_image(w)->pixels, (std::vector<uint8_t>{11, 12, 19, 20}));
    EXPECT_EQ(presented_image(w)->present_count, 2u);
}

TEST(VirtualWindow, StretchDIBitsRefusesWhatItCannotCopyExactly) {
    struct Case {
        const char* name;
        int dest_w, dest_h, x_src, y_src, src_w, src_h;
        LONG width, height;
        WORD bits_per_pixel;
        UINT usage;
    };
    const Case cases[] = {
        {"scaled", 8, 8, 0, 0, 4, 4, 4, -4, 8, DIB_RGB_COLORS},
        {"bottom-up", 4, 4, 0, 0, 4, 4, 4, 4, 8, DIB_RGB_COLORS},
        {"not 8 bits a pixel", 4, 4, 0, 0, 4, 4, 4, -4, 24, DIB_RGB_COLORS},
        {"palette indices", 4, 4, 0, 0, 4, 4, 4, -4, 8, 1},
        {"source past the bitmap", 4, 4, 1, 0, 4, 4, 4, -4, 8, DIB_RGB_COLORS},
        {"empty", 0, 0, 0, 0, 0, 0, 4, -4, 8, DIB_RGB_COLORS},
    };
    std::vector<uint8_t> bits(16 * 16);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND w = create_virtual_window();
        Dib dib = make_dib(c.width, c.height);
        dib.header.biBitCount = c.bits_per_pixel;
        EXPECT_EQ(StretchDIBits(GetDC(w), 0, 0, c.dest_w, c.dest_h, c.x_src, c.y_src, c.src_w, c.src_h,
                                bits.data(), reinterpret_cast<const BITMAPINFO*>(&dib), c.usage, SRCCOPY),
                  0);
        EXPECT_EQ(presented_image(w), nullptr);
    }
}

std::string temp_png(const char* tag) {
    return ::testing::TempDir() + "glyphora_vw_" + std::to_string(::getpid()) + tag + ".png";
}

TEST(VirtualWindow, SavesPresentedImageAsRgbPng) {
    HWND w = create_virtual_window();
    Dib dib = make_dib(4, -2);
    dib.colours[1] = RGBQUAD{0, 0, 128, 0};    // red 128
    dib.colours[65] = RGBQUAD{255, 0, 0, 0};   // blue 255
    const uint8_t bits[8] = {1, 65, 0, 1, 65, 65, 1, 0};
    StretchDIBits(GetDC(w), 0, 0, 4, 2, 0, 0, 4, 2, bits, reinterpret_cast<const BITMAPINFO*>(&dib),
                  DIB_RGB_COLORS, SRCCOPY);
    const std::string path = temp_png("_ok");
    ASSERT_EQ(save_png(*presented_image(w), path.c_str()), 1);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    std::remove(path.c_str());
    for (int i = 0; i < 8; ++i) {
        const RGBQUAD& c = dib.colours[bits[i]];
        EXPECT_EQ(rgb[3 * i], c.rgbRed) << i;
        EXPECT_EQ(rgb[3 * i + 1], c.rgbGreen) << i;
        EXPECT_EQ(rgb[3 * i + 2], c.rgbBlue) << i;
    }
}

TEST(VirtualWindow, UnwritablePngPathFails) {
    PresentedImage image;
    image.width = 1;
    image.height = 1;
    image.pixels = {0};
    const std::string path = ::testing::TempDir() + "no_such_dir_glyphora/x.png";
    EXPECT_EQ(save_png(image, path.c_str()), 0);
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
    PresentedImage empty;
    EXPECT_EQ(save_png(empty, temp_png("_empty").c_str()), 0);
}

}  // namespace
