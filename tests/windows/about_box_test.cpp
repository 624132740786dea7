// The About box: only the OK button (or Enter, which presses it) closes it;
// its controls as the window's About command shows them.
#include "shell/windows/about_dialog.h"
#include "window_test_support.h"

namespace {

void press(HWND dialog, WPARAM key) {
    PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), WM_KEYDOWN, key, 0);
    PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST(AboutBox, CancelEscapeAndCloseLeaveItOpenAndEnterPressesOk) {
    EXPECT_EQ(about_dialog_proc(nullptr, WM_CLOSE, 0, 0), FALSE);
    EXPECT_EQ(about_dialog_proc(nullptr, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_OK, 1), 0), FALSE);
    std::vector<bool> open;
    DialogHand hand({
        [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); },
        [&open](HWND dialog) { open.push_back(IsWindowVisible(dialog) != 0); press(dialog, VK_ESCAPE); },
        [&open](HWND dialog) { open.push_back(IsWindowVisible(dialog) != 0); press(dialog, VK_RETURN); },
        [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), BM_CLICK, 0, 0); },
    });
    EXPECT_EQ(show_about_box(nullptr), 1);
    EXPECT_EQ(open, std::vector<bool>({true, true}));
    EXPECT_FALSE(hand.finished()) << "Enter did not close it; the last step's click on OK did";
}

TEST_F(MainWindowTest, AboutCommandShowsOkThenPictureThenGreeting) {
    HWND owner = nullptr, controls[3] = {};
    bool focus_on_ok = false, picture = false;
    DWORD ok_style = 0;
    int first_id = 0;
    char greeting[128] = {};
    DialogHand hand({[&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        controls[0] = GetWindow(dialog, GW_CHILD);
        for (int i = 1; i < 3; ++i) controls[i] = GetWindow(controls[i - 1], GW_HWNDNEXT);
        first_id = GetDlgCtrlID(controls[0]);
        focus_on_ok = GetFocus() == GetDlgItem(dialog, IDC_ABOUT_OK);
        ok_style = static_cast<DWORD>(GetWindowLongA(controls[0], GWL_STYLE));
        picture = SendMessageA(controls[1], STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        GetWindowTextA(controls[2], greeting, sizeof(greeting));
        PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), BM_CLICK, 0, 0);
    }});
    EXPECT_EQ(send(WM_COMMAND, IDM_HELP_ABOUT), 0);
    ASSERT_TRUE(hand.finished());
    EXPECT_EQ(owner, main_window);
    EXPECT_EQ(first_id, IDC_ABOUT_OK);  // OK first, then the picture and the greeting
    EXPECT_EQ(ok_style & 0x0F, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(focus_on_ok);
    EXPECT_TRUE(picture);
    EXPECT_STREQ(greeting, "Greetings to every artist who ever drew in sixteen colours!");
}
