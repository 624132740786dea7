// The resources linked into the program, read back through the loader (the
// menus are read back from the window under each locale).
#include "window_test_support.h"

namespace {

constexpr WORD kBitmap = 2, kDialog = 5, kIconGroup = 14;

const BYTE* resource_bytes(WORD type, WORD id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (found == nullptr) return nullptr;
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
}

BOOL CALLBACK collect_id(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    reinterpret_cast<std::vector<uintptr_t>*>(ids)->push_back(reinterpret_cast<uintptr_t>(name));
    return TRUE;
}

}  // namespace

TEST(Resources, AboutTemplateIsClassicWithThreeControlsAndItsPicture360By260With256Colours) {
    const auto* words = reinterpret_cast<const WORD*>(resource_bytes(kDialog, IDD_ABOUT));
    ASSERT_NE(words, nullptr);
    // Its style first (not 0xFFFF 0x0001): popup, centred, with a font; no extended
    // style; 3 controls at 0,0 in 240 x 193 units; no menu, standard class, no title.
    EXPECT_EQ(std::vector<WORD>(words, words + 13),
              std::vector<WORD>({0x0840, 0x8000, 0, 0, 3, 0, 0, 240, 193, 0, 0, 0, 8}));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(words + 13)), L"MS Sans Serif");
    const auto* picture = reinterpret_cast<const BITMAPINFOHEADER*>(resource_bytes(kBitmap, IDB_ABOUT));
    ASSERT_NE(picture, nullptr);  // 360 x 260, 256 colours
    EXPECT_EQ(std::make_pair(picture->biWidth, std::abs(picture->biHeight)), std::make_pair(360L, 260L));
    EXPECT_EQ(picture->biBitCount, 8);
    EXPECT_TRUE(picture->biClrUsed == 0 || picture->biClrUsed == 256);
}

// The third group is the documents' icon (",2" in the associations).
TEST(Resources, OnlyThreeIconGroupsInOrderOf32By32Icons) {
    std::vector<uintptr_t> ids;
    EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(kIconGroup), collect_id, reinterpret_cast<LONG_PTR>(&ids));
    EXPECT_EQ(ids, std::vector<uintptr_t>({IDI_APP, IDI_APP_SMALL, IDI_DOCUMENT}));
    const std::vector<int> depths[] = {{4, 8}, {8}, {8}};
    for (int group = 0; group < 3; ++group) {
        const BYTE* bytes = resource_bytes(kIconGroup, static_cast<WORD>(ids.at(group)));
        ASSERT_NE(bytes, nullptr);
        std::vector<int> seen;  // a 6-byte header, then 14-byte entries
        for (const BYTE* entry = bytes + 6; entry < bytes + 6 + 14 * bytes[4]; entry += 14)
            seen.push_back(entry[0] == 32 && entry[1] == 32 ? entry[6] | entry[7] << 8 : -1);
        EXPECT_EQ(seen, depths[group]) << "group " << group << ": bits per pixel, -1 where not 32 x 32";
    }
}
