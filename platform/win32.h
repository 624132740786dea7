#pragma once
// The one door to Win32. On Windows it is the real API. Elsewhere it declares
// the handful of types, constants and functions the portable code calls, with
// Win32's names, signatures and struct layouts, implemented in platform/ by a
// virtual window (scroll bars and the image last presented), a virtual registry
// and the running program's own path.
//
// The platform operations the program relies on, and the effect it relies on:
// - StretchDIBits: copies an 8-bit, top-down, palette-indexed image of the
//   frame's size unscaled to the top-left corner of the client area; the
//   result is ignored.
// - EnableScrollBar, SetScrollInfo, SetScrollPos: disable or enable both arrows
//   of one scroll bar; set its range, page, position and track position; set
//   its position. Results ignored; with no window (null) nothing happens.
// - RegisterClassExA, CreateWindowExA, ShowWindow, GetDC, LoadIconA,
//   LoadCursorA, LoadMenuA, GetStockObject, GetSystemMetrics: one resizable
//   top-level window with a menu, both scroll bars, a black background and a
//   device context that stays valid for the whole run; its size reports
//   (WM_SIZE) arrive while it is created and shown.
// - GetMessageA, TranslateMessage, DispatchMessageA, DefWindowProcA,
//   PostQuitMessage: the message loop, which ends on WM_QUIT; default handling
//   of every message the window procedure passes on.
// - CheckMenuItem: sets or clears the check mark of "Wrap lines" (40009).
// - DialogBoxParamA, EndDialog: the About box, modal, until its procedure ends it.
// - MessageBoxA: the one error message, returning after OK.
// - GetOpenFileNameA: lets the user pick an existing file; fills the caller's
//   260-byte buffer with its path, or leaves it empty on cancel.
// - DragQueryFileA: with no buffer, the length of the path of file 0 of a drop
//   (its NUL not counted); with one, copies as much of the path as fits before
//   a NUL, cut short when it does not fit, and returns the bytes copied.
// - InitCommonControls: prepares the common controls; no result used.
// - GetSystemDefaultLCID, GetModuleHandleA: the default locale (its low 16 bits
//   are the language); the program's own module handle.
// - RegCreateKeyExA, RegSetValueA: create or open a key and report whether it
//   was created; set a key's default string value.
// - GetModuleFileNameA: the full path of the program's own executable file.
// - GetScrollInfo: the 32-bit track position of a dragged thumb.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#else
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef char CHAR;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const void* LPCVOID;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD REGSAM;

typedef struct HWND__* HWND;
typedef struct HDC__* HDC;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef struct HDROP__* HDROP;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#pragma pack(push, 2)
typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;
#pragma pack(pop)

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;

typedef struct tagSCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
} SCROLLINFO, *LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;

static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is 4 bytes");
static_assert(sizeof(SCROLLINFO) == 28, "SCROLLINFO is 28 bytes");

#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define SRCCOPY 0x00CC0020u

#define SB_HORZ 0
#define SB_VERT 1
#define ESB_ENABLE_BOTH 0
#define ESB_DISABLE_BOTH 3
#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define REG_SZ 1
#define REG_OPTION_NON_VOLATILE 0
#define KEY_ALL_ACCESS 0xF003Fu
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define MAX_PATH 260
#define WHEEL_DELTA 120

int WINAPI StretchDIBits(HDC dc, int x_dest, int y_dest, int dest_width, int dest_height,
                         int x_src, int y_src, int src_width, int src_height, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop);

HDC WINAPI GetDC(HWND window);
BOOL WINAPI EnableScrollBar(HWND window, UINT bar, UINT arrows);
int WINAPI SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw);
int WINAPI SetScrollPos(HWND window, int bar, int pos, BOOL redraw);
BOOL WINAPI GetScrollInfo(HWND window, int bar, LPSCROLLINFO info);

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR key_class,
                            DWORD options, REGSAM desired, LPSECURITY_ATTRIBUTES security,
                            PHKEY result, LPDWORD disposition);
LONG WINAPI RegSetValueA(HKEY key, LPCSTR sub_key, DWORD type, LPCSTR data, DWORD count);

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);

UINT WINAPI DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size);
#endif
