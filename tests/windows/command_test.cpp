// Menu commands, the Open dialog and dropped files on the real window.
#include "window_test_support.h"

#include <dlgs.h>
#include <shlobj.h>

namespace {

class WindowCommands : public MainWindowTest {
protected:
    // The document's wrap mode, the menu's check mark and the text shown agree.
    void expect_wrapped(bool wrapped) {
        EXPECT_EQ(viewer->document->wrap_enabled, wrapped ? 1 : 0);
        EXPECT_EQ(wrap_checked(), wrapped);
        EXPECT_EQ(viewer->cur_text, wrapped ? viewer->document->wrapped_text : viewer->document->text);
    }
    const std::string first_ = write_temp_file("first.ans", "\x1b[1;31m" + text_of(5, 120));
};

// A drop handle as the shell builds it: DROPFILES, then the ANSI paths.
WPARAM drop_of(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL handle = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(handle));
    drop->pFiles = sizeof(DROPFILES);
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) names = std::strcpy(names, path.c_str()) + path.size() + 1;
    GlobalUnlock(handle);
    return reinterpret_cast<WPARAM>(handle);
}

}  // namespace

TEST_F(WindowCommands, WrapSwitchesTheViewAndItsCheckMarkAndOnlyMenuCommandsMatch) {
    // A control notification carries a code in the high word.
    for (WPARAM command : {MAKEWPARAM(IDM_VIEW_WRAP, 1), MAKEWPARAM(IDM_FILE_EXIT, 1), WPARAM{40003}})
        EXPECT_EQ(send(WM_COMMAND, command), 0);
    EXPECT_FALSE(quit_posted());
    expect_wrapped(false);
    EXPECT_EQ(send(WM_COMMAND, IDM_VIEW_WRAP), 0);
    expect_wrapped(true);
    EXPECT_LT(viewer->doc_cols, 300u);
    EXPECT_EQ(send(WM_COMMAND, IDM_VIEW_WRAP), 0);
    expect_wrapped(false);
    EXPECT_EQ(send(WM_COMMAND, IDM_FILE_EXIT), 0);
    EXPECT_TRUE(quit_posted());
}

TEST_F(WindowCommands, OpenCancelledKeepsTheWrappedView) {
    send(WM_COMMAND, IDM_VIEW_WRAP);
    HWND owner = nullptr;
    DialogHand hand({[&owner](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_EQ(send(WM_COMMAND, IDM_FILE_OPEN), 0);
    EXPECT_TRUE(hand.finished());
    EXPECT_EQ(owner, main_window);
    expect_wrapped(true);
}

TEST_F(WindowCommands, OpenShowsTheChosenFileUnwrapped) {
    send(WM_COMMAND, IDM_VIEW_WRAP);
    DialogHand hand({[this](HWND dialog) {
        SetDlgItemTextA(dialog, cmb13, first_.c_str());  // the file name box
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }});
    send(WM_COMMAND, IDM_FILE_OPEN);
    ASSERT_TRUE(hand.finished());
    EXPECT_EQ(std::string(viewer->document->file_name), first_);
    EXPECT_EQ(viewer->document->is_ansi, 1);
    expect_wrapped(false);
}

TEST_F(WindowCommands, DropOpensOnlyTheFirstFileUnwrappedAndAFailedOneChangesNothing) {
    send(WM_COMMAND, IDM_VIEW_WRAP);
    send(WM_DROPFILES, drop_of({"C:\\no such folder\\missing.ans"}));
    expect_wrapped(true);
    EXPECT_EQ(viewer->doc_rows, viewer->document->wrapped_line_count);
    send(WM_DROPFILES, drop_of({first_, write_temp_file("second.asc", "second\n")}));
    EXPECT_EQ(std::string(viewer->document->file_name), first_);
    EXPECT_EQ(viewer->doc_rows, 5u);
    expect_wrapped(false);
}
