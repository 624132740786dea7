// Drives a running Glyphora from outside, as a user's desktop would, for the
// end-to-end test:
//   window_probe find SECONDS   wait for the window (pressing OK on a first-run
//                               About box); print "title=...", "client=X Y W H"
//                               and "window=X Y W H" in screen pixels
//   window_probe key CODE COUNT send WM_KEYDOWN CODE, COUNT times, waiting for each
//   window_probe command ID     send the menu command ID, waiting
//   window_probe repaint        invalidate the whole window and let it repaint
//   window_probe close          ask it to close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kAboutOk = 1006;

void wait_until_idle(HWND window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

int find(HWND window, int seconds) {
    for (int tick = 0; tick < seconds * 10 && window == nullptr; ++tick) {
        // A first start shows the About box before the window exists.
        if (HWND dialog = FindWindowA("#32770", nullptr)) PostMessageA(GetDlgItem(dialog, kAboutOk), BM_CLICK, 0, 0);
        Sleep(100);
        window = FindWindowA("glyphora_class", nullptr);
    }
    if (window == nullptr) return 1;
    wait_until_idle(window);  // painted once
    char title[128] = {};
    GetWindowTextA(window, title, sizeof(title));
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("title=%s\nclient=%ld %ld %ld %ld\nwindow=%ld %ld %ld %ld\n", title, origin.x, origin.y,
                client.right, client.bottom, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* action = argc >= 2 ? argv[1] : "";
    const int a = argc >= 3 ? std::atoi(argv[2]) : 0, b = argc >= 4 ? std::atoi(argv[3]) : 0;
    HWND window = FindWindowA("glyphora_class", nullptr);
    if (std::strcmp(action, "find") == 0) return find(window, a);
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no window of class glyphora_class\n");
        return 1;
    }
    if (std::strcmp(action, "key") == 0) {
        for (int i = 0; i < b; ++i) SendMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(a), 1);
    } else if (std::strcmp(action, "command") == 0) {
        SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(a), 0);
    } else if (std::strcmp(action, "repaint") == 0) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        wait_until_idle(window);
    } else if (std::strcmp(action, "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "usage: window_probe find SECONDS | key CODE COUNT | command ID | repaint | close\n");
        return 2;
    }
    return 0;
}
