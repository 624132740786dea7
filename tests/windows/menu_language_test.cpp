// The menu follows the system's default locale. CTest runs each suite in its
// own process under the locale it names (LANG, which Wine follows).
#include "shell/input_rules.h"
#include "window_test_support.h"

namespace {

using Menu = std::vector<std::pair<std::wstring, UINT>>;  // text and command; "" for a separator
constexpr UINT kPopup = ~0u;

// The window as start-up creates it, after its choice of menu.
class LocaleMenu : public MainWindowTest {
protected:
    void SetUp() override {
        menu_id = menu_id_for_locale(GetSystemDefaultLCID());
        MainWindowTest::SetUp();
    }
    // The window's menu flattened: each pop-up, then its items.
    Menu menu() const {
        Menu entries;
        HMENU bar = GetMenu(main_window);
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            for (int j = -1; j < GetMenuItemCount(GetSubMenu(bar, i)); ++j) {
                HMENU menu = j < 0 ? bar : GetSubMenu(bar, i);
                wchar_t text[64] = {};
                GetMenuStringW(menu, j < 0 ? i : j, text, 64, MF_BYPOSITION);
                entries.emplace_back(text, GetMenuItemID(menu, j < 0 ? i : j));
            }
        }
        return entries;
    }
};
using PolishLocale = LocaleMenu;
using EnglishLocale = LocaleMenu;

}  // namespace

TEST_F(PolishLocale, MenuIsPolish) {
    ASSERT_EQ(GetSystemDefaultLCID() & 0xFFFF, 0x0415u) << "run with LANG=pl_PL.UTF-8";
    EXPECT_EQ(menu_id, IDR_MENU_POLISH);
    EXPECT_EQ(menu(), Menu({{L"Plik", kPopup}, {L"Otwórz...", IDM_FILE_OPEN}, {L"", 0}, {L"Zakończ", IDM_FILE_EXIT},
                            {L"Widok", kPopup}, {L"Zawijaj wiersze", IDM_VIEW_WRAP},
                            {L"Pomoc", kPopup}, {L"O programie...", IDM_HELP_ABOUT}}));
}

TEST_F(EnglishLocale, MenuIsEnglish) {
    ASSERT_NE(GetSystemDefaultLCID() & 0xFFFF, 0x0415u);
    EXPECT_EQ(menu_id, IDR_MENU_ENGLISH);
    EXPECT_EQ(menu(), Menu({{L"File", kPopup}, {L"Open...", IDM_FILE_OPEN}, {L"", 0}, {L"Exit", IDM_FILE_EXIT},
                            {L"View", kPopup}, {L"Wrap lines", IDM_VIEW_WRAP},
                            {L"Help", kPopup}, {L"About...", IDM_HELP_ABOUT}}));
}
