// The main window's procedure: turns messages into calls on the Viewer.
#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/input_rules.h"
#include "shell/path_buffer.h"
#include "shell/windows/about_dialog.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"

namespace {

constexpr uint32_t kColumnShift = 3;  // 8-pixel cells
constexpr uint32_t kRowShift = 4;     // 16-pixel cells

// A file was shown by Open or a drop: it comes unwrapped, so the mark goes.
void after_open(int opened) {
    viewer->paint(1);
    if (opened != 0) CheckMenuItem(main_menu, IDM_VIEW_WRAP, MF_BYCOMMAND | MF_UNCHECKED);
}

void on_key(WPARAM virtual_key) {
    if (virtual_key == kKeyEscape) {
        PostQuitMessage(0);
        return;
    }
    apply_scroll_request(*viewer, key_scroll_request(static_cast<uint32_t>(virtual_key),
                                                     viewer->view_cols, viewer->view_rows));
}

void on_command(HWND window, WPARAM command) {
    switch (command) {
    case IDM_FILE_OPEN: {
        char* path = viewer->choose_file();
        after_open(viewer->open(path));
        break;
    }
    case IDM_FILE_EXIT:
        PostQuitMessage(0);
        break;
    case IDM_HELP_ABOUT:
        show_about_box(window);
        break;
    case IDM_VIEW_WRAP:
        if (viewer->document->wrap_enabled != 0) {
            CheckMenuItem(main_menu, IDM_VIEW_WRAP, MF_BYCOMMAND | MF_UNCHECKED);
            viewer->set_wrap(0);
        } else {
            CheckMenuItem(main_menu, IDM_VIEW_WRAP, MF_BYCOMMAND | MF_CHECKED);
            viewer->set_wrap(1);
        }
        viewer->paint(1);
        break;
    default:
        break;
    }
}

void on_scroll_bar(HWND window, int bar, WPARAM wparam) {
    const uint32_t code = LOWORD(wparam);
    uint32_t thumb = HIWORD(wparam);
    if (code == SB_THUMBTRACK) thumb = thumb_track_position(window, bar, static_cast<uint16_t>(thumb));
    apply_scroll_request(*viewer, scroll_bar_request(bar, code, thumb, viewer->view_cols,
                                                     viewer->view_rows));
}

void on_drop(HDROP drop) {
    char* buffer = reusable_path_buffer(*viewer);
    // The first file; the rest are ignored.
    char* path = dropped_path(drop, buffer, kPathSize);
    DragFinish(drop);
    after_open(viewer->open(path));
}

}  // namespace

uint32_t thumb_track_position(HWND window, int bar, uint16_t message_position) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(window, bar, &info) == 0) return message_position;
    const uint32_t track = static_cast<uint32_t>(info.nTrackPos);
    // The message carries the low 16 bits of the same value during a drag;
    // anything else is a message not sent by the scroll bar itself.
    return (track & 0xFFFFu) == message_position ? track : message_position;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        viewer->resize(LOWORD(lparam) >> kColumnShift, HIWORD(lparam) >> kRowShift);
        return 0;
    case WM_PAINT: {
        // Validate (and so erase) first, then present: presenting before the
        // default handling let its background erase wipe the frame again.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        viewer->paint(0);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        on_key(wparam);
        return 0;
    case WM_COMMAND:
        on_command(window, wparam);
        return 0;
    case WM_SYSCOMMAND:
        // Keeps the screen saver and the monitor's power saving away while
        // the window is active.
        if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER) return 0;
        break;
    case WM_HSCROLL:
        on_scroll_bar(window, SB_HORZ, wparam);
        break;
    case WM_VSCROLL:
        on_scroll_bar(window, SB_VERT, wparam);
        break;
    case WM_MOUSEWHEEL:
        apply_scroll_request(*viewer, wheel_scroll_request(static_cast<int16_t>(HIWORD(wparam))));
        break;
    case WM_DROPFILES:
        on_drop(reinterpret_cast<HDROP>(wparam));
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
