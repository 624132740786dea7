// The menu follows the system's default locale. CTest runs each suite in its
// own process under the locale it names (LANG, which Wine follows).
#include <string>

#include "render/viewer.h"
#include "resources/resource.h"
#include "shell/input_rules.h"
#include "shell/windows/main_window.h"
#include "shell/windows/program_state.h"
#include "window_test_support.h"

namespace {

std::wstring item_text(HMENU menu, UINT id) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, id, text, 64, MF_BYCOMMAND);
    return text;
}

std::wstring popup_text(HMENU menu, int position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

// Start-up's choice, then the window as start-up creates it.
HMENU start_window_menu(uint16_t expected_id) {
    menu_id = menu_id_for_locale(GetSystemDefaultLCID());
    EXPECT_EQ(menu_id, expected_id);
    viewer = new Viewer;
    viewer->init();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_NE(register_main_class(instance), 0);
    EXPECT_NE(create_main_window(instance), nullptr);
    WNDCLASSEXA info{};
    info.cbSize = sizeof(info);
    GetClassInfoExA(instance, kMainClassName, &info);
    EXPECT_EQ(info.lpszMenuName, MAKEINTRESOURCEA(expected_id));
    return GetMenu(main_window);
}

}  // namespace

TEST(PolishLocale, MenuIsPolish) {
    ASSERT_EQ(GetSystemDefaultLCID() & 0xFFFF, 0x0415u) << "run with LANG=pl_PL.UTF-8";
    HMENU menu = start_window_menu(IDR_MENU_POLISH);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(popup_text(menu, 0) == L"Plik");
    EXPECT_TRUE(popup_text(menu, 1) == L"Widok");
    EXPECT_TRUE(popup_text(menu, 2) == L"Pomoc");
    EXPECT_TRUE(item_text(menu, IDM_FILE_OPEN) == L"Otwórz...");
    EXPECT_TRUE(item_text(menu, IDM_FILE_EXIT) == L"Zakończ");
    EXPECT_TRUE(item_text(menu, IDM_VIEW_WRAP) == L"Zawijaj wiersze");
    EXPECT_TRUE(item_text(menu, IDM_HELP_ABOUT) == L"O programie...");
}

TEST(EnglishLocale, MenuIsEnglish) {
    ASSERT_NE(GetSystemDefaultLCID() & 0xFFFF, 0x0415u);
    HMENU menu = start_window_menu(IDR_MENU_ENGLISH);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(popup_text(menu, 0) == L"File");
    EXPECT_TRUE(item_text(menu, IDM_FILE_OPEN) == L"Open...");
    EXPECT_TRUE(item_text(menu, IDM_FILE_EXIT) == L"Exit");
    EXPECT_TRUE(item_text(menu, IDM_VIEW_WRAP) == L"Wrap lines");
    EXPECT_TRUE(item_text(menu, IDM_HELP_ABOUT) == L"About...");
}
