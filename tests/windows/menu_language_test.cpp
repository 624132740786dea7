// The menu follows the system's default locale. CTest runs each suite in its
// own process under the locale it names (LANG, which Wine follows).
#include "shell/input_rules.h"
#include "window_test_support.h"

// The window after start-up's choice of menu; the pop-ups by position, the items by command.
class LocaleMenu : public MainWindowTest {
protected:
    void SetUp() override {
        menu_id = menu_id_for_locale(GetSystemDefaultLCID());
        MainWindowTest::SetUp();
    }
    std::vector<std::wstring> texts() const {
        std::vector<std::wstring> texts;
        for (UINT item : {0, 1, 2, IDM_FILE_OPEN, IDM_FILE_EXIT, IDM_VIEW_WRAP, IDM_HELP_ABOUT}) {
            wchar_t text[64] = {};
            GetMenuStringW(GetMenu(main_window), item, text, 64, item < 3 ? MF_BYPOSITION : MF_BYCOMMAND);
            texts.push_back(text);
        }
        return texts;
    }
};
using PolishLocale = LocaleMenu;
using EnglishLocale = LocaleMenu;

TEST_F(PolishLocale, MenuIsPolish) {
    ASSERT_EQ(GetSystemDefaultLCID() & 0xFFFF, 0x0415u) << "run with LANG=pl_PL.UTF-8";
    EXPECT_EQ(texts(), std::vector<std::wstring>({L"Plik", L"Widok", L"Pomoc", L"Otwórz...", L"Zakończ",
                                                  L"Zawijaj wiersze", L"O programie..."}));
}

TEST_F(EnglishLocale, MenuIsEnglish) {
    ASSERT_NE(GetSystemDefaultLCID() & 0xFFFF, 0x0415u);
    EXPECT_EQ(texts(), std::vector<std::wstring>({L"File", L"View", L"Help", L"Open...", L"Exit", L"Wrap lines",
                                                  L"About..."}));
}
