// The settings key, the first-run test and the file associations, against the virtual registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/module_path.h"
#include "platform/virtual_registry.h"
#include "shell/registry.h"
#include "tests/registry_expectations.h"

namespace {

using registry_expectations::associations_for;
using virtual_registry::Call, virtual_registry::Operation;

struct FileTypeRegistration : ::testing::Test {
    void SetUp() override { virtual_registry::reset(), settings_key = nullptr; }
    void TearDown() override { set_module_path_for_tests(nullptr), virtual_registry::reset(); }
};

// Each key holds exactly its value and NUL, last written with exactly its count.
void expect_associations(const std::string& module_path) {
    for (const auto& expected : associations_for(module_path)) {
        SCOPED_TRACE(expected.key);
        const auto stored = virtual_registry::default_value(HKEY_CLASSES_ROOT, expected.key);
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored.bytes, expected.value + '\0');
        const Call* last = nullptr;
        for (const Call& call : virtual_registry::calls())
            if (call.operation == Operation::set_value && call.sub_key == expected.key) last = &call;
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->count, expected.count);
    }
}

TEST_F(FileTypeRegistration, EachStartRewritesTheFiveValuesForTheProgramsPath) {
    const std::string longest = registry_expectations::longest_module_path();
    ASSERT_EQ(longest.size(), 259u);
    const struct { std::string path, registered; } cases[] = {
        {"C:\\Glyphora\\glyphora.exe", "C:\\Glyphora\\glyphora.exe"},
        {"D:\\Art Tools\\viewer.exe", "D:\\Art Tools\\viewer.exe"},
        {longest, longest}, {"", ""},
        {longest + "\\more.exe", longest},  // cut to what the path buffer holds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        virtual_registry::reset();
        set_module_path_for_tests("C:\\Old Place\\glyphora.exe");
        EXPECT_EQ(open_settings_key(), 1);  // the first start creates the settings key
        set_module_path_for_tests(c.path.c_str());  // the program was moved
        EXPECT_EQ(open_settings_key(), 0);
        expect_associations(c.registered);
    }
}

TEST_F(FileTypeRegistration, EachKeyIsCreatedThenWrittenNamedFromTheRootInOrder) {
    open_settings_key();
    std::vector<std::string> expected = {"create HKCU\\Software\\Kolt\\Glyphora"}, actual;
    for (const auto& a : associations_for(""))
        expected.insert(expected.end(), {"create HKCR\\" + a.key, "write HKCR\\" + a.key});
    for (const Call& c : virtual_registry::calls()) {
        const bool create = c.operation == Operation::create_key;
        const char* root = c.key == HKEY_CLASSES_ROOT ? "HKCR\\" : c.key == HKEY_CURRENT_USER ? "HKCU\\" : "?\\";
        actual.push_back((create ? "create " : "write ") + (root + c.sub_key));
        EXPECT_TRUE(!create || (c.key_class.empty() && c.options == REG_OPTION_NON_VOLATILE &&
                                c.access == KEY_ALL_ACCESS));
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(FileTypeRegistration, SettingsKeyThatCannotBeCreatedIsNoFirstRunButTypesAreWritten) {
    char own[MAX_PATH] = "";  // the running program's real path
    ASSERT_GT(GetModuleFileNameA(nullptr, own, MAX_PATH), 0u);
    EXPECT_EQ(own[0], '/');
    virtual_registry::deny(HKEY_CURRENT_USER, "Software\\Kolt");
    EXPECT_EQ(open_settings_key(), 0);
    EXPECT_EQ(settings_key, nullptr);
    expect_associations(own);
}

TEST_F(FileTypeRegistration, FirstStartIsReportedAndTheKeyKeptWhenAssociationsCannotBeWritten) {
    virtual_registry::deny(HKEY_CLASSES_ROOT, "");
    EXPECT_EQ(open_settings_key(), 1);
    EXPECT_EQ(virtual_registry::key_path(settings_key), "HKEY_CURRENT_USER\\Software\\Kolt\\Glyphora");
    EXPECT_FALSE(virtual_registry::default_value(HKEY_CURRENT_USER, registry_expectations::kSettingsKey).present);
    EXPECT_EQ(virtual_registry::calls().size(), 11u);  // every write still tried
    EXPECT_EQ(open_settings_key(), 0);
}

}  // namespace
