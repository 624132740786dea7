// Presentation through the platform seam: what a virtual window receives from
// Viewer::paint with and without composing first.
#include <gtest/gtest.h>

#include "platform/virtual_window.h"
#include "tests/native/render_test_support.h"

namespace {

struct Attached : ShownText {
    HWND window = create_virtual_window();
    explicit Attached(const char* text) : ShownText(show_text(text, {}, {0, 29, 0, 83})) {
        viewer->attach(GetDC(window), window);
    }
    // The window shows the whole frame, top-down, in the frame's colours.
    void expect_presents_frame(int64_t width, int64_t height) const {
        const PresentedImage* image = presented_image(window);
        ASSERT_NE(image, nullptr);
        const BITMAPINFOHEADER& h = viewer->bitmap_info.bmiHeader;
        const std::vector<int64_t> sizes = {image->width, image->height, image->dest_x, image->dest_y, h.biWidth, h.biHeight};
        EXPECT_EQ(sizes, std::vector<int64_t>({width, height, 0, 0, width, -height}));
        ASSERT_EQ(image->pixels.size(), size_t(width * height));
        EXPECT_EQ(std::memcmp(image->pixels.data(), viewer->frame.get(), image->pixels.size()), 0);
        EXPECT_EQ(std::memcmp(image->colours, viewer->bitmap_info.bmiColors, sizeof image->colours), 0);
    }
};

TEST(FramePaint, OnlyExactlyOneRecomposesAndTheHeaderFollowsTheFrame) {
    for (int recompose : {0, 2, -1, 0x101}) {
        SCOPED_TRACE(recompose);
        Attached a("A\nC");
        a.viewer->paint(1);
        a.expect_presents_frame(672, 480);
        EXPECT_TRUE(cell_shows(*a.viewer, 0, 1, 'C', 71, 0));
        const std::vector<uint8_t> first = presented_image(a.window)->pixels;
        a.text[0] = 'B';
        a.viewer->bitmap_info.bmiHeader.biWidth = a.viewer->bitmap_info.bmiHeader.biHeight = 1;
        a.viewer->paint(recompose);
        a.expect_presents_frame(672, 480);
        EXPECT_TRUE(presented_image(a.window)->present_count == 2 && presented_image(a.window)->pixels == first);
        a.viewer->resize(100, 40);
        a.viewer->paint(1);
        EXPECT_TRUE(cell_shows(*a.viewer, 0, 0, 'B', 71, 0));
        a.expect_presents_frame(800, 640);
        // The template keeps its start values.
        EXPECT_TRUE(a.viewer->header_template.biWidth == 672 && a.viewer->header_template.biHeight == -480);
    }
}

TEST(FramePaint, NothingReachesTheWindowWithoutHandlesFrameOrView) {
    // Not attached; no columns; no rows; no frame; a view larger than the frame.
    void (*spoil[])(Viewer&) = {
        [](Viewer& v) { v.attach(nullptr, nullptr); },
        [](Viewer& v) { v.view_cols = 0, v.frame_width = 0; },
        [](Viewer& v) { v.view_rows = 0, v.frame_height = 0; },
        [](Viewer& v) { v.frame.reset(), v.frame_capacity = 0; },
        [](Viewer& v) { v.view_cols = v.view_rows = 2000, v.frame_width = 16000, v.frame_height = 32000; },
    };
    for (auto& s : spoil) {
        Attached a("A");
        s(*a.viewer);
        a.viewer->paint(1), a.viewer->paint(0);
        EXPECT_EQ(presented_image(a.window), nullptr) << "case " << &s - spoil;
    }
}

}  // namespace
