// The settings key, the first-run test and the file associations, against the
// virtual registry; and the virtual registry and module path themselves.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/module_path.h"
#include "platform/virtual_registry.h"
#include "shell/registry.h"
#include "tests/registry_expectations.h"

namespace {

using registry_expectations::Association;
using registry_expectations::associations_for;
using registry_expectations::kSettingsKey;
using virtual_registry::Call;
using virtual_registry::Operation;

class CleanRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        virtual_registry::reset();
        settings_key = nullptr;
    }
    void TearDown() override {
        set_module_path_for_tests(nullptr);
        virtual_registry::reset();
    }
};

// Each association's key holds exactly its value and NUL, and was written with
// exactly its count (the last write of that key counts).
void expect_associations(const std::string& module_path) {
    for (const Association& expected : associations_for(module_path)) {
        SCOPED_TRACE(expected.key);
        const virtual_registry::StoredValue stored =
            virtual_registry::default_value(HKEY_CLASSES_ROOT, expected.key);
        ASSERT_TRUE(stored.present);
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored.bytes, expected.value + '\0');

        const Call* last_write = nullptr;
        for (const Call& call : virtual_registry::calls())
            if (call.operation == Operation::set_value && call.sub_key == expected.key)
                last_write = &call;
        ASSERT_NE(last_write, nullptr);
        EXPECT_EQ(last_write->count, expected.count);
        EXPECT_EQ(last_write->data, expected.value);
    }
}

using FileTypeRegistration = CleanRegistry;

TEST_F(FileTypeRegistration, FirstStartCreatesTheSettingsKeyAndLaterStartsDoNot) {
    set_module_path_for_tests("C:\\Glyphora\\glyphora.exe");
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CURRENT_USER, kSettingsKey));

    EXPECT_EQ(open_settings_key(), 1);
    EXPECT_TRUE(virtual_registry::key_exists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(virtual_registry::key_path(settings_key),
              "HKEY_CURRENT_USER\\Software\\Kolt\\Glyphora");
    EXPECT_FALSE(virtual_registry::default_value(HKEY_CURRENT_USER, kSettingsKey).present);

    EXPECT_EQ(open_settings_key(), 0);
    EXPECT_EQ(open_settings_key(), 0);
    EXPECT_EQ(virtual_registry::key_path(settings_key),
              "HKEY_CURRENT_USER\\Software\\Kolt\\Glyphora");
}

TEST_F(FileTypeRegistration, KeyLeftByAnEarlierStartInOtherCaseIsNotAFirstRun) {
    HKEY key = nullptr;
    char key_class[1] = "";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\kolt\\GLYPHORA", 0, key_class, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(open_settings_key(), 0);
}

struct PathCase {
    const char* name;
    std::string path;
};

class FileTypeValues : public CleanRegistry, public ::testing::WithParamInterface<PathCase> {};

TEST_P(FileTypeValues, EveryStartWritesTheFiveValuesWhole) {
    const std::string& path = GetParam().path;
    set_module_path_for_tests(path.c_str());

    open_settings_key();
    expect_associations(path);

    virtual_registry::reset();
    open_settings_key();
    open_settings_key();
    expect_associations(path);
}

