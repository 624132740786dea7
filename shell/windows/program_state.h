#pragma once
// The program-wide state of the Windows program, one value each for the run.
#include <cstdint>

#include "platform/win32.h"

class Viewer;

// The one Viewer; the window procedure reaches it only through this.
extern Viewer* viewer;
// The main window; null until it is created.
extern HWND main_window;
// The menu loaded from menu_id and given to the main window.
extern HMENU main_menu;
// 101 (English) or 106 (Polish), chosen at start-up by the system's locale.
extern uint16_t menu_id;
