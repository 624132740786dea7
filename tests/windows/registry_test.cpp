// The settings key and the file associations against Wine's real registry.
#include <string>

#include "registry_expectations.h"
#include "shell/registry.h"
#include "window_test_support.h"

namespace {

void remove_settings_key() {
    RegDeleteKeyA(HKEY_CURRENT_USER, registry_expectations::kSettingsKey);
    HKEY probe = nullptr;
    ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, registry_expectations::kSettingsKey, 0, KEY_READ, &probe),
              ERROR_SUCCESS);
}

std::string own_path() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

TEST(RegistryUnderWine, FirstStartCreatesTheSettingsKeyAndTheNextDoesNot) {
    remove_settings_key();
    EXPECT_EQ(open_settings_key(), 1);
    EXPECT_NE(settings_key, nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, registry_expectations::kSettingsKey, 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, 0u);
    RegCloseKey(key);
    EXPECT_EQ(open_settings_key(), 0);
}

TEST(RegistryUnderWine, AssociationsNameThisProgram) {
    open_settings_key();
    for (const auto& association : registry_expectations::associations_for(own_path())) {
        SCOPED_TRACE(association.key);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, association.key.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        char value[512] = {};
        DWORD type = 0;
        DWORD size = sizeof(value);
        ASSERT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(value), association.value);
        EXPECT_EQ(size, association.count + 1);
    }
}
