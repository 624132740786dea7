// Menu commands on the real window (wrap, exit, Open, About) and dropped files.
#include "window_test_support.h"

#include <dlgs.h>
#include <shlobj.h>

#include <cstring>

// Works the next dialog box this thread shows: once it is active, runs one
// step per timer tick, so what a step posts is handled before the next runs.
struct DialogHand {
    inline static std::vector<std::function<void(HWND dialog)>> steps;
    inline static size_t next = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, tick);
    explicit DialogHand(decltype(steps) work) { steps = std::move(work); next = 0; }
    ~DialogHand() { KillTimer(nullptr, timer); }
    bool finished() const { return next >= steps.size(); }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = GetActiveWindow();
        if (next < steps.size() && dialog != nullptr && dialog != main_window) steps[next++](dialog);
    }
};

class WindowCommands : public MainWindowTest {
protected:
    // The document's wrap mode, the menu's check mark and the text shown agree.
    void expect_wrapped(bool wrapped) {
        EXPECT_EQ(viewer->document->wrap_enabled, wrapped ? 1 : 0);
        EXPECT_EQ((GetMenuState(main_menu, IDM_VIEW_WRAP, MF_BYCOMMAND) & MF_CHECKED) != 0, wrapped);
        EXPECT_EQ(viewer->cur_text, wrapped ? viewer->document->wrapped_text : viewer->document->text);
    }
    // Types chosen into the Open dialog's file name box and confirms, or cancels
    // when chosen is empty. Returns the dialog's owner.
    HWND open_from_dialog(const std::string& chosen) {
        HWND owner = nullptr;
        DialogHand hand({[&](HWND dialog) {
            owner = GetWindow(dialog, GW_OWNER);
            SetDlgItemTextA(dialog, cmb13, chosen.c_str());
            PostMessageA(dialog, WM_COMMAND, chosen.empty() ? IDCANCEL : IDOK, 0);
        }});
        EXPECT_EQ(send(WM_COMMAND, IDM_FILE_OPEN), 0);
        EXPECT_TRUE(hand.finished());
        return owner;
    }
    // A drop handle as the shell builds it: DROPFILES, then the ANSI paths.
    static WPARAM drop_of(const std::vector<std::string>& paths) {
        std::string bytes(sizeof(DROPFILES), '\0');
        reinterpret_cast<DROPFILES*>(&bytes[0])->pFiles = sizeof(DROPFILES);
        for (const std::string& path : paths) bytes += path + '\0';
        return reinterpret_cast<WPARAM>(std::memcpy(GlobalAlloc(GMEM_FIXED, bytes.size() + 1), bytes.c_str(),
                                                    bytes.size() + 1));
    }
    const std::string first_ = write_temp_file("first.ans", "\x1b[1;31m" + text_of(5, 120));
};

TEST_F(WindowCommands, WrapSwitchesTheViewAndItsCheckMarkExitQuitsAndOnlyMenuCommandsMatch) {
    // A control notification carries a code in the high word.
    for (WPARAM command : {MAKEWPARAM(IDM_VIEW_WRAP, 1), MAKEWPARAM(IDM_FILE_EXIT, 1), WPARAM{40003}})
        send(WM_COMMAND, command);
    EXPECT_FALSE(quit_posted());
    for (bool wrapped : {false, true, false}) {
        expect_wrapped(wrapped);
        EXPECT_EQ(viewer->doc_cols < 300, wrapped);
        EXPECT_EQ(send(WM_COMMAND, IDM_VIEW_WRAP), 0);
    }
    EXPECT_EQ(send(WM_COMMAND, IDM_FILE_EXIT), 0);
    EXPECT_TRUE(quit_posted());
}

