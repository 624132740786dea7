// The About box: its layout from the dialog template, and that only the OK
// button (or Enter, which presses it) closes it.
#include <cstring>

#include "resources/resource.h"
#include "shell/windows/about_dialog.h"
#include "shell/windows/program_state.h"
#include "window_test_support.h"

namespace {

struct Seen {
    bool open_after_cancel = false;
    bool open_after_escape = false;
};

void press_cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

void press_escape(HWND dialog) {
    HWND focus = GetDlgItem(dialog, IDC_ABOUT_OK);
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

}  // namespace

TEST(AboutBox, ProcedureClosesOnlyOnOk) {
    EXPECT_EQ(about_dialog_proc(nullptr, WM_INITDIALOG, 0, 0), TRUE);
    EXPECT_EQ(about_dialog_proc(nullptr, WM_COMMAND, IDCANCEL, 0), FALSE);
    EXPECT_EQ(about_dialog_proc(nullptr, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_OK, 1), 0), FALSE);
    EXPECT_EQ(about_dialog_proc(nullptr, WM_CLOSE, 0, 0), FALSE);
}

TEST(AboutBox, EscapeAndCancelLeaveItOpenAndOkClosesIt) {
    Seen seen;
    DialogHand hand({
        press_cancel,
        [&seen](HWND dialog) {
            seen.open_after_cancel = IsWindowVisible(dialog) != 0;
            press_escape(dialog);
        },
        [&seen](HWND dialog) {
            seen.open_after_escape = IsWindowVisible(dialog) != 0;
            PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), BM_CLICK, 0, 0);
        },
    });
    EXPECT_EQ(show_about_box(nullptr), 1);
    EXPECT_TRUE(hand.finished());
    EXPECT_TRUE(seen.open_after_cancel);
    EXPECT_TRUE(seen.open_after_escape);
}

TEST(AboutBox, EnterPressesOk) {
    DialogHand hand({[](HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDC_ABOUT_OK);
        PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(ok, WM_KEYUP, VK_RETURN, 0xC0000001);
    }});
    EXPECT_EQ(show_about_box(nullptr), 1);
}

TEST(AboutBox, HasPictureGreetingAndOkInOrderWithoutCaption) {
    struct Layout {
        DWORD style = 0;
        int count = 0;
        int ok_id = 0;
        DWORD ok_style = 0;
        bool focus_on_ok = false;
        bool picture_loaded = false;
        char greeting[128] = {};
        RECT client{};
    } layout;
    Layout* seen = &layout;
    DialogHand hand({[seen](HWND dialog) {
        seen->style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        HWND children[4] = {};
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && seen->count < 4;
             child = GetWindow(child, GW_HWNDNEXT))
            children[seen->count++] = child;
        seen->focus_on_ok = GetFocus() == GetDlgItem(dialog, IDC_ABOUT_OK);
        if (seen->count == 3) {
            seen->ok_id = GetDlgCtrlID(children[0]);
            seen->ok_style = static_cast<DWORD>(GetWindowLongA(children[0], GWL_STYLE));
            seen->picture_loaded = SendMessageA(children[1], STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            GetWindowTextA(children[2], seen->greeting, sizeof(seen->greeting));
        }
        GetClientRect(dialog, &seen->client);
        PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), BM_CLICK, 0, 0);
    }});
    ASSERT_EQ(show_about_box(nullptr), 1);

    EXPECT_EQ(layout.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_POPUP));
    ASSERT_EQ(layout.count, 3);
    EXPECT_EQ(layout.ok_id, IDC_ABOUT_OK);
    EXPECT_EQ(layout.ok_style & 0x0F, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(layout.focus_on_ok);
    EXPECT_TRUE(layout.picture_loaded);
    EXPECT_GT(std::strlen(layout.greeting), 0u);
    // 240 x 193 dialog units: wider than high, by about that ratio.
    EXPECT_GT(layout.client.right, layout.client.bottom);
}

TEST_F(MainWindowTest, AboutCommandShowsTheBoxOwnedByTheWindow) {
    HWND owner = nullptr;
    DialogHand hand({[&owner](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageA(dialog, WM_COMMAND, IDC_ABOUT_OK, 0);
    }});
    EXPECT_EQ(send(WM_COMMAND, IDM_HELP_ABOUT), 0);
    EXPECT_TRUE(hand.finished());
    EXPECT_EQ(owner, main_window);
}
