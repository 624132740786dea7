// Registering the window class and creating and showing the main window.
#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"

SIZE main_window_size(uint32_t frame_width, uint32_t frame_height) {
    SIZE size;
    size.cx = static_cast<LONG>(frame_width) + GetSystemMetrics(SM_CXVSCROLL) +
              2 * (GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXBORDER)) + 2;
    size.cy = static_cast<LONG>(frame_height) + GetSystemMetrics(SM_CYHSCROLL) +
              GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) +
              2 * (GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYBORDER)) + 2;
    return size;
}

ATOM register_main_class(HINSTANCE instance) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszMenuName = MAKEINTRESOURCEA(menu_id);
    window_class.lpszClassName = kMainClassName;
    window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_SMALL));
    return RegisterClassExA(&window_class);
}

HWND create_main_window(HINSTANCE instance) {
    main_menu = LoadMenuA(instance, MAKEINTRESOURCEA(menu_id));
    const SIZE size = main_window_size(viewer->frame_width, viewer->frame_height);
    main_window = CreateWindowExA(kMainExStyle, kMainClassName, kMainTitle, kMainStyle, kMainX, kMainY,
                                  size.cx, size.cy, nullptr, main_menu, instance, nullptr);
    return main_window;
}

void show_main_window() {
    ShowWindow(main_window, SW_SHOW);
    // Taken once and kept for the whole run (a class without CS_OWNDC still
    // hands out a usable common DC that is simply never released).
    viewer->attach(GetDC(main_window), main_window);
    viewer->update_vscroll();
    viewer->update_hscroll();
}
