// Presentation through the platform seam: what a virtual window receives from
// Viewer::paint with and without composing first.
#include <gtest/gtest.h>

#include "platform/virtual_window.h"
#include "tests/native/render_test_support.h"

namespace {

struct AttachedViewer {
    ShownText shown;
    HWND window;
};

AttachedViewer attached(const std::string& text, Ranges ranges) {
    AttachedViewer a{show_text(text, {}, ranges), create_virtual_window()};
    a.shown.viewer->attach(GetDC(a.window), a.window);
    return a;
}

uint64_t presents(HWND window) {
    const PresentedImage* image = presented_image(window);
    return image ? image->present_count : 0;
}

bool image_is_frame(const PresentedImage& image, const Viewer& v) {
    return image.width == v.frame_width && image.height == v.frame_height &&
           std::memcmp(image.pixels.data(), v.frame.get(), image.pixels.size()) == 0 &&
           std::memcmp(image.colours, v.bitmap_info.bmiColors, sizeof image.colours) == 0;
}

TEST(FramePaint, ComposesAndPresentsTheWholeFrame) {
    AttachedViewer a = attached("AB\nC", {0, 29, 0, 83});
    Viewer& v = *a.shown.viewer;
    v.paint(1);
    const PresentedImage* image = presented_image(a.window);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 672u);
    EXPECT_EQ(image->height, 480u);
    EXPECT_EQ(image->present_count, 1u);
    EXPECT_EQ(image->dest_x, 0);
    EXPECT_EQ(image->dest_y, 0);
    EXPECT_TRUE(image_is_frame(*image, v));
    EXPECT_TRUE(cell_shows(v, 0, 1, 'C', 71, 0));
}

TEST(FramePaint, FreshViewerPresentsAllBlack) {
    auto v = std::make_unique<Viewer>();
    v->init();
    HWND window = create_virtual_window();
    v->attach(GetDC(window), window);
    v->paint(1);
    const PresentedImage* image = presented_image(window);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->pixels.size(), 672u * 480u);
    for (uint8_t p : image->pixels) ASSERT_EQ(p, 0);
}

TEST(FramePaint, OnlyExactlyOneRecomposes) {
    const int not_one[] = {0, 2, -1, 0x101};
    for (int recompose : not_one) {
        SCOPED_TRACE(recompose);
        AttachedViewer a = attached("A", {0, 29, 0, 83});
        Viewer& v = *a.shown.viewer;
        v.paint(1);
        const std::vector<uint8_t> first = presented_image(a.window)->pixels;
        a.shown.text[0] = 'B';
        v.paint(recompose);
        EXPECT_EQ(presents(a.window), 2u);
        EXPECT_EQ(presented_image(a.window)->pixels, first);
        v.paint(1);
        EXPECT_NE(presented_image(a.window)->pixels, first);
        EXPECT_TRUE(cell_shows(v, 0, 0, 'B', 71, 0));
    }
}

TEST(FramePaint, RefreshesHeaderSizeFromFrame) {
    AttachedViewer a = attached("A", {0, 29, 0, 83});
    Viewer& v = *a.shown.viewer;
    v.bitmap_info.bmiHeader.biWidth = 1;
    v.bitmap_info.bmiHeader.biHeight = 1;
    v.paint(0);
    EXPECT_EQ(v.bitmap_info.bmiHeader.biWidth, 672);
    EXPECT_EQ(v.bitmap_info.bmiHeader.biHeight, -480);
    EXPECT_EQ(v.header_template.biWidth, 672);
    EXPECT_EQ(presents(a.window), 1u);
}

TEST(FramePaint, ResizedViewPresentsItsNewSize) {
    AttachedViewer a = attached("A", {0, 29, 0, 83});
    Viewer& v = *a.shown.viewer;
    v.resize(100, 40);
    v.paint(1);
    EXPECT_EQ(v.bitmap_info.bmiHeader.biWidth, 800);
    EXPECT_EQ(v.bitmap_info.bmiHeader.biHeight, -640);
    const PresentedImage* image = presented_image(a.window);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 800u);
    EXPECT_EQ(image->height, 640u);
    EXPECT_EQ(image->pixels.size(), 800u * 640u);
    EXPECT_TRUE(image_is_frame(*image, v));
    EXPECT_EQ(v.header_template.biWidth, 672);  // the template keeps its start values
    EXPECT_EQ(v.header_template.biHeight, -480);
}

TEST(FramePaint, NothingReachesTheWindowWithoutHandlesFrameOrView) {
    struct Case {
        const char* name;
        void (*spoil)(Viewer&);
    };
    const Case cases[] = {
        {"not attached", [](Viewer& v) { v.attach(nullptr, nullptr); }},
        {"no columns", [](Viewer& v) { v.view_cols = 0, v.frame_width = 0; }},
        {"no rows", [](Viewer& v) { v.view_rows = 0, v.frame_height = 0; }},
        {"no frame", [](Viewer& v) { v.frame.reset(), v.frame_capacity = 0; }},
        {"view larger than the frame", [](Viewer& v) {
             v.view_cols = 2000, v.view_rows = 2000, v.frame_width = 16000, v.frame_height = 32000;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AttachedViewer a = attached("A", {0, 29, 0, 83});
        c.spoil(*a.shown.viewer);
        a.shown.viewer->paint(1);
        a.shown.viewer->paint(0);
        EXPECT_EQ(presented_image(a.window), nullptr);
    }
}

}  // namespace
