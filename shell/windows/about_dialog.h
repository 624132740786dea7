#pragma once
// The About box: a picture, a greetings line and an OK button, the only way out.
#include "platform/win32.h"

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Shows the About box modally, owned by owner (may be null); returns what
// ended it (1 for OK).
INT_PTR show_about_box(HWND owner);
