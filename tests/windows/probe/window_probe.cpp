// Drives a running Glyphora from outside, as a user's desktop would: finds its
// window by class, says where its client area lies on the screen, sends it
// keys, asks it to repaint and closes it. Used by the end-to-end test.
//
//   window_probe find SECONDS   wait for the window (pressing OK on a first-run
//                               About box); print "title=...",
//                               "client=X Y WIDTH HEIGHT" and
//                               "window=X Y WIDTH HEIGHT" in screen pixels
//   window_probe key CODE COUNT send WM_KEYDOWN CODE, COUNT times, waiting for each
//   window_probe command ID     send the menu command ID (WM_COMMAND), waiting
//   window_probe repaint        invalidate the whole window and let it repaint
//   window_probe close          ask it to close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kClassName[] = "glyphora_class";
constexpr int kAboutOk = 1006;

HWND find_viewer() { return FindWindowA(kClassName, nullptr); }

// A first start shows the About box before the window exists.
void press_about_ok() {
    HWND dialog = FindWindowA("#32770", nullptr);
    if (dialog == nullptr) return;
    HWND ok = GetDlgItem(dialog, kAboutOk);
    if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
}

int find(int seconds) {
    HWND window = nullptr;
    for (int tick = 0; tick < seconds * 10 && (window = find_viewer()) == nullptr; ++tick) {
        press_about_ok();
        Sleep(100);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no window of class %s\n", kClassName);
        return 1;
    }
    // Wait until it has painted once and gone idle.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    char title[128] = {};
    GetWindowTextA(window, title, sizeof(title));
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    RECT outer;
    GetWindowRect(window, &outer);
    std::printf("title=%s\nclient=%ld %ld %ld %ld\nwindow=%ld %ld %ld %ld\n", title, origin.x, origin.y,
                client.right, client.bottom, outer.left, outer.top, outer.right - outer.left,
                outer.bottom - outer.top);
    return 0;
}

int with_window(int (*action)(HWND, int, int), int a, int b) {
    HWND window = find_viewer();
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no window of class %s\n", kClassName);
        return 1;
    }
    return action(window, a, b);
}

int key(HWND window, int code, int count) {
    for (int i = 0; i < count; ++i) SendMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(code), 1);
    return 0;
}

int command(HWND window, int id, int) {
    SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    return 0;
}

int repaint(HWND window, int, int) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    return 0;
}

int close(HWND window, int, int) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "find") == 0) return find(std::atoi(argv[2]));
    if (argc >= 4 && std::strcmp(argv[1], "key") == 0)
        return with_window(key, std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "command") == 0) return with_window(command, std::atoi(argv[2]), 0);
    if (argc >= 2 && std::strcmp(argv[1], "repaint") == 0) return with_window(repaint, 0, 0);
    if (argc >= 2 && std::strcmp(argv[1], "close") == 0) return with_window(close, 0, 0);
    std::fprintf(stderr, "usage: window_probe find SECONDS | key CODE COUNT | command ID | repaint | close\n");
    return 2;
}
