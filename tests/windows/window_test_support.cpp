#include "window_test_support.h"

#include <cstdio>
#include <cstring>

#include <shlobj.h>

#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"

std::string write_temp_file(const std::string& name, const std::string& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

std::string text_of(unsigned lines, unsigned width) {
    std::string text;
    for (unsigned row = 0; row < lines; ++row) {
        for (unsigned column = 0; column < width; ++column) text += static_cast<char>('a' + (row + column) % 26);
        text += '\n';
    }
    return text;
}

HGLOBAL make_drop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL handle = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(handle));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        std::memcpy(names, path.c_str(), path.size() + 1);
        names += path.size() + 1;
    }
    GlobalUnlock(handle);
    return handle;
}

bool quit_posted() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

bool wrap_checked() {
    return (GetMenuState(main_menu, IDM_VIEW_WRAP, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// ---- DialogHand ---------------------------------------------------------------

namespace {

struct HandState {
    std::vector<DialogHand::Step> steps;
    size_t next = 0;
    HWND dialog = nullptr;
    HHOOK hook = nullptr;
    UINT_PTR timer = 0;
};
HandState* hand = nullptr;

void CALLBACK hand_tick(HWND, UINT, UINT_PTR, DWORD) {
    if (hand == nullptr || hand->dialog == nullptr) return;
    if (hand->next >= hand->steps.size()) {
        KillTimer(nullptr, hand->timer);
        hand->timer = 0;
        return;
    }
    hand->steps[hand->next++](hand->dialog);
}

LRESULT CALLBACK hand_hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && hand != nullptr && hand->dialog == nullptr) {
        HWND window = reinterpret_cast<HWND>(wparam);
        char class_name[16] = {};
        GetClassNameA(window, class_name, sizeof(class_name));
        if (std::strcmp(class_name, "#32770") == 0) {
            hand->dialog = window;
            hand->timer = SetTimer(nullptr, 0, 100, hand_tick);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

DialogHand::DialogHand(std::vector<Step> steps) {
    hand = new HandState;
    hand->steps = std::move(steps);
    hand->hook = SetWindowsHookExA(WH_CBT, hand_hook, nullptr, GetCurrentThreadId());
}

DialogHand::~DialogHand() {
    UnhookWindowsHookEx(hand->hook);
    if (hand->timer != 0) KillTimer(nullptr, hand->timer);
    delete hand;
    hand = nullptr;
}

HWND DialogHand::dialog() const { return hand->dialog; }
bool DialogHand::finished() const { return hand->next >= hand->steps.size(); }

// ---- MainWindowTest -----------------------------------------------------------

void MainWindowTest::SetUp() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static const ATOM atom = register_main_class(instance);
    ASSERT_NE(atom, 0);
    viewer = new Viewer;
    viewer->init();
    ASSERT_NE(create_main_window(instance), nullptr);
    show_main_window();
    viewer->paint(1);
}

void MainWindowTest::TearDown() {
    if (main_window != nullptr) DestroyWindow(main_window);
    main_window = nullptr;
    quit_posted();
}

void MainWindowTest::size_client(int width, int height) {
    send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

bool MainWindowTest::open_file(const std::string& path) {
    path_buffer_ = path;
    path_buffer_.reserve(kPathSize);
    return viewer->open(&path_buffer_[0]) != 0;
}

LRESULT MainWindowTest::send(UINT message, WPARAM wparam, LPARAM lparam) {
    return SendMessageA(main_window, message, wparam, lparam);
}
