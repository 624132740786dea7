// The view: its ranges under scroll requests and new sizes, the frame that
// grows for large windows, opening files and the wrapped copy, and the scroll
// bars the window shows.
#include "shell/view_frame.h"
#include "tests/native/allocation_failure.h"
#include "tests/native/view_fixture.h"

class View : public ViewFixture {};

TEST_F(View, ScrollAndResizeFollowTheRules) {
    for (const char* script : {
             // 100 rows in 30: steps, pages to the end and back, back by exactly the first row.
             "O100x10 V2:1 r1..30 V2:1 V2:1 V2:1 V2:1 =5..34,0..9 V2:29 r34..63 V2:29 r63..92 V2:29 r71..100 "
             "V2:29 r71..100 V1:29 r42..71 V1:29 r13..42 V1:29 r0..29 V1:29 r0..29 V3:29 r29..58 V1:29 r0..29 "
             "V2:4294967295 r71..100 V1:4294967295 =0..29,0..9",
             // As many line ends as rows; one column short of the view; a one-row view pages by nothing.
             "O30x10 V2:1 r1..30 V2:1 r1..30 V1:1 r0..29", "O3x41 H2:1 c1..41 H2:1 c1..41 H1:1 c0..40 H1:1 c0..40",
             "R84x1 O100x10 V2:0 r0..0 V2:1 r1..1 V1:0 r1..1",
             // A fitting text stays whole; thumbs land where asked, held at the end; only codes 1..3 (low 8 bits) move.
             "O10x41 V2:1 V1:29 V3:5 =0..10,0..40 H3:7 =0..10,0..41",
             "O100x200 V3:50 r50..79 V3:72 r71..100 V3:4294967295 r71..100 H3:117 c117..200 H3:500 c117..200",
             "O100x200 V3:10 V4:5 V0:5 H255:5 =10..39,0..83 V257:2 r8..37 V29443:60 r60..89 H4294967042:4 c4..87",
             "O2x200 H2:1 c1..84 H2:83 c84..167 H2:83 c117..200 H2:4294967280 c117..200 H1:83 c34..117 "
             "H1:2147483648 c0..83 H2:4294967295 c117..200 H1:4294967295 =0..2,0..83",
             // A resize keeps the first cell unless the view would run past the end.
             "O100x200 V3:71 R84x40 =61..100,0..83 R84x20 =61..80,0..83 R84x101 =0..100,0..83",
             "O100x200 V3:71 R84x100 =1..100,0..83 R84x120 =0..100,0..83", "O10x41 R90x30 =0..10,0..41 H2:1 H1:1 =0..10,0..41",
             "O10x200 H3:117 R100x30 =0..10,101..200 R40x30 =0..10,101..140",
             "O100x200 V3:50 H3:60 R1x1 =50..50,60..60 R0x30 =50..79,60..60 R84x0 =50..50,60..143",
             // An empty view moves nothing and restores on the next size; a wrap with it holds at 0.
             "O100x200 V3:50 H3:60 R0x0 =50..50,60..60 V1:1 V2:7 V3:7 H1:4294967295 H2:4294967295 H3:0 "
             "=50..50,60..60 R84x30 =50..79,60..143 R0x0 W1 =0..0,0..0 R84x30 =0..29,0..81",
             // An open shows the new text unwrapped from its first cell, the row after the last line end too.
             "O0x1 R0x0 =0..0,0..0", "O100x200 V3:40 H3:40 W1 O2x5 =0..2,0..4 V0:0",
             // Wrapping starts at the first cell; the text switch shows a fitting text one column short.
             "O2x161 H3:50 c50..133 W1 =0..4,0..80 W0 =0..2,0..83",
             // Wrapping before any file, or after a failed first open, shows the initial blank safely.
             "W1 V1:5 V2:5 V3:5 H1:5 H2:5 H3:5 R100x40 W0 W1 =0..0,0..0", "M W1 V2:5 H2:5 W0 =0..0,0..1"}) {
        SCOPED_TRACE(script);
        viewer.init();
        run(script);
    }
}

TEST_F(View, FrameGrowsOnlyWhenItMustAndFillsALargeWindowUncropped) {
    // Only 320 x 90 and the absurd size outgrow the start frame, which never
    // shrinks after; rows are cut first when even the largest cannot hold a view.
    HWND window = attach();
    run("O200x400");
    for (const CellSize s : {CellSize{160, 64}, CellSize{0, 0}, CellSize{1, 10240}, CellSize{10240, 1},
                             CellSize{320, 90}, CellSize{84, 30}, CellSize{0, 0}, CellSize{300, 95}, CellSize{~0u, ~0u}}) {
        const uint8_t* frame = viewer.frame.get();
        const uint32_t capacity = viewer.frame_capacity, grows = s.columns == 320 || s.columns == ~0u;
        viewer.resize(s.columns, s.rows);
        EXPECT_EQ(span(viewer.frame.get() != frame, viewer.frame_capacity > capacity), span(grows, grows)) << s.columns;
        EXPECT_EQ(span(viewer.view_cols, viewer.view_rows),
                  s.rows == ~0u ? span(kMaxFrameBytes / 128, 1) : span(s.columns, s.rows));
    }
    run("V3:0 H3:0 R320x90 =0..89,0..319");
    const PresentedImage* image = presented_image(window);
    ASSERT_TRUE(image && image->width == 2560 && image->height == 1440);
    bool ink = false;  // in the bottom-right cell
    for (uint32_t y = 89 * 16 * 2560; y < 90 * 16 * 2560; y += 2560)
        for (uint32_t x = 319 * 8; x < 320 * 8; ++x) ink |= image->pixels[y + x] != viewer.bg_index;
    EXPECT_TRUE(ink);
}

