// Keys, scroll bars and the wheel on the real window, each moving the view
// from the same place in a text larger than the view.
#include "render/viewer.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"
#include "window_test_support.h"

namespace {

constexpr uint32_t kStartRow = 40;
constexpr uint32_t kStartColumn = 20;

class WindowInput : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(open_file(write_temp_file("input.asc", text_of(200, 300))));
        size_client(700, 485);  // 87 x 30 cells
        viewer->scroll_vertical(3, kStartRow);
        viewer->scroll_horizontal(3, kStartColumn);
        ASSERT_EQ(viewer->top_row, kStartRow);
        ASSERT_EQ(viewer->left_col, kStartColumn);
    }

    void expect_moved_by(int rows, int columns) {
        EXPECT_EQ(static_cast<int>(viewer->top_row) - static_cast<int>(kStartRow), rows);
        EXPECT_EQ(static_cast<int>(viewer->left_col) - static_cast<int>(kStartColumn), columns);
    }
};

struct Move {
    unsigned code;
    int rows;
    int columns;
};

}  // namespace

TEST_F(WindowInput, KeysScrollByLinesAndPages) {
    const Move keys[] = {
        {VK_UP, -1, 0},    {VK_DOWN, 1, 0},  {VK_LEFT, 0, -1}, {VK_RIGHT, 0, 1}, {VK_PRIOR, -29, 0},
        {VK_NEXT, 29, 0},  {VK_HOME, 0, 0},  {VK_END, 0, 0},   {VK_SPACE, 0, 0}, {'A', 0, 0},
        {VK_RETURN, 0, 0},
    };
    for (const Move& key : keys) {
        SCOPED_TRACE(testing::Message() << "key " << key.code);
        viewer->scroll_vertical(3, kStartRow);
        viewer->scroll_horizontal(3, kStartColumn);
        EXPECT_EQ(send(WM_KEYDOWN, key.code, 0), 0);
        expect_moved_by(key.rows, key.columns);
        EXPECT_FALSE(quit_posted());
    }
}

TEST_F(WindowInput, AutoRepeatedKeysActEachTime) {
    for (int i = 0; i < 3; ++i) send(WM_KEYDOWN, VK_DOWN, 0x40000001);  // bit 30: key was down
    expect_moved_by(3, 0);
}

TEST_F(WindowInput, EscapeEndsTheProgram) {
    EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(quit_posted());
    expect_moved_by(0, 0);
}

TEST_F(WindowInput, PageOnAnEmptyViewMovesNothing) {
    size_client(0, 0);  // minimised
    EXPECT_EQ(viewer->view_rows, 0u);
    const uint32_t top = viewer->top_row;
    send(WM_KEYDOWN, VK_NEXT, 0);
    send(WM_VSCROLL, SB_PAGEDOWN, 0);
    send(WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_EQ(viewer->top_row, top);
}

TEST_F(WindowInput, ScrollBarCodes) {
    struct BarMove {
        UINT message;
        unsigned code;
        unsigned thumb;
        int rows;
        int columns;
    };
    const BarMove moves[] = {
        {WM_VSCROLL, SB_LINEUP, 0, -1, 0},        {WM_VSCROLL, SB_LINEDOWN, 0, 1, 0},
        {WM_VSCROLL, SB_PAGEUP, 0, -29, 0},       {WM_VSCROLL, SB_PAGEDOWN, 0, 29, 0},
        {WM_VSCROLL, SB_THUMBPOSITION, 90, 0, 0}, {WM_VSCROLL, SB_THUMBTRACK, 90, 50, 0},
        {WM_VSCROLL, SB_TOP, 0, 0, 0},            {WM_VSCROLL, SB_BOTTOM, 0, 0, 0},
        {WM_VSCROLL, SB_ENDSCROLL, 0, 0, 0},      {WM_HSCROLL, SB_LINELEFT, 0, 0, -1},
        {WM_HSCROLL, SB_LINERIGHT, 0, 0, 1},      {WM_HSCROLL, SB_PAGELEFT, 0, 0, -20},
        {WM_HSCROLL, SB_PAGERIGHT, 0, 0, 86},     {WM_HSCROLL, SB_THUMBPOSITION, 90, 0, 0},
        {WM_HSCROLL, SB_THUMBTRACK, 90, 0, 70},   {WM_HSCROLL, SB_LEFT, 0, 0, 0},
        {WM_HSCROLL, SB_RIGHT, 0, 0, 0},          {WM_HSCROLL, SB_ENDSCROLL, 0, 0, 0},
    };
    for (const BarMove& move : moves) {
        SCOPED_TRACE(testing::Message() << (move.message == WM_VSCROLL ? "vertical " : "horizontal ")
                                        << move.code);
        viewer->scroll_vertical(3, kStartRow);
        viewer->scroll_horizontal(3, kStartColumn);
        send(move.message, MAKEWPARAM(move.code, move.thumb), 0);
        expect_moved_by(move.rows, move.columns);
    }
}

TEST_F(WindowInput, WheelMovesTwoRowsPerWholeNotch) {
    const struct {
        int delta;
        int rows;
    } turns[] = {{120, -2}, {-240, 4}, {239, -2}, {60, 0}, {-119, 0}, {360, -6}, {-120, 2}};
    for (const auto& turn : turns) {
        SCOPED_TRACE(testing::Message() << "delta " << turn.delta);
        viewer->scroll_vertical(3, kStartRow);
        viewer->scroll_horizontal(3, kStartColumn);
        send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(turn.delta))), 0);
        expect_moved_by(turn.rows, 0);
    }
}

// Texts of more than 65,535 rows: the message's thumb position holds only 16
// bits, the scroll bar's track position all 32.
TEST_F(WindowInput, ThumbReachesRowsPastSixteenBits) {
    ASSERT_TRUE(open_file(write_temp_file("tall.asc", std::string(70000, '\n'))));
    const uint32_t row = 66000;
    SetScrollPos(main_window, SB_VERT, static_cast<int>(row), FALSE);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, row & 0xFFFFu), 0);
    EXPECT_EQ(viewer->top_row, row);
    EXPECT_EQ(thumb_track_position(main_window, SB_VERT, static_cast<uint16_t>(row & 0xFFFFu)), row);
}

TEST_F(WindowInput, ThumbMessageNotFromTheBarKeepsItsOwnPosition) {
    SetScrollPos(main_window, SB_VERT, 100, FALSE);
    EXPECT_EQ(thumb_track_position(main_window, SB_VERT, 7), 7u);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7), 0);
    EXPECT_EQ(viewer->top_row, 7u);
}

// A real drag of the vertical thumb to the bottom of its bar: the scroll bar's
// own tracking loop reads the mouse messages queued here.
TEST_F(WindowInput, DraggingTheThumbReachesTheLastRowsOfATallText) {
    ASSERT_TRUE(open_file(write_temp_file("tall_drag.asc", std::string(70000, '\n'))));
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_NE(GetScrollBarInfo(main_window, OBJID_VSCROLL, &bar), 0);
    // The bar in screen coordinates; the thumb's top and bottom relative to it.
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    POINT grab = {x, bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
    // Inside the bar's rectangle: a pointer far outside it puts the thumb back.
    POINT drop = {x, bar.rcScrollBar.bottom - 1};
    ScreenToClient(main_window, &drop);
    PostMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    PostMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    send(WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(grab.x, grab.y));
    // The last first row: 70000 line ends and the view's 30 rows.
    EXPECT_EQ(viewer->top_row, 70000u - 30u + 1u);
    EXPECT_GT(viewer->top_row, 65535u);
}