INSTANTIATE_TEST_SUITE_P(
    ModulePaths, FileTypeValues,
    ::testing::Values(PathCase{"Plain", "C:\\Glyphora\\glyphora.exe"},
                      PathCase{"WithSpaces", "D:\\Art Tools\\viewer.exe"},
                      PathCase{"Longest", registry_expectations::longest_module_path()},
                      PathCase{"Empty", ""}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST_F(FileTypeRegistration, LongestPathGivesValuesLongerThanTheOldFixedBuffer) {
    const std::string path = registry_expectations::longest_module_path();
    ASSERT_EQ(path.size(), 259u);
    set_module_path_for_tests(path.c_str());
    register_file_types();
    EXPECT_EQ(virtual_registry::default_value(HKEY_CLASSES_ROOT, "Glyphora.Viewer\\DefaultIcon")
                  .bytes.size(),
              259u + 2 + 1);
    EXPECT_EQ(virtual_registry::default_value(HKEY_CLASSES_ROOT,
                                              "Glyphora.Viewer\\shell\\open\\command")
                  .bytes.size(),
              259u + 7 + 1);
}

TEST_F(FileTypeRegistration, PathTooLongForTheBufferIsCutToWhatTheBufferHolds) {
    const std::string longest = registry_expectations::longest_module_path();
    set_module_path_for_tests((longest + "\\more.exe").c_str());
    register_file_types();
    expect_associations(longest);
}

TEST_F(FileTypeRegistration, MovedProgramMovesTheAssociations) {
    set_module_path_for_tests("C:\\Old Place\\glyphora.exe");
    open_settings_key();
    set_module_path_for_tests("E:\\New\\glyphora.exe");
    open_settings_key();
    expect_associations("E:\\New\\glyphora.exe");
}

TEST_F(FileTypeRegistration, RunningProgramsOwnPathIsRegistered) {
    char own[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(own), length);
    EXPECT_EQ(own[0], '/');
    EXPECT_TRUE(std::ifstream(own, std::ios::binary).good());
    register_file_types();
    expect_associations(own);
}

TEST_F(FileTypeRegistration, CallsComeInOrderEachKeyCreatedBeforeItIsWritten) {
    const std::string path = "D:\\Art Tools\\viewer.exe";
    set_module_path_for_tests(path.c_str());
    open_settings_key();

    const std::vector<Call>& calls = virtual_registry::calls();
    const std::vector<Association> expected = associations_for(path);
    ASSERT_EQ(calls.size(), 1 + 2 * expected.size());

    EXPECT_EQ(calls[0].operation, Operation::create_key);
    EXPECT_EQ(calls[0].key, HKEY_CURRENT_USER);
    EXPECT_EQ(calls[0].sub_key, kSettingsKey);
    EXPECT_EQ(calls[0].key_class, "");
    EXPECT_EQ(calls[0].options, static_cast<DWORD>(REG_OPTION_NON_VOLATILE));
    EXPECT_EQ(calls[0].access, static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_EQ(calls[0].disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));

    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        const Call& create = calls[1 + 2 * i];
        const Call& write = calls[2 + 2 * i];
        EXPECT_EQ(create.operation, Operation::create_key);
        EXPECT_EQ(create.key, HKEY_CLASSES_ROOT);
        EXPECT_EQ(create.sub_key, expected[i].key);
        EXPECT_EQ(create.key_class, "");
        EXPECT_EQ(create.options, static_cast<DWORD>(REG_OPTION_NON_VOLATILE));
        EXPECT_EQ(create.access, static_cast<REGSAM>(KEY_ALL_ACCESS));
        EXPECT_EQ(create.result, ERROR_SUCCESS);
        // The write names the key again from the root, not through the new handle.
        EXPECT_EQ(write.operation, Operation::set_value);
        EXPECT_EQ(write.key, HKEY_CLASSES_ROOT);
        EXPECT_EQ(write.sub_key, expected[i].key);
        EXPECT_EQ(write.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(write.count, expected[i].count);
        EXPECT_EQ(write.result, ERROR_SUCCESS);
    }
}

TEST_F(FileTypeRegistration, SettingsKeyThatCannotBeCreatedIsNoFirstRunAndTypesAreStillWritten) {
    set_module_path_for_tests("C:\\Glyphora\\glyphora.exe");
    virtual_registry::deny(HKEY_CURRENT_USER, "Software\\Kolt");

    EXPECT_EQ(open_settings_key(), 0);
    EXPECT_EQ(settings_key, nullptr);
    EXPECT_EQ(open_settings_key(), 0);
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CURRENT_USER, kSettingsKey));
    expect_associations("C:\\Glyphora\\glyphora.exe");
}

TEST_F(FileTypeRegistration, AssociationsThatCannotBeWrittenDoNotStopTheStart) {
    set_module_path_for_tests("C:\\Glyphora\\glyphora.exe");
    virtual_registry::deny(HKEY_CLASSES_ROOT, "");

    EXPECT_EQ(open_settings_key(), 1);
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CLASSES_ROOT, ".asc"));
    // All ten association calls were still attempted.
    EXPECT_EQ(virtual_registry::calls().size(), 11u);
    EXPECT_EQ(open_settings_key(), 0);
}

