// The resources linked into the program, read back through the loader.
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "window_test_support.h"

namespace {

struct MenuEntry {
    std::wstring text;  // empty for a separator
    UINT id;            // 0 for a pop-up or a separator
};

// The menu flattened: each pop-up, then its items.
std::vector<MenuEntry> read_menu(HMENU menu) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        if (popup == nullptr) {
            entries.push_back({text, GetMenuItemID(menu, i)});
            continue;
        }
        entries.push_back({text, 0});
        for (const MenuEntry& item : read_menu(popup)) entries.push_back(item);
    }
    return entries;
}

void expect_menu(HMENU menu, const std::vector<MenuEntry>& expected) {
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    const std::vector<MenuEntry> entries = read_menu(menu);
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(entries[i].text == expected[i].text);
        EXPECT_EQ(entries[i].id, expected[i].id);
        EXPECT_EQ(entries[i].text.find(L'&'), std::wstring::npos);
    }
    EXPECT_EQ(GetMenuState(menu, IDM_VIEW_WRAP, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

const std::vector<MenuEntry> kEnglish = {
    {L"File", 0}, {L"Open...", IDM_FILE_OPEN}, {L"", 0}, {L"Exit", IDM_FILE_EXIT},
    {L"View", 0}, {L"Wrap lines", IDM_VIEW_WRAP}, {L"Help", 0}, {L"About...", IDM_HELP_ABOUT},
};
const std::vector<MenuEntry> kPolish = {
    {L"Plik", 0}, {L"Otwórz...", IDM_FILE_OPEN}, {L"", 0}, {L"Zakończ", IDM_FILE_EXIT},
    {L"Widok", 0}, {L"Zawijaj wiersze", IDM_VIEW_WRAP}, {L"Pomoc", 0}, {L"O programie...", IDM_HELP_ABOUT},
};

const void* resource_bytes(LPCSTR type, WORD id, DWORD* size = nullptr) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return nullptr;
    if (size != nullptr) *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

BOOL CALLBACK collect_id(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<uintptr_t>*>(list)->push_back(reinterpret_cast<uintptr_t>(name));
    return TRUE;
}

BOOL CALLBACK collect_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

std::vector<WORD> languages_of(LPCSTR type, WORD id) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(GetModuleHandleA(nullptr), type, MAKEINTRESOURCEA(id), collect_language,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved, type, count;
};
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

}  // namespace

TEST(Resources, MenusHoldTheirItemsInBothLanguages) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    expect_menu(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU_ENGLISH)), kEnglish);
    expect_menu(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU_POLISH)), kPolish);
}

TEST(Resources, FiledUnderTheirLanguages) {
    const std::vector<WORD> english = {0x0409};
    const std::vector<WORD> polish = {0x0415};
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(4), IDR_MENU_ENGLISH), english);  // RT_MENU
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(4), IDR_MENU_POLISH), polish);
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(5), IDD_ABOUT), polish);          // RT_DIALOG
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(14), IDI_APP), polish);           // RT_GROUP_ICON
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(14), IDI_APP_SMALL), polish);
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(14), IDI_DOCUMENT), polish);
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(2), IDB_ABOUT), polish);          // RT_BITMAP
    EXPECT_EQ(languages_of(MAKEINTRESOURCEA(24), 1), polish);                 // RT_MANIFEST
}

TEST(Resources, AboutTemplateIsClassicWithThreeControls) {
    const auto* words = static_cast<const WORD*>(resource_bytes(MAKEINTRESOURCEA(5), IDD_ABOUT));
    ASSERT_NE(words, nullptr);
    DWORD style;
    std::memcpy(&style, words, sizeof(style));
    EXPECT_EQ(style, 0x80000840u);  // a classic template starts with its style, not 0xFFFF0001
    const WORD* after_styles = words + 4;  // style and extended style
    EXPECT_EQ(after_styles[0], 3);         // controls
    EXPECT_EQ(after_styles[1], 0);         // x
    EXPECT_EQ(after_styles[2], 0);         // y
    EXPECT_EQ(after_styles[3], 240);       // width
    EXPECT_EQ(after_styles[4], 193);       // height
    const WORD* strings = after_styles + 5;
    EXPECT_EQ(strings[0], 0);  // no menu
    EXPECT_EQ(strings[1], 0);  // standard class
    EXPECT_EQ(strings[2], 0);  // no title
    EXPECT_EQ(strings[3], 8);  // point size
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(strings + 4)), L"MS Sans Serif");
}

TEST(Resources, OnlyThreeIconGroupsInOrder) {
    std::vector<uintptr_t> ids;
    EnumResourceNamesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(14), collect_id,
                       reinterpret_cast<LONG_PTR>(&ids));
    const std::vector<uintptr_t> expected = {IDI_APP, IDI_APP_SMALL, IDI_DOCUMENT};
    EXPECT_EQ(ids, expected);

    struct Group {
        WORD id;
        std::vector<WORD> depths;
    };
    const Group groups[] = {{IDI_APP, {4, 8}}, {IDI_APP_SMALL, {8}}, {IDI_DOCUMENT, {8}}};
    for (const Group& group : groups) {
        SCOPED_TRACE(group.id);
        const auto* header = static_cast<const IconGroupHeader*>(resource_bytes(MAKEINTRESOURCEA(14), group.id));
        ASSERT_NE(header, nullptr);
        ASSERT_EQ(header->count, group.depths.size());
        const auto* entry = reinterpret_cast<const IconGroupEntry*>(header + 1);
        std::vector<WORD> depths;
        for (WORD i = 0; i < header->count; ++i) {
            EXPECT_EQ(entry[i].width, 32);
            EXPECT_EQ(entry[i].height, 32);
            depths.push_back(entry[i].bit_count);
        }
        EXPECT_EQ(depths, group.depths);
    }
}

TEST(Resources, AboutPictureIs360By260With256Colours) {
    const auto* header = static_cast<const BITMAPINFOHEADER*>(resource_bytes(MAKEINTRESOURCEA(2), IDB_ABOUT));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 360);
    EXPECT_EQ(std::abs(header->biHeight), 260);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 256);
}

TEST(Resources, ManifestAsksForCommonControlsSix) {
    DWORD size = 0;
    const auto* bytes = static_cast<const char*>(resource_bytes(MAKEINTRESOURCEA(24), 1, &size));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, size);
    for (const char* part :
         {"version=\"0.1.9.0\"", "processorArchitecture=\"X86\"", "type=\"win32\"", "<description>Glyphora</description>",
          "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "language=\"*\"",
          "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}
