// The scroll bars as the window shows them: enabled or not, range, page and
// position, read back from the virtual window, and one presentation per change.
#include <gtest/gtest.h>

#include <functional>

#include "platform/virtual_window.h"
#include "tests/native/view_fixture.h"

namespace {

struct Bar {
    int enabled;
    int max;
    UINT page;
    int position;
};

std::string describe(const VirtualScrollBar& b) {
    return "enabled " + std::to_string(b.enabled) + " min " + std::to_string(b.min) + " max " +
           std::to_string(b.max) + " page " + std::to_string(b.page) + " pos " +
           std::to_string(b.position);
}

std::string describe(const Bar& b) {
    return "enabled " + std::to_string(b.enabled) + " min 0 max " + std::to_string(b.max) +
           " page " + std::to_string(b.page) + " pos " + std::to_string(b.position);
}

class ViewScrollBars : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        window = create_virtual_window();
        viewer.attach(GetDC(window), window);
        viewer.update_vscroll();
        viewer.update_hscroll();
    }
    const VirtualScrollBar& vbar() { return virtual_scroll_bar(window, SB_VERT); }
    const VirtualScrollBar& hbar() { return virtual_scroll_bar(window, SB_HORZ); }
    uint64_t presents() {
        const PresentedImage* image = presented_image(window);
        return image ? image->present_count : 0;
    }
    HWND window = nullptr;
};

TEST_F(ViewScrollBars, BothDisabledAtStart) {
    EXPECT_EQ(vbar().enabled, 0);
    EXPECT_EQ(hbar().enabled, 0);
    EXPECT_EQ(vbar().arrows, UINT{ESB_DISABLE_BOTH});
}

struct BarCase {
    const char* name;
    std::function<void(ViewScrollBars&, Viewer&)> act;
    Bar vertical;
    Bar horizontal;
};

TEST_F(ViewScrollBars, FollowTheRanges) {
    // Disabling a bar leaves its range, page and position as they were, so a
    // disabled bar here still shows Windows' defaults (0..100, page 0) unless
    // an earlier step set them.
    const BarCase cases[] = {
        {"a long and wide text", [](ViewScrollBars& t, Viewer&) { t.open_text(100, 200); },
         {1, 100, 30, 0}, {1, 200, 84, 0}},
        {"steps move the positions",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(2, 5);
             v.scroll_horizontal(2, 3);
         },
         {1, 100, 30, 5}, {1, 200, 84, 3}},
        {"a thumb past the end is held at the last position",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(3, 900);
             v.scroll_horizontal(3, 900);
         },
         {1, 100, 30, 71}, {1, 200, 84, 117}},
        {"an odd code still sets the position",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(3, 12);
             v.scroll_vertical(4, 40);
             v.scroll_horizontal(0, 40);
         },
         {1, 100, 30, 12}, {1, 200, 84, 0}},
        {"as many line ends as rows", [](ViewScrollBars& t, Viewer&) { t.open_text(30, 84); },
         {1, 30, 30, 0}, {1, 84, 84, 0}},
        {"a small text disables both", [](ViewScrollBars& t, Viewer&) { t.open_text(10, 41); },
         {0, 100, 0, 0}, {0, 100, 0, 0}},
        {"a small text after a long one keeps the old settings",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(2, 9);
             t.open_text(10, 41);
         },
         {0, 100, 30, 9}, {0, 200, 84, 0}},
        {"the wrapped view is 81 columns, narrower than 84",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.set_wrap(1);
         },
         {1, 300, 30, 0}, {0, 200, 84, 0}},
        {"a resize past the text disables the vertical bar",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(3, 71);
             v.resize(84, 120);
         },
         {0, 100, 30, 71}, {1, 200, 84, 0}},
        {"a resize within the text changes the page",
         [](ViewScrollBars& t, Viewer& v) {
             t.open_text(100, 200);
             v.scroll_vertical(3, 71);
             v.resize(100, 40);
         },
         {1, 100, 40, 61}, {1, 200, 100, 0}},
    };
    for (const BarCase& c : cases) {
        SCOPED_TRACE(c.name);
        window = create_virtual_window();
        viewer.init();
        viewer.attach(GetDC(window), window);
        viewer.update_vscroll();
        viewer.update_hscroll();
        c.act(*this, viewer);
        EXPECT_EQ(describe(vbar()), describe(c.vertical));
        EXPECT_EQ(describe(hbar()), describe(c.horizontal));
        EXPECT_EQ(viewer.scroll_info.cbSize, 28u);
    }
}

TEST_F(ViewScrollBars, SetsRangePagePositionAndTrackTogether) {
    open_text(100, 200);
    viewer.scroll_vertical(3, 20);
    viewer.resize(84, 30);
    EXPECT_EQ(viewer.scroll_info.fMask, 0x17u);
    EXPECT_EQ(vbar().position, 20);
    EXPECT_EQ(vbar().track_position, 20);
    EXPECT_EQ(hbar().track_position, 0);
}

TEST_F(ViewScrollBars, EveryScrollAndResizePresentsOnce) {
    open_text(10, 41);  // both bars disabled: nothing moves, yet each request repaints
    const uint64_t start = presents();
    viewer.scroll_vertical(2, 1);
    viewer.scroll_vertical(1, 29);
    viewer.scroll_horizontal(2, 1);
    viewer.scroll_horizontal(7, 1);
    viewer.resize(90, 31);
    EXPECT_EQ(presents(), start + 5);
    const PresentedImage* image = presented_image(window);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 720u);
    EXPECT_EQ(image->height, 496u);
}

TEST_F(ViewScrollBars, OpenAndWrapLeaveTheRepaintToTheCaller) {
    const uint64_t start = presents();
    open_text(100, 200);
    viewer.set_wrap(1);
    EXPECT_EQ(viewer.open(missing_file()), 0);
    EXPECT_EQ(presents(), start);
}

TEST_F(ViewScrollBars, LargeWindowIsPresentedWhole) {
    open_text(200, 400);
    viewer.resize(2560 / 8, 1440 / 16);
    const PresentedImage* image = presented_image(window);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2560u);
    EXPECT_EQ(image->height, 1440u);
    EXPECT_EQ(describe(vbar()), describe(Bar{1, 200, 90, 0}));
    EXPECT_EQ(describe(hbar()), describe(Bar{1, 400, 320, 0}));
}

}  // namespace
