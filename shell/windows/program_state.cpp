#include "shell/windows/program_state.h"

#include "resources/resource.h"

Viewer* viewer = nullptr;
HWND main_window = nullptr;
HMENU main_menu = nullptr;
uint16_t menu_id = IDR_MENU_ENGLISH;
