// Keys, scroll bars and the wheel on the real window, each moving the view
// from the same place in a text larger than the view's 87 x 30 cells.
#include "shell/input_rules.h"
#include "window_test_support.h"

namespace {

constexpr uint32_t kRow = 40, kColumn = 20;

class WindowInput : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(700, 485));
    }
    void place() {
        viewer->scroll_vertical(kScrollAbsolute, kRow);
        viewer->scroll_horizontal(kScrollAbsolute, kColumn);
    }
    void expect_moved_by(int rows, int columns) {
        EXPECT_EQ(std::make_pair(int(viewer->top_row - kRow), int(viewer->left_col - kColumn)), std::make_pair(rows, columns));
    }
};

constexpr UINT kKey = WM_KEYDOWN, kV = WM_VSCROLL, kH = WM_HSCROLL, kWheel = WM_MOUSEWHEEL;
WPARAM wheel(int delta) { return MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))); }

}  // namespace

TEST_F(WindowInput, KeysScrollBarsAndWheelMoveTheView) {
    const struct { UINT message; WPARAM wparam; LPARAM lparam; int rows, columns; } moves[] = {
        {kKey, VK_UP, 0, -1, 0}, {kKey, VK_DOWN, 0, 1, 0}, {kKey, VK_LEFT, 0, 0, -1}, {kKey, VK_RIGHT, 0, 0, 1},
        {kKey, VK_PRIOR, 0, -29, 0}, {kKey, VK_NEXT, 0, 29, 0}, {kKey, VK_DOWN, 0x40000001, 1, 0},  // repeated
        {kKey, VK_HOME, 0, 0, 0}, {kKey, VK_END, 0, 0, 0}, {kKey, VK_SPACE, 0, 0, 0}, {kKey, 'A', 0, 0, 0},
        {kKey, VK_RETURN, 0, 0, 0}, {kV, SB_LINEUP, 0, -1, 0}, {kV, SB_LINEDOWN, 0, 1, 0},
        {kV, SB_PAGEUP, 0, -29, 0}, {kV, SB_PAGEDOWN, 0, 29, 0}, {kV, MAKEWPARAM(SB_THUMBPOSITION, 90), 0, 0, 0},
        {kV, MAKEWPARAM(SB_THUMBTRACK, 90), 0, 50, 0}, {kV, SB_TOP, 0, 0, 0}, {kV, SB_BOTTOM, 0, 0, 0},
        {kV, SB_ENDSCROLL, 0, 0, 0}, {kH, SB_LINELEFT, 0, 0, -1}, {kH, SB_LINERIGHT, 0, 0, 1},
        {kH, SB_PAGELEFT, 0, 0, -20}, {kH, SB_PAGERIGHT, 0, 0, 86}, {kH, MAKEWPARAM(SB_THUMBPOSITION, 90), 0, 0, 0},
        {kH, MAKEWPARAM(SB_THUMBTRACK, 90), 0, 0, 70}, {kH, SB_LEFT, 0, 0, 0}, {kH, SB_RIGHT, 0, 0, 0},
        {kH, SB_ENDSCROLL, 0, 0, 0}, {kWheel, wheel(120), 0, -2, 0}, {kWheel, wheel(-240), 0, 4, 0},
        {kWheel, wheel(239), 0, -2, 0}, {kWheel, wheel(60), 0, 0, 0}, {kWheel, wheel(-119), 0, 0, 0},
        {kWheel, wheel(360), 0, -6, 0}, {kWheel, wheel(-120), 0, 2, 0}};
    for (const auto& move : moves) {
        SCOPED_TRACE(testing::Message() << "message " << move.message << ", wparam " << std::hex << move.wparam);
        place();
        EXPECT_EQ(send(move.message, move.wparam, move.lparam), 0);
        expect_moved_by(move.rows, move.columns);
        EXPECT_FALSE(quit_posted());
    }
    place();
    send(kKey, VK_ESCAPE);
    EXPECT_TRUE(quit_posted());
    expect_moved_by(0, 0);
}

TEST_F(WindowInput, PagesOnAnEmptyViewMoveNothing) {
    place();
    send(WM_SIZE, SIZE_RESTORED, 0);  // minimised
    const uint32_t top = viewer->top_row, left = viewer->left_col;
    send(kKey, VK_NEXT);
    send(kV, SB_PAGEDOWN);
    send(kH, SB_PAGERIGHT);
    EXPECT_EQ(std::make_pair(viewer->top_row, viewer->left_col), std::make_pair(top, left));
}

// The message's thumb position holds 16 bits. One that disagrees with the
// bar's own track position was not sent by the bar, and is taken as it is...
TEST_F(WindowInput, ThumbMessageNotFromTheBarKeepsItsOwnPosition) {
    SetScrollPos(main_window, SB_VERT, 100, FALSE);
    send(kV, MAKEWPARAM(SB_THUMBTRACK, 7));
    EXPECT_EQ(viewer->top_row, 7u);
}

// ...while a real drag of the thumb to the bottom of its bar reaches the last
// rows of a text of more than 65,535. The bar's own tracking loop reads the
// mouse messages queued here.
TEST_F(WindowInput, DraggingTheThumbReachesTheLastRowsOfATallText) {
    ASSERT_TRUE(open_file(write_temp_file("tall_drag.asc", std::string(70000, '\n'))));
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_NE(GetScrollBarInfo(main_window, OBJID_VSCROLL, &info), 0);
    const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
    const POINT grab = {x, info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2};
    POINT drop = {x, info.rcScrollBar.bottom - 1};  // inside the bar: far outside puts the thumb back
    ScreenToClient(main_window, &drop);
    PostMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    PostMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    send(WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(grab.x, grab.y));
    EXPECT_EQ(viewer->top_row, 70000u - 30u + 1u);  // 70000 line ends, 30 rows in view
}
