// The settings key and the file associations against Wine's real registry.
#include "registry_expectations.h"
#include "shell/registry.h"
#include "window_test_support.h"

using registry_expectations::kSettingsKey;

TEST(RegistryUnderWine, FirstStartCreatesAnEmptySettingsKeyAndTheNextDoesNot) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(open_settings_key(), 1);
    DWORD subkeys = 1, values = 1;
    EXPECT_EQ(RegQueryInfoKeyA(settings_key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(subkeys + values, 0u);
    EXPECT_EQ(open_settings_key(), 0);
}

TEST(RegistryUnderWine, AssociationsNameThisProgram) {
    open_settings_key();
    char own_path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own_path, MAX_PATH);
    for (const auto& association : registry_expectations::associations_for(own_path)) {
        SCOPED_TRACE(association.key);
        char value[512] = {};
        DWORD size = sizeof(value);  // only a REG_SZ value is read
        EXPECT_EQ(RegGetValueA(HKEY_CLASSES_ROOT, association.key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                               &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(value), association.value);
        EXPECT_EQ(size, association.count + 1);
    }
}
