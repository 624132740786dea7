#pragma once
// Resource ids, shared by the resource script and the window code.

#define IDR_MENU_ENGLISH 101
#define IDR_MENU_POLISH 106
#define IDD_ABOUT 107
#define IDI_APP 109
#define IDI_APP_SMALL 110
#define IDI_DOCUMENT 116
#define IDB_ABOUT 118
#define IDC_ABOUT_OK 1006

#define IDM_FILE_OPEN 40001
#define IDM_FILE_EXIT 40002
#define IDM_HELP_ABOUT 40004
#define IDM_VIEW_WRAP 40009
