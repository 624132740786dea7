// The resources linked into the program, read back through the loader. The
// menus' texts are read back from the window under each locale.
#include "window_test_support.h"

namespace {

constexpr WORD kBitmap = 2, kMenu = 4, kDialog = 5, kIconGroup = 14, kManifest = 24;

const BYTE* resource_bytes(WORD type, WORD id, DWORD* size = nullptr) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (found == nullptr) return nullptr;
    if (size != nullptr) *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

BOOL CALLBACK collect_id(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<uintptr_t>*>(list)->push_back(reinterpret_cast<uintptr_t>(name));
    return TRUE;
}

BOOL CALLBACK collect_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<uintptr_t>*>(list)->push_back(language);
    return TRUE;
}

}  // namespace

TEST(Resources, FiledUnderTheirLanguages) {
    const struct { WORD type, id; uintptr_t language; } cases[] = {
        {kMenu, IDR_MENU_ENGLISH, 0x0409}, {kMenu, IDR_MENU_POLISH, 0x0415}, {kDialog, IDD_ABOUT, 0x0415},
        {kIconGroup, IDI_APP, 0x0415}, {kIconGroup, IDI_APP_SMALL, 0x0415}, {kIconGroup, IDI_DOCUMENT, 0x0415},
        {kBitmap, IDB_ABOUT, 0x0415}, {kManifest, 1, 0x0415}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", id " << c.id);
        std::vector<uintptr_t> languages;
        EnumResourceLanguagesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.type), MAKEINTRESOURCEA(c.id),
                               collect_language, reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<uintptr_t>{c.language});
    }
}

TEST(Resources, AboutTemplateIsClassicWithThreeControls) {
    const auto* words = reinterpret_cast<const WORD*>(resource_bytes(kDialog, IDD_ABOUT));
    ASSERT_NE(words, nullptr);
    // A classic template starts with its style (not 0xFFFF 0x0001): popup, centred,
    // with a font; no extended style; 3 controls at 0,0 in 240 x 193 units; no
    // menu, standard class, no title; 8 point.
    EXPECT_EQ(std::vector<WORD>(words, words + 13),
              std::vector<WORD>({0x0840, 0x8000, 0, 0, 3, 0, 0, 240, 193, 0, 0, 0, 8}));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(words + 13)), L"MS Sans Serif");
}

TEST(Resources, OnlyThreeIconGroupsInOrderOf32By32Icons) {
    std::vector<uintptr_t> ids;
    EnumResourceNamesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconGroup), collect_id,
                       reinterpret_cast<LONG_PTR>(&ids));
    EXPECT_EQ(ids, std::vector<uintptr_t>({IDI_APP, IDI_APP_SMALL, IDI_DOCUMENT}));
    const struct { WORD id; std::vector<int> depths; } groups[] = {
        {IDI_APP, {4, 8}}, {IDI_APP_SMALL, {8}}, {IDI_DOCUMENT, {8}}};
    for (const auto& group : groups) {
        SCOPED_TRACE(group.id);
        const BYTE* bytes = resource_bytes(kIconGroup, group.id);  // 6-byte header, 14-byte entries
        ASSERT_NE(bytes, nullptr);
        std::vector<int> depths;
        for (const BYTE* entry = bytes + 6; entry < bytes + 6 + 14 * bytes[4]; entry += 14) {
            EXPECT_EQ(entry[0], 32);  // width
            EXPECT_EQ(entry[1], 32);  // height
            depths.push_back(entry[6] | entry[7] << 8);
        }
        EXPECT_EQ(depths, group.depths);
    }
}

TEST(Resources, AboutPictureIs360By260With256Colours) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(resource_bytes(kBitmap, IDB_ABOUT));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 360);
    EXPECT_EQ(std::abs(header->biHeight), 260);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 256);
}

TEST(Resources, ManifestAsksForCommonControlsSix) {
    DWORD size = 0;
    const BYTE* bytes = resource_bytes(kManifest, 1, &size);
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(reinterpret_cast<const char*>(bytes), size);
    for (const char* part : {"version=\"0.1.9.0\"", "processorArchitecture=\"X86\"", "type=\"win32\"",
                             "<description>Glyphora</description>", "name=\"Microsoft.Windows.Common-Controls\"",
                             "version=\"6.0.0.0\"", "language=\"*\"", "publicKeyToken=\"6595b64144ccf1df\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}
