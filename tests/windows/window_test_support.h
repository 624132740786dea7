#pragma once
// Shared by the Windows tests: a real main window driven through the real
// procedure, files to open, and a hand that works the program's modal dialogs.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"

inline std::string write_temp_file(const std::string& name, const std::string& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::ofstream(folder + name, std::ios::binary) << bytes;
    return folder + name;
}

inline std::string text_of(unsigned lines, unsigned width) {
    std::string text;
    for (unsigned row = 0; row < lines; ++row) text += std::string(width, static_cast<char>('a' + row % 26)) + '\n';
    return text;
}

// Whether the quit request is waiting in this thread's queue (removes it).
inline bool quit_posted() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// The class registered once per process; a fresh Viewer and main window per
// test, created and shown as start-up does, showing a text larger than the view.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const ATOM atom = register_main_class(GetModuleHandleA(nullptr));
        ASSERT_NE(atom, 0);
        viewer = new Viewer;
        viewer->init();
        ASSERT_NE(create_main_window(GetModuleHandleA(nullptr)), nullptr);
        show_main_window();
        ASSERT_TRUE(open_file(write_temp_file("shown.asc", text_of(200, 300))));
    }
    void TearDown() override {
        DestroyWindow(main_window);
        main_window = nullptr;
        quit_posted();
    }
    // Opens a file straight through the Viewer, as the command line does.
    bool open_file(const std::string& path) {
        path_ = path;
        path_.reserve(kPathSize);
        return viewer->open(&path_[0]) != 0;
    }
    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam = 0) {
        return SendMessageA(main_window, message, wparam, lparam);
    }
    std::string path_;
};
