// The entry point: start-up in order, then the message loop.
#include <new>

#include "render/viewer.h"
#include "shell/input_rules.h"
#include "shell/registry.h"
#include "shell/windows/about_dialog.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"

namespace {

int fail(const char* text) {
    MessageBoxA(nullptr, text, "Error!", MB_OK);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR command_line, int /*show*/) {
    viewer = new (std::nothrow) Viewer;
    if (viewer == nullptr) return 0;
    InitCommonControls();
    menu_id = menu_id_for_locale(GetSystemDefaultLCID());
    if (open_settings_key() == 1) show_about_box(nullptr);
    viewer->init();  // before the window exists: its first WM_SIZE resizes the view
    // The window procedure relies on the Document; without memory for it at
    // start-up there is nothing to view.
    if (!viewer->document) return 0;

    if (register_main_class(instance) == 0) return fail("Couldn't register window class.");
    // Without a window there is nothing to run a message loop for.
    if (create_main_window(instance) == nullptr) return fail("Couldn't create main window.");
    show_main_window();

    if (command_line != nullptr && command_line[0] != '\0') viewer->open(command_line_path(command_line));
    viewer->paint(1);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
