#pragma once
// The main window: its procedure, and the start-up steps that create it, kept
// out of WinMain so the tests drive the same code with real USER32.
#include <cstdint>

#include "platform/win32.h"

inline constexpr char kMainClassName[] = "glyphora_class";
inline constexpr char kMainTitle[] = "Glyphora v0.1.9";
constexpr DWORD kMainStyle = 0x003F0000;    // overlapped, sizeable, both scroll bars
constexpr DWORD kMainExStyle = 0x00000310;  // accepts files, window and client edges
constexpr int kMainX = 100;
constexpr int kMainY = 100;

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The outer size that gives the frame a client area beside both scroll bars.
SIZE main_window_size(uint32_t frame_width, uint32_t frame_height);

// Registers "glyphora_class" with menu_id as its menu; the atom, 0 on failure.
ATOM register_main_class(HINSTANCE instance);

// Loads main_menu, creates main_window (null on failure) and returns it.
HWND create_main_window(HINSTANCE instance);

// Shows the main window, hands its device context to the Viewer and sets up
// both scroll bars.
void show_main_window();

// The position a thumb is being dragged to: the scroll bar's 32-bit track
// position when it agrees with the message's 16-bit one, else the latter.
uint32_t thumb_track_position(HWND window, int bar, uint16_t message_position);
