#pragma once
// Shared by the Windows tests: a real main window driven through the real
// window procedure, files to open, drop handles, and a hand that works the
// program's modal dialogs while they run.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"

// Writes bytes to a file in the temporary folder and returns its path.
std::string write_temp_file(const std::string& name, const std::string& bytes);

// count lines of width characters each (cycling letters), LF-terminated.
std::string text_of(unsigned lines, unsigned width);

// A drop handle as the shell builds it: DROPFILES and the ANSI paths.
HGLOBAL make_drop(const std::vector<std::string>& paths);

// Whether the quit request is waiting in this thread's queue (removes it).
bool quit_posted();

bool wrap_checked();

// Works the next dialog box this thread shows: once it is active, calls each
// step in turn from a timer, one step per tick, so the messages a step posts
// are handled before the next step runs.
class DialogHand {
public:
    using Step = std::function<void(HWND dialog)>;
    explicit DialogHand(std::vector<Step> steps);
    ~DialogHand();
    HWND dialog() const;
    bool finished() const;
};

// The class registered once per process; a fresh Viewer and main window per
// test, created and shown as start-up does.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sends a client size report, in pixels.
    void size_client(int width, int height);
    // Opens a file straight through the Viewer, as the command line does.
    bool open_file(const std::string& path);
    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam = 0);

    std::string path_buffer_;
};
