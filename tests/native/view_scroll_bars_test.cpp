// The scroll bars as the window shows them, read back from the virtual window,
// and one presentation per scroll or resize.
#include "tests/native/view_fixture.h"

class ViewScrollBars : public ViewFixture {};

// A disabled bar keeps its range, page and position: Windows' 0..100 and page 0
// unless set before. Steps move the position but not the track position.
TEST_F(ViewScrollBars, FollowTheRanges) {
    const char* const cases[][3] = {
        {"", "off 0..100 page 0 at 0/0", "off 0..100 page 0 at 0/0"},
        {"O100x200", "on 0..100 page 30 at 0/0", "on 0..200 page 84 at 0/0"},
        {"O100x200 V2:5 H2:3 V4:40 H0:40", "on 0..100 page 30 at 5/0", "on 0..200 page 84 at 3/0"},
        {"O100x200 V3:900 H3:900", "on 0..100 page 30 at 71/0", "on 0..200 page 84 at 117/0"},
        {"O30x84", "on 0..30 page 30 at 0/0", "on 0..84 page 84 at 0/0"},
        {"O10x41", "off 0..100 page 0 at 0/0", "off 0..100 page 0 at 0/0"},
        {"O100x200 V2:9 O10x41", "off 0..100 page 30 at 9/0", "off 0..200 page 84 at 0/0"},
        {"O100x200 W1", "on 0..300 page 30 at 0/0", "off 0..200 page 84 at 0/0"},  // 81 columns in 84
        {"O100x200 V3:71 R84x120", "off 0..100 page 30 at 71/0", "on 0..200 page 84 at 0/0"},
        {"O100x200 V3:71 R100x40", "on 0..100 page 40 at 61/61", "on 0..200 page 100 at 0/0"},
        {"O200x400 R320x90", "on 0..200 page 90 at 0/0", "on 0..400 page 320 at 0/0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        viewer.init();
        HWND window = attach();
        run(c[0]);
        for (const int which : {SB_VERT, SB_HORZ}) {
            const VirtualScrollBar& b = virtual_scroll_bar(window, which);
            EXPECT_EQ(std::string(b.enabled ? "on " : "off ") + span(b.min, b.max) + " page " + std::to_string(b.page) +
                          " at " + std::to_string(b.position) + "/" + std::to_string(b.track_position),
                      c[which == SB_VERT ? 1 : 2]);
        }
        EXPECT_EQ(viewer.scroll_info.cbSize, sizeof(SCROLLINFO));
    }
}

TEST_F(ViewScrollBars, ScrollsAndResizesPresentOnceOpenAndWrapLeaveItToTheCaller) {
    HWND window = attach();
    run("O10x41 V2:1");
    const uint64_t start = presented_image(window)->present_count;
    run("V2:1 V1:29 H2:1 H7:1 R90x31");  // nothing moves, yet each request repaints
    EXPECT_EQ(presented_image(window)->present_count, start + 5);
    EXPECT_TRUE(presented_image(window)->width == 720 && presented_image(window)->height == 496);
    EXPECT_EQ(viewer.open(missing_file()), 0);
    run("O100x200 W1 W0");
    EXPECT_EQ(presented_image(window)->present_count, start + 5);
}
