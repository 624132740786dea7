// The main window as start-up creates it (its class and title are checked end
// to end), its size reports, and the commands that close it or are swallowed.
#include "window_test_support.h"

TEST_F(MainWindowTest, HasItsStylesIconsAndPlaceAndAViewOfItsClientArea) {
    EXPECT_EQ(GetWindowLongA(main_window, GWL_STYLE) & 0x103F0000, 0x103F0000);  // visible too
    EXPECT_EQ(GetWindowLongA(main_window, GWL_EXSTYLE) & 0x310, 0x310);           // accepts files
    EXPECT_TRUE(GetClassLongPtrA(main_window, GCLP_HICON) != 0 && GetClassLongPtrA(main_window, GCLP_HICONSM) != 0);
    RECT outer, client;
    GetWindowRect(main_window, &outer);
    GetClientRect(main_window, &client);
    EXPECT_EQ(std::make_pair(outer.left, outer.top), std::make_pair(100L, 100L));
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(672L, 480L));  // the start frame
    // The first size reports reached the view before the window was attached.
    EXPECT_EQ(std::make_pair(viewer->view_cols, viewer->view_rows), std::make_pair(84u, 30u));
}

// The text is larger than every view here: both scroll bars stay, and no other size report follows.
TEST_F(MainWindowTest, SizeReportsGiveWholeCellsAndGrowTheFrame) {
    const struct { int width, height; uint32_t cols, rows; } cases[] = {
        {700, 485, 87, 30}, {7, 15, 0, 0}, {8, 16, 1, 1}, {0, 0, 0, 0}, {1600, 1300, 200, 81}};
    for (const auto& c : cases) {
        EXPECT_EQ(send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.width, c.height)), 0);
        EXPECT_EQ(std::make_pair(viewer->view_cols, viewer->view_rows), std::make_pair(c.cols, c.rows)) << c.width;
    }
    // Past the start frame: the frame grows, and its last cell holds text.
    EXPECT_EQ(std::make_pair(viewer->frame_width, viewer->frame_height), std::make_pair(1600u, 1296u));
    EXPECT_GE(viewer->frame_capacity, 1600u * 1296u);
    viewer->paint(1);
    bool inked = false;
    for (uint32_t y = 1280; y < 1296; ++y)
        for (uint32_t x = 1592; x < 1600; ++x) inked = inked || viewer->frame[y * 1600 + x] != 0;
    EXPECT_TRUE(inked);
    ShowWindow(main_window, SW_MINIMIZE);
    EXPECT_EQ(viewer->view_cols + viewer->view_rows, 0u);
    ShowWindow(main_window, SW_RESTORE);
    EXPECT_EQ(std::make_pair(viewer->view_cols, viewer->view_rows), std::make_pair(84u, 30u));
}

int system_commands_carried_out = 0;
LRESULT CALLBACK count_system_commands(int code, WPARAM wparam, LPARAM lparam) {
    system_commands_carried_out += code == HCBT_SYSCOMMAND;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(MainWindowTest, ScreenSaverAndMonitorPowerAreSwallowedAndCloseQuits) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, count_system_commands, nullptr, GetCurrentThreadId());
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE) + send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_EQ(system_commands_carried_out, 0);
    send(WM_SYSCOMMAND, SC_CLOSE);  // the default way: WM_CLOSE, which quits
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(system_commands_carried_out, 1);
    EXPECT_TRUE(quit_posted());
    EXPECT_NE(IsWindow(main_window), 0);
}