// The virtual registry itself: what the native build relies on.
using VirtualRegistry = CleanRegistry;

TEST_F(VirtualRegistry, CreateReportsCreatedThenOpenedAndMakesIntermediateKeys) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char key_class[1] = "";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B\\C", 0, key_class, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(virtual_registry::key_exists(HKEY_CURRENT_USER, "A"));
    EXPECT_TRUE(virtual_registry::key_exists(HKEY_CURRENT_USER, "a\\b"));
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CLASSES_ROOT, "A"));

    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\b\\c", 0, key_class, 0, KEY_ALL_ACCESS,
                              nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(virtual_registry::key_path(again), "HKEY_CURRENT_USER\\A\\B\\C");

    // An existing parent with a new child is a created key.
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\D", 0, key_class, 0, KEY_ALL_ACCESS, nullptr,
                              &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
}

TEST_F(VirtualRegistry, SetValueStoresExactlyTheCountedBytesAndANul) {
    struct Case {
        const char* data;
        DWORD count;
        std::string stored;
    };
    const Case cases[] = {
        {"Glyphora.Viewer", 15, std::string("Glyphora.Viewer") + '\0'},
        {"Glyphora.Viewer", 8, std::string("Glyphora") + '\0'},
        {"", 0, std::string(1, '\0')},
        {"a\0b", 3, std::string("a\0b\0", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Some\\Key", REG_SZ, c.data, c.count),
                  ERROR_SUCCESS);
        const virtual_registry::StoredValue stored =
            virtual_registry::default_value(HKEY_CLASSES_ROOT, "some\\KEY");
        ASSERT_TRUE(stored.present);
        EXPECT_EQ(stored.bytes, c.stored);
    }
}

TEST_F(VirtualRegistry, SetValueWorksThroughACreatedHandleAndOnTheKeyItself) {
    HKEY key = nullptr;
    char key_class[1] = "";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Glyphora.Viewer", 0, key_class, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(key, "shell\\open", REG_SZ, "x", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(key, nullptr, REG_SZ, "y", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(key, "", REG_SZ, "z", 1), ERROR_SUCCESS);
    EXPECT_EQ(virtual_registry::default_value(HKEY_CLASSES_ROOT, "Glyphora.Viewer\\shell\\open")
                  .bytes,
              std::string("x") + '\0');
    EXPECT_EQ(virtual_registry::default_value(HKEY_CLASSES_ROOT, "Glyphora.Viewer").bytes,
              std::string("z") + '\0');
    EXPECT_FALSE(virtual_registry::default_value(HKEY_CLASSES_ROOT, "Glyphora.Viewer\\shell")
                     .present);
}

TEST_F(VirtualRegistry, RefusesWhatWindowsRefuses) {
    HKEY key = reinterpret_cast<HKEY>(1);
    char key_class[1] = "";
    EXPECT_NE(RegCreateKeyExA(reinterpret_cast<HKEY>(0x1234567), "A", 0, key_class, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "\\A", 0, key_class, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_NE(RegSetValueA(HKEY_CURRENT_USER, "A", 4 /* REG_DWORD */, "x", 1), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueA(HKEY_CURRENT_USER, "A", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CURRENT_USER, "A"));

    virtual_registry::deny(HKEY_CURRENT_USER, "Locked");
    EXPECT_NE(RegSetValueA(HKEY_CURRENT_USER, "locked\\Below", REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Lockedness", REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_FALSE(virtual_registry::key_exists(HKEY_CURRENT_USER, "Locked"));
}

using NativeModulePath = CleanRegistry;

TEST_F(NativeModulePath, CutsAPathTooLongForTheBufferAndSaysSo) {
    set_module_path_for_tests("C:\\abc.exe");
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
    EXPECT_STREQ(buffer, "C:\\a");
    EXPECT_EQ(buffer[5], '#');

    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 8), 8u);
    EXPECT_STREQ(buffer, "C:\\abc.");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);

    char whole[16];
    EXPECT_EQ(GetModuleFileNameA(nullptr, whole, sizeof whole), 10u);
    EXPECT_STREQ(whole, "C:\\abc.exe");
}

}  // namespace
