// Keys, scroll bars and the wheel on the real window.
#include "shell/input_rules.h"
#include "window_test_support.h"

using WindowInput = MainWindowTest;

TEST_F(WindowInput, KeysScrollBarsAndWheelMoveTheViewFromOnePlace) {
    send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(700, 485));  // 87 x 30 cells
    constexpr UINT kKey = WM_KEYDOWN, kV = WM_VSCROLL, kH = WM_HSCROLL, kWheel = WM_MOUSEWHEEL;
    auto wheel = [](short delta) { return MAKEWPARAM(0, static_cast<WORD>(delta)); };
    const struct { UINT message; WPARAM wparam; LPARAM lparam; int rows, columns; } moves[] = {
        {kKey, VK_UP, 0, -1, 0}, {kKey, VK_DOWN, 0, 1, 0}, {kKey, VK_LEFT, 0, 0, -1}, {kKey, VK_RIGHT, 0, 0, 1},
        {kKey, VK_PRIOR, 0, -29, 0}, {kKey, VK_NEXT, 0, 29, 0}, {kKey, VK_DOWN, 0x40000001, 1, 0},  // repeated
        {kKey, VK_HOME, 0, 0, 0}, {kKey, VK_END, 0, 0, 0}, {kKey, VK_SPACE, 0, 0, 0}, {kKey, 'A', 0, 0, 0},
        {kKey, VK_RETURN, 0, 0, 0}, {kKey, VK_ESCAPE, 0, 0, 0},
        {kV, SB_LINEUP, 0, -1, 0}, {kV, SB_LINEDOWN, 0, 1, 0}, {kV, SB_PAGEUP, 0, -29, 0}, {kV, SB_PAGEDOWN, 0, 29, 0},
        {kV, MAKEWPARAM(SB_THUMBPOSITION, 90), 0, 0, 0}, {kV, SB_TOP, 0, 0, 0}, {kV, SB_BOTTOM, 0, 0, 0},
        {kV, MAKEWPARAM(SB_THUMBTRACK, 90), 0, 50, 0},  // not from the bar, whose track position is 40
        {kV, SB_ENDSCROLL, 0, 0, 0}, {kH, SB_LINELEFT, 0, 0, -1}, {kH, SB_LINERIGHT, 0, 0, 1},
        {kH, SB_PAGELEFT, 0, 0, -20}, {kH, SB_PAGERIGHT, 0, 0, 86}, {kH, MAKEWPARAM(SB_THUMBPOSITION, 90), 0, 0, 0},
        {kH, MAKEWPARAM(SB_THUMBTRACK, 90), 0, 0, 70}, {kH, SB_LEFT, 0, 0, 0}, {kH, SB_RIGHT, 0, 0, 0},
        {kH, SB_ENDSCROLL, 0, 0, 0}, {kWheel, wheel(120), 0, -2, 0}, {kWheel, wheel(-240), 0, 4, 0},
        {kWheel, wheel(239), 0, -2, 0}, {kWheel, wheel(60), 0, 0, 0}, {kWheel, wheel(-119), 0, 0, 0},
        {kWheel, wheel(360), 0, -6, 0}, {kWheel, wheel(-120), 0, 2, 0}};
    for (const auto& move : moves) {
        SCOPED_TRACE(testing::Message() << "message " << move.message << ", wparam " << std::hex << move.wparam);
        viewer->scroll_vertical(kScrollAbsolute, 40);
        viewer->scroll_horizontal(kScrollAbsolute, 20);
        EXPECT_EQ(send(move.message, move.wparam, move.lparam), 0);
        EXPECT_EQ(std::make_pair(static_cast<int>(viewer->top_row) - 40, static_cast<int>(viewer->left_col) - 20),
                  std::make_pair(move.rows, move.columns));
        EXPECT_EQ(quit_posted(), move.wparam == VK_ESCAPE && move.message == kKey);
    }
    send(WM_SIZE, SIZE_RESTORED, 0);  // minimised: pages move nothing
    const uint32_t top = viewer->top_row, left = viewer->left_col;
    for (UINT message : {kKey, kV, kH}) send(message, message == kKey ? VK_NEXT : SB_PAGEDOWN);
    EXPECT_EQ(std::make_pair(viewer->top_row, viewer->left_col), std::make_pair(top, left));
}

// A real drag of the thumb to the bottom of its bar reaches the last rows of a
// text of more than 65,535, though the message's thumb position holds 16 bits.
// The bar's own tracking loop reads the mouse messages queued here.
TEST_F(WindowInput, DraggingTheThumbReachesTheLastRowsOfATallText) {
    ASSERT_TRUE(open_file(write_temp_file("tall.asc", std::string(70000, '\n'))));
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_NE(GetScrollBarInfo(main_window, OBJID_VSCROLL, &bar), 0);
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    POINT drop = {x, bar.rcScrollBar.bottom - 1};  // inside the bar: far outside puts the thumb back
    ScreenToClient(main_window, &drop);
    PostMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    PostMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    send(WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2));
    EXPECT_EQ(viewer->top_row, 70000u - 30u + 1u);  // 70000 line ends, 30 rows in view
}