TEST_F(WindowCommands, OpenCancelledKeepsTheWrappedViewAndAChosenFileShowsUnwrapped) {
    send(WM_COMMAND, IDM_VIEW_WRAP);
    EXPECT_EQ(open_from_dialog(""), main_window);
    expect_wrapped(true);
    EXPECT_EQ(open_from_dialog(first_), main_window);
    EXPECT_EQ(std::string(viewer->document->file_name), first_);
    EXPECT_EQ(viewer->document->file_name, viewer->document->name_store.get()) << "one path buffer";
    expect_wrapped(false);
}

// A path too long for the buffer fails too, though the shell would hand it
// over cut short to one that names a file.
TEST_F(WindowCommands, DropOpensOnlyTheFirstFileAndAFailedOneChangesNothing) {
    char folder[MAX_PATH];
    const std::string fitting =
        write_temp_file(std::string(kPathSize - 1 - GetTempPathA(MAX_PATH, folder), 'p'), "fits\n");
    ASSERT_EQ(fitting.size(), kPathSize - 1);
    send(WM_COMMAND, IDM_VIEW_WRAP);
    const std::string failing_drops[] = {"C:\\no such folder\\missing.ans", fitting + "x",
                                         fitting + std::string(41, 'q')};
    for (const std::string& failing : failing_drops) {
        send(WM_DROPFILES, drop_of({failing}));
        expect_wrapped(true);
        EXPECT_EQ(viewer->doc_rows, viewer->document->wrapped_line_count) << failing.size();
    }
    send(WM_DROPFILES, drop_of({fitting}));
    EXPECT_EQ(std::string(viewer->document->file_name), fitting);
    expect_wrapped(false);
    DeleteFileA(fitting.c_str());
    send(WM_COMMAND, IDM_VIEW_WRAP);
    send(WM_DROPFILES, drop_of({first_, write_temp_file("second.asc", "second\n")}));
    EXPECT_EQ(std::string(viewer->document->file_name), first_);
    EXPECT_EQ(viewer->document->file_name, viewer->document->name_store.get()) << "one path buffer";
    expect_wrapped(false);
}

// The About box: OK, then the picture, then the greeting; only OK (or Enter,
// which presses it) closes it.
TEST_F(WindowCommands, AboutBoxShowsOkPictureAndGreetingAndOnlyOkClosesIt) {
    HWND owner = nullptr;
    std::vector<bool> layout, open;
    char greeting[128] = {};
    auto press = [&open](HWND dialog, WPARAM key) {
        open.push_back(IsWindowVisible(dialog) != 0);
        PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), WM_KEYDOWN, key, 0);
    };
    DialogHand hand({
        [&](HWND dialog) {
            owner = GetWindow(dialog, GW_OWNER);
            HWND ok = GetDlgItem(dialog, IDC_ABOUT_OK), picture = GetWindow(ok, GW_HWNDNEXT);
            HWND text = GetWindow(picture, GW_HWNDNEXT);
            layout = {GetWindow(dialog, GW_CHILD) == ok, (GetWindowLongA(ok, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON,
                      GetFocus() == ok, SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0,
                      GetWindow(text, GW_HWNDNEXT) == nullptr};
            GetWindowTextA(text, greeting, sizeof(greeting));
            PostMessageA(dialog, WM_CLOSE, 0, 0);  // the box turns it into Cancel
        },
        [&](HWND dialog) { press(dialog, VK_ESCAPE); },
        [&](HWND dialog) { press(dialog, VK_RETURN); },
        [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDC_ABOUT_OK), BM_CLICK, 0, 0); },
    });
    EXPECT_EQ(send(WM_COMMAND, IDM_HELP_ABOUT), 0);
    EXPECT_EQ(owner, main_window);
    EXPECT_EQ(layout, std::vector<bool>(5, true)) << "OK first, default, focused; a picture; three controls";
    EXPECT_STREQ(greeting, "Greetings to all who draw in sixteen colours!");
    EXPECT_EQ(open, std::vector<bool>({true, true})) << "after Close, after Escape";
    EXPECT_FALSE(hand.finished()) << "Enter did not close it; the last step's click on OK did";
}
