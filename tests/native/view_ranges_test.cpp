// The visible ranges under scroll steps, pages, thumb drags, odd codes and new
// view sizes, and the frame that grows for views larger than it holds.
#include "shell/view_frame.h"
#include "tests/native/view_fixture.h"

class ViewRanges : public ViewFixture {};

TEST_F(ViewRanges, ScrollAndResizeFollowTheRules) {
    for (const char* script : {
             // 100 rows in 30: steps, pages to the end and back, back by exactly the first row.
             "O100x10 V2:1 r1..30 V2:1 V2:1 V2:1 V2:1 =5..34,0..9 V2:29 r34..63 V2:29 r63..92 V2:29 r71..100 "
             "V2:29 r71..100 V1:29 r42..71 V1:29 r13..42 V1:29 r0..29 V1:29 r0..29 V3:29 r29..58 V1:29 r0..29 "
             "V2:4294967295 r71..100 V1:4294967295 =0..29,0..9",
             "O30x10 V2:1 r1..30 V2:1 r1..30 V1:1 r0..29",              // as many line ends as rows
             "O10x41 V2:1 V1:29 V3:5 =0..10,0..40 H3:7 =0..10,0..41",   // a text that fits stays whole
             "O3x41 H2:1 c1..41 H2:1 c1..41 H1:1 c0..40 H1:1 c0..40",   // one column short steps one
             "R84x1 O100x10 V2:0 r0..0 V2:1 r1..1 V1:0 r1..1",          // a one-row view pages by nothing
             "O100x200 V3:50 r50..79 V3:72 r71..100 V3:4294967295 r71..100 H3:117 c117..200 H3:500 c117..200",
             // Only codes 1..3 in the low 8 bits move.
             "O100x200 V3:10 V4:5 V0:5 H255:5 =10..39,0..83 V257:2 r8..37 V29443:60 r60..89 H4294967042:4 c4..87",
             "O2x200 H2:1 c1..84 H2:83 c84..167 H2:83 c117..200 H2:4294967280 c117..200 H1:83 c34..117 "
             "H1:2147483648 c0..83 H2:4294967295 c117..200 H1:4294967295 =0..2,0..83",
             // A resize keeps the first cell unless the view would run past the end.
             "O100x200 V3:71 R84x40 =61..100,0..83 R84x20 =61..80,0..83 R84x101 =0..100,0..83",
             "O100x200 V3:71 R84x100 =1..100,0..83 R84x120 =0..100,0..83",
             "O10x200 H3:117 R100x30 =0..10,101..200 R40x30 =0..10,101..140",
             "O10x41 R90x30 =0..10,0..41 H2:1 H1:1 =0..10,0..41",
             "O100x200 V3:50 H3:60 R1x1 =50..50,60..60 R0x30 =50..79,60..60 R84x0 =50..50,60..143",
             // An empty view moves nothing and restores on the next size; a wrap with it holds at 0.
             "O100x200 V3:50 H3:60 R0x0 =50..50,60..60 V1:1 V2:7 V3:7 H1:4294967295 H2:4294967295 H3:0 "
             "=50..50,60..60 R84x30 =50..79,60..143 R0x0 W1 =0..0,0..0 R84x30 =0..29,0..81",
             "O0x1 R0x0 =0..0,0..0",
             // Wrapping starts at the first cell; the text switch shows a fitting text one column short.
             "O2x161 H3:50 c50..133 W1 =0..4,0..80 W0 =0..2,0..83"}) {
        SCOPED_TRACE(script);
        viewer.init();
        run(script);
    }
}

TEST_F(ViewRanges, LargeWindowIsFilledByAGrownFrameWithoutCrop) {
    HWND window = attach();
    run("O200x400 R320x90 =0..89,0..319");
    const PresentedImage* image = presented_image(window);
    ASSERT_TRUE(image && image->width == 2560 && image->height == 1440);
    bool ink = false;  // in the bottom-right cell
    for (uint32_t y = 89 * 16; y < 90 * 16; ++y)
        for (uint32_t x = 319 * 8; x < 320 * 8; ++x) ink |= image->pixels[y * 2560 + x] != viewer.bg_index;
    EXPECT_TRUE(ink);
}

TEST_F(ViewRanges, ResizingWithinTheFrameNeverAllocates) {
    // Only 320 x 90 outgrows the start frame, which never shrinks after; rows
    // are cut first when even the largest frame cannot hold a view.
    for (const CellSize s : {CellSize{160, 64}, CellSize{0, 0}, CellSize{1, 10240}, CellSize{10240, 1},
                             CellSize{320, 90}, CellSize{84, 30}, CellSize{0, 0}, CellSize{300, 95}, CellSize{~0u, ~0u}}) {
        const uint8_t* frame = viewer.frame.get();
        const uint32_t capacity = viewer.frame_capacity;
        viewer.resize(s.columns, s.rows);
        const bool grows = s.columns == 320 || s.columns == ~0u;
        EXPECT_EQ(span(viewer.frame.get() != frame, viewer.frame_capacity > capacity), span(grows, grows)) << s.columns;
        EXPECT_EQ(span(viewer.view_cols, viewer.view_rows), s.columns == ~0u ? span(kMaxFrameBytes / 128, 1) : span(s.columns, s.rows));
    }
}
