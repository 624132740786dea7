// Presentation through the platform seam: what a virtual window receives from
// Viewer::paint with and without composing first.
#include <gtest/gtest.h>

#include "platform/virtual_window.h"
#include "tests/native/render_test_support.h"

namespace {

struct Attached : ShownText {
    HWND window = create_virtual_window();
    explicit Attached(const std::string& text) : ShownText(show_text(text, {}, {0, 29, 0, 83})) {
        viewer->attach(GetDC(window), window);
    }
    // The window shows the whole frame, top-down, in the frame's colours.
    void expect_presents_frame(uint32_t width, uint32_t height) const {
        const PresentedImage* image = presented_image(window);
        ASSERT_NE(image, nullptr);
        const BITMAPINFOHEADER& header = viewer->bitmap_info.bmiHeader;
        EXPECT_EQ(std::vector<int64_t>({image->width, image->height, image->dest_x, image->dest_y, header.biWidth,
                                        header.biHeight}),
                  std::vector<int64_t>({width, height, 0, 0, width, -int64_t(height)}));
        ASSERT_EQ(image->pixels.size(), size_t(width) * height);
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
        EXPECT_EQ(presented_image(a.window)->present_count, 2u);
        EXPECT_EQ(presented_image(a.window)->pixels, first);
        a.viewer->resize(100, 40);
        a.viewer->paint(1);
        EXPECT_TRUE(cell_shows(*a.viewer, 0, 0, 'B', 71, 0));
        a.expect_presents_frame(800, 640);
        EXPECT_EQ(a.viewer->header_template.biWidth, 672);  // the template keeps its start values
        EXPECT_EQ(a.viewer->header_template.biHeight, -480);
    }
}

TEST(FramePaint, NothingReachesTheWindowWithoutHandlesFrameOrView) {
    const struct {
        const char* name;
        void (*spoil)(Viewer&);
    } cases[] = {
        {"not attached", [](Viewer& v) { v.attach(nullptr, nullptr); }},
        {"no columns", [](Viewer& v) { v.view_cols = 0, v.frame_width = 0; }},
        {"no rows", [](Viewer& v) { v.view_rows = 0, v.frame_height = 0; }},
        {"no frame", [](Viewer& v) { v.frame.reset(), v.frame_capacity = 0; }},
        {"view larger than the frame", [](Viewer& v) { v.view_cols = v.view_rows = 2000, v.frame_width = 16000; }},
    };
    for (const auto& c : cases) {
        Attached a("A");
        c.spoil(*a.viewer);
        a.viewer->paint(1);
        a.viewer->paint(0);
        EXPECT_EQ(presented_image(a.window), nullptr) << c.name;
    }
}

}  // namespace
