// Drives a running Glyphora for the end-to-end test; each action returns once the window has handled it.
//   find SECONDS                 wait for the window (pressing OK on a first-run About box); print
//                                "title=TITLE", "client=X Y WIDTH HEIGHT" and "window=X Y WIDTH HEIGHT"
//                                (on the screen)
//   send MESSAGE WPARAM [TIMES]  send the message (lParam 0) TIMES times (once by default)
//   repaint                      invalidate the whole window and let it repaint
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const std::string action = argc >= 2 ? argv[1] : "";
    const int a = argc >= 3 ? std::atoi(argv[2]) : 0, b = argc >= 4 ? std::atoi(argv[3]) : 0;
    const int times = argc >= 5 ? std::atoi(argv[4]) : 1;
    HWND window = FindWindowA("glyphora_class", nullptr);
    for (int tick = 0; window == nullptr && action == "find" && tick < a * 10; ++tick) {
        if (HWND about = FindWindowA("#32770", nullptr)) PostMessageA(GetDlgItem(about, 1006), BM_CLICK, 0, 0);
        Sleep(100);
        window = FindWindowA("glyphora_class", nullptr);
    }
    if (window == nullptr || (action != "find" && action != "send" && action != "repaint")) {
        std::fprintf(stderr, "window_probe: no window, or not find SECONDS | send MESSAGE WPARAM [TIMES] | repaint\n");
        return 1;
    }
    if (action == "find") {
        char title[128] = {};
        GetWindowTextA(window, title, sizeof(title));
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        RECT frame;
        GetWindowRect(window, &frame);
        std::printf("title=%s\nclient=%ld %ld %ld %ld\nwindow=%ld %ld %ld %ld\n", title, origin.x, origin.y,
                    client.right, client.bottom, frame.left, frame.top, frame.right - frame.left,
                    frame.bottom - frame.top);
    }
    for (int i = 0; action == "send" && i < times; ++i) SendMessageA(window, static_cast<UINT>(a), b, 0);
    if (action == "repaint") RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    DWORD_PTR result = 0;  // wait until it has painted and gone idle
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    return 0;
}
