#include "shell/windows/about_dialog.h"

#include "resources/resource.h"

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;  // focus to the first control, the OK button
    case WM_COMMAND:
        // Only the OK button closes the box; the cancel command of the Escape
        // key is deliberately left unhandled.
        if (wparam == IDC_ABOUT_OK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR show_about_box(HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                           about_dialog_proc, 0);
}