TEST_F(View, FailedOpenLeavesTheViewAsItWas) {
    std::string art = "\x1b[1;33;44m";
    for (int i = 0; i < 60; ++i) art += std::string(150, char('a' + i % 26)) + "\x1b[3" + char('0' + i % 8) + "m\r\n";
    // Wrap, text size, first cell, and whether the view reads the document's current copy.
    const auto shown = [&] {
        const Document& d = *viewer.document;
        const bool w = d.wrap_enabled;
        return std::to_string(w) + " " + span(viewer.doc_rows, viewer.doc_cols) + " " + span(viewer.top_row, viewer.left_col) +
               (viewer.cur_text == (w ? d.wrapped_text : d.text) && viewer.cur_attrs == (w ? d.wrapped_attrs : d.attrs) &&
                        viewer.cur_length == (w ? d.wrapped_length : d.text_length) ? " current" : " stale");
    };
    const auto frame = [&] {
        viewer.compose();
        return std::vector<uint8_t>(viewer.frame.get(), viewer.frame.get() + view_shapes::used(viewer));
    };
    for (const int wrapped : {0, 1}) {
        ASSERT_EQ(viewer.open(write_file(art)), 1);
        run("W" + std::to_string(wrapped) + " V3:7 H2:1");
        const std::vector<uint8_t> before = frame();
        const std::string state = shown();
        for (char* path : {missing_file(), keep_path("")}) {
            const uint64_t allocated = array_allocations();
            EXPECT_EQ(viewer.open(path), 0) << path;
            EXPECT_EQ(array_allocations(), allocated) << "a failed open allocates nothing";
            EXPECT_EQ(shown(), state) << path;
            EXPECT_EQ(frame(), before);
        }
        // A real file with no memory for it: neither its buffers nor a new
        // wrapped copy of the old text can be had.
        char* other = write_file(art + art);
        {
            AllocationFailure failure;
            EXPECT_EQ(viewer.open(other), 0);
        }
        EXPECT_EQ(shown(), state);
        EXPECT_EQ(frame(), before);
    }
}

// A disabled bar keeps its range, page and position: Windows' 0..100 and page 0
// unless set before. Steps move the position but not the track position.
TEST_F(View, ScrollBarsFollowTheRanges) {
    const char* const cases[][2] = {
        {"", "off 0..100 p0 @0/0, off 0..100 p0 @0/0"},
        {"O100x200", "on 0..100 p30 @0/0, on 0..200 p84 @0/0"},
        {"O100x200 V2:5 H2:3 V4:40 H0:40", "on 0..100 p30 @5/0, on 0..200 p84 @3/0"},
        {"O30x84", "on 0..30 p30 @0/0, on 0..84 p84 @0/0"},
        {"O100x200 V2:9 O10x41", "off 0..100 p30 @9/0, off 0..200 p84 @0/0"},
        {"O100x200 W1", "on 0..300 p30 @0/0, off 0..200 p84 @0/0"},  // 81 columns in 84
        {"O100x200 V3:71 R84x120", "off 0..100 p30 @71/0, on 0..200 p84 @0/0"},
        {"O100x200 V3:71 R100x40", "on 0..100 p40 @61/61, on 0..200 p100 @0/0"}};
    for (const auto& c : cases) {
        viewer.init();
        HWND window = attach();
        run(c[0]);
        std::string bars;
        for (const int which : {SB_VERT, SB_HORZ}) {
            const VirtualScrollBar& b = virtual_scroll_bar(window, which);
            bars += std::string(bars.empty() ? "" : ", ") + (b.enabled ? "on " : "off ") + span(b.min, b.max) + " p" +
                    std::to_string(b.page) + " @" + std::to_string(b.position) + "/" + std::to_string(b.track_position);
        }
        EXPECT_EQ(bars, c[1]) << c[0];
        EXPECT_EQ(viewer.scroll_info.cbSize, sizeof(SCROLLINFO));
    }
}

TEST_F(View, EveryScrollAndResizePresentsOnce) {
    HWND window = attach();
    run("O10x41 V2:1");
    const uint64_t start = presented_image(window)->present_count;
    run("V2:1 V1:29 H2:1 H7:1 R90x31");  // nothing moves, yet each request repaints
    EXPECT_EQ(presented_image(window)->present_count, start + 5);
    EXPECT_TRUE(presented_image(window)->width == 720 && presented_image(window)->height == 496);
}
