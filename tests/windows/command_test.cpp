// Menu commands, the Open dialog and dropped files on the real window.
#include <cstring>
#include <string>

#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"
#include "window_test_support.h"

namespace {

constexpr WPARAM kCancel = IDCANCEL;

class WindowCommands : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        first_ = write_temp_file("first.ans", "\x1b[1;31m" + text_of(5, 120));
        ASSERT_TRUE(open_file(write_temp_file("shown.asc", text_of(10, 200))));
    }

    void wrap() {
        send(WM_COMMAND, IDM_VIEW_WRAP);
        ASSERT_EQ(viewer->document->wrap_enabled, 1);
        ASSERT_TRUE(wrap_checked());
    }

    std::string shown_file() const { return viewer->document->file_name; }

    std::string first_;
};

// The Open dialog's file name box: an edit control, alone or inside a combo box.
BOOL CALLBACK find_name_box(HWND child, LPARAM found) {
    char name[16] = {};
    GetClassNameA(child, name, sizeof(name));
    if (_stricmp(name, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Puts a path into the Open dialog's file name box and confirms it.
void choose_in_dialog(HWND dialog, const std::string& path) {
    HWND box = nullptr;
    EnumChildWindows(dialog, find_name_box, reinterpret_cast<LPARAM>(&box));
    ASSERT_NE(box, nullptr);
    SetWindowTextA(box, path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(WindowCommands, WrapCommandSwitchesTheViewAndItsCheckMark) {
    EXPECT_FALSE(wrap_checked());
    EXPECT_EQ(send(WM_COMMAND, IDM_VIEW_WRAP), 0);
    EXPECT_EQ(viewer->document->wrap_enabled, 1);
    EXPECT_TRUE(wrap_checked());
    EXPECT_EQ(viewer->cur_text, viewer->document->wrapped_text);
    EXPECT_LT(viewer->doc_cols, 200u);

    EXPECT_EQ(send(WM_COMMAND, IDM_VIEW_WRAP), 0);
    EXPECT_EQ(viewer->document->wrap_enabled, 0);
    EXPECT_FALSE(wrap_checked());
    EXPECT_EQ(viewer->cur_text, viewer->document->text);
}

TEST_F(WindowCommands, OnlyMenuCommandsMatch) {
    // A control notification carries a code in the high word.
    EXPECT_EQ(send(WM_COMMAND, MAKEWPARAM(IDM_VIEW_WRAP, 1)), 0);
    EXPECT_EQ(send(WM_COMMAND, MAKEWPARAM(IDM_FILE_EXIT, 1)), 0);
    EXPECT_EQ(send(WM_COMMAND, 40003), 0);
    EXPECT_EQ(viewer->document->wrap_enabled, 0);
    EXPECT_FALSE(wrap_checked());
    EXPECT_FALSE(quit_posted());
}

TEST_F(WindowCommands, ExitEndsTheProgram) {
    EXPECT_EQ(send(WM_COMMAND, IDM_FILE_EXIT), 0);
    EXPECT_TRUE(quit_posted());
}

TEST_F(WindowCommands, OpenCancelledKeepsTheWrappedView) {
    wrap();
    HWND owner = nullptr;
    DialogHand hand({[&owner](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageA(dialog, WM_COMMAND, kCancel, 0);
    }});
    EXPECT_EQ(send(WM_COMMAND, IDM_FILE_OPEN), 0);
    EXPECT_TRUE(hand.finished());
    EXPECT_EQ(owner, main_window);
    EXPECT_EQ(viewer->document->wrap_enabled, 1);
    EXPECT_TRUE(wrap_checked());
    EXPECT_EQ(viewer->cur_text, viewer->document->wrapped_text);
    EXPECT_EQ(viewer->top_row, 0u);
}

TEST_F(WindowCommands, OpenShowsTheChosenFileUnwrapped) {
    wrap();
    const std::string chosen = first_;
    DialogHand hand({[chosen](HWND dialog) { choose_in_dialog(dialog, chosen); }});
    send(WM_COMMAND, IDM_FILE_OPEN);
    ASSERT_TRUE(hand.finished());
    EXPECT_EQ(shown_file(), chosen);
    EXPECT_EQ(viewer->document->is_ansi, 1);
    EXPECT_EQ(viewer->document->wrap_enabled, 0);
    EXPECT_FALSE(wrap_checked());
    EXPECT_EQ(viewer->cur_text, viewer->document->text);
}

TEST_F(WindowCommands, DropOpensOnlyTheFirstFileUnwrapped) {
    wrap();
    const std::string second = write_temp_file("second.asc", "second\n");
    const std::string third = write_temp_file("third.asc", "third\n");
    send(WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({first_, second, third})));
    EXPECT_EQ(shown_file(), first_);
    EXPECT_EQ(viewer->document->is_ansi, 1);
    EXPECT_EQ(viewer->doc_rows, 5u);
    EXPECT_EQ(viewer->document->wrap_enabled, 0);
    EXPECT_FALSE(wrap_checked());
}

TEST_F(WindowCommands, DropOfAFileThatCannotBeOpenedChangesNothing) {
    wrap();
    send(WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({"C:\\no such folder\\missing.ans"})));
    EXPECT_EQ(viewer->document->wrap_enabled, 1);
    EXPECT_TRUE(wrap_checked());
    EXPECT_EQ(viewer->cur_text, viewer->document->wrapped_text);
    EXPECT_EQ(viewer->doc_rows, viewer->document->wrapped_line_count);
}
