// The settings key and the file associations against Wine's real registry.
#include "registry_expectations.h"
#include "shell/registry.h"
#include "window_test_support.h"

using registry_expectations::kSettingsKey;

TEST(RegistryUnderWine, FirstStartCreatesTheSettingsKeyAndTheNextDoesNot) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    HKEY key = nullptr;
    ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(open_settings_key(), 1);
    EXPECT_NE(settings_key, nullptr);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(open_settings_key(), 0);
}

TEST(RegistryUnderWine, AssociationsNameThisProgram) {
    open_settings_key();
    char own_path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own_path, MAX_PATH);
    for (const auto& association : registry_expectations::associations_for(own_path)) {
        SCOPED_TRACE(association.key);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, association.key.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        char value[512] = {};
        DWORD type = 0, size = sizeof(value);
        EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(value), association.value);
        EXPECT_EQ(size, association.count + 1);
    }
}
