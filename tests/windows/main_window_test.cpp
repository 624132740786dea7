// The main window as start-up creates it, and its size reports.
#include <cstring>
#include <vector>

#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"
#include "window_test_support.h"

using MainWindow = MainWindowTest;

TEST_F(MainWindow, IsTheRegisteredClassWithTitleStylesAndMenu) {
    char text[64] = {};
    GetClassNameA(main_window, text, sizeof(text));
    EXPECT_STREQ(text, "glyphora_class");
    GetWindowTextA(main_window, text, sizeof(text));
    EXPECT_STREQ(text, "Glyphora v0.1.9");

    const DWORD style = static_cast<DWORD>(GetWindowLongA(main_window, GWL_STYLE));
    EXPECT_EQ(style & 0x003F0000u, 0x003F0000u);
    EXPECT_NE(style & WS_VISIBLE, 0u);
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongA(main_window, GWL_EXSTYLE));
    EXPECT_EQ(ex_style & 0x00000310u, 0x00000310u);
    EXPECT_EQ(GetMenu(main_window), main_menu);

    WNDCLASSEXA info{};
    info.cbSize = sizeof(info);
    ASSERT_NE(GetClassInfoExA(GetModuleHandleA(nullptr), "glyphora_class", &info), 0);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.lpfnWndProc, main_window_proc);
    EXPECT_EQ(info.hbrBackground, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(info.lpszMenuName, MAKEINTRESOURCEA(menu_id));
    EXPECT_NE(info.hIcon, nullptr);
    EXPECT_NE(info.hIconSm, nullptr);
}

TEST_F(MainWindow, StartsAtItsPlaceWithTheSizeThatHoldsTheFrame) {
    RECT outer;
    GetWindowRect(main_window, &outer);
    const SIZE size = main_window_size(672, 480);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 100);
    EXPECT_EQ(outer.right - outer.left, size.cx);
    EXPECT_EQ(outer.bottom - outer.top, size.cy);

    // The first size reports reached the view before the window was attached.
    RECT client;
    GetClientRect(main_window, &client);
    EXPECT_EQ(viewer->view_cols, static_cast<uint32_t>(client.right) / 8);
    EXPECT_EQ(viewer->view_rows, static_cast<uint32_t>(client.bottom) / 16);
    EXPECT_EQ(viewer->window, main_window);
    EXPECT_NE(viewer->dc, nullptr);
}

TEST_F(MainWindow, SizeReportGivesWholeCells) {
    // A text larger than every size below keeps both scroll bars in place, so
    // no real size report follows the ones sent here.
    ASSERT_TRUE(open_file(write_temp_file("size_report.asc", text_of(200, 300))));
    struct Case {
        int width, height;
        uint32_t cols, rows;
    };
    const Case cases[] = {{700, 485, 87, 30}, {672, 480, 84, 30}, {7, 15, 0, 0}, {0, 0, 0, 0}, {8, 16, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.width, c.height)), 0);
        EXPECT_EQ(viewer->view_cols, c.cols);
        EXPECT_EQ(viewer->view_rows, c.rows);
    }
}

TEST_F(MainWindow, MinimisedWindowHasAnEmptyView) {
    ASSERT_TRUE(open_file(write_temp_file("minimised.asc", text_of(200, 300))));
    ShowWindow(main_window, SW_MINIMIZE);
    EXPECT_EQ(viewer->view_cols, 0u);
    EXPECT_EQ(viewer->view_rows, 0u);
    ShowWindow(main_window, SW_RESTORE);
    RECT client;
    GetClientRect(main_window, &client);
    EXPECT_EQ(viewer->view_cols, static_cast<uint32_t>(client.right) / 8);
    EXPECT_EQ(viewer->view_rows, static_cast<uint32_t>(client.bottom) / 16);
}

TEST_F(MainWindow, ClientLargerThanTheStartFrameIsFilled) {
    ASSERT_TRUE(open_file(write_temp_file("large_client.asc", text_of(200, 300))));
    size_client(1600, 1300);
    EXPECT_EQ(viewer->view_cols, 200u);
    EXPECT_EQ(viewer->view_rows, 81u);
    EXPECT_GE(viewer->frame_capacity, 1600u * 1296u);
    EXPECT_EQ(viewer->frame_width, 1600u);
    EXPECT_EQ(viewer->frame_height, 1296u);
    // The last cell of the frame holds a glyph of the text, not background.
    viewer->paint(1);
    const uint8_t* last_row = viewer->frame.get() + (viewer->frame_height - 16) * viewer->frame_width;
    bool inked = false;
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = viewer->frame_width - 8; x < viewer->frame_width; ++x)
            inked = inked || last_row[y * viewer->frame_width + x] != 0;
    EXPECT_TRUE(inked);
}

// What the window's client area shows, as 0x00RRGGBB per pixel.
std::vector<uint32_t> read_client(int width, int height) {
    HDC window_dc = GetDC(main_window);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, width, height);
    HGDIOBJ old = SelectObject(memory_dc, bitmap);
    BitBlt(memory_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
    SelectObject(memory_dc, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    GetDIBits(memory_dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory_dc);
    ReleaseDC(main_window, window_dc);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
    return pixels;
}

// Pixels of the frame that the window does not show in the frame's colours.
size_t frame_mismatches() {
    const int width = static_cast<int>(viewer->frame_width);
    const int height = static_cast<int>(viewer->frame_height);
    const std::vector<uint32_t> shown = read_client(width, height);
    size_t wrong = 0;
    for (int i = 0; i < width * height; ++i) {
        const RGBQUAD colour = viewer->bitmap_info.bmiColors[viewer->frame[i]];
        const uint32_t expected = (uint32_t{colour.rgbRed} << 16) | (colour.rgbGreen << 8) | colour.rgbBlue;
        wrong += shown[i] != expected;
    }
    return wrong;
}

TEST_F(MainWindow, ShowsTheFrameAndKeepsItAfterARepaintRequest) {
    ASSERT_TRUE(open_file(write_temp_file("shown.ans", "\x1b[1;33;44m" + text_of(40, 100))));
    viewer->paint(1);
    EXPECT_EQ(frame_mismatches(), 0u);

    InvalidateRect(main_window, nullptr, TRUE);
    RECT update;
    ASSERT_NE(GetUpdateRect(main_window, &update, FALSE), 0);
    UpdateWindow(main_window);
    EXPECT_EQ(GetUpdateRect(main_window, &update, FALSE), 0);
    EXPECT_EQ(frame_mismatches(), 0u);
}

TEST_F(MainWindow, CloseEndsTheProgramWithoutDestroyingTheWindow) {
    EXPECT_EQ(send(WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(quit_posted());
    EXPECT_NE(IsWindow(main_window), 0);
}

TEST_F(MainWindow, SystemCommandsForScreenSaverAndMonitorPowerAreSwallowed) {
    for (WPARAM command : {static_cast<WPARAM>(SC_SCREENSAVE), static_cast<WPARAM>(SC_MONITORPOWER)}) {
        EXPECT_EQ(send(WM_SYSCOMMAND, command, 0), 0);
        EXPECT_FALSE(quit_posted());
    }
    // Close from the system menu goes the default way: WM_CLOSE, then the quit.
    send(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(quit_posted());
    EXPECT_NE(IsWindow(main_window), 0);
}
