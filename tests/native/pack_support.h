#pragma once
// What the pack tests share: the test packs, made once a test program by the
// same maker the page's tests use, and removed when it ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shot_support.h"

namespace pack_support {

class MadePacks {
public:
    MadePacks() : folder(::testing::TempDir() + "glyphora_packs_" + std::to_string(getpid())) {
        const std::string maker = std::string(GLYPHORA_SOURCE_DIR) + "/tests/packs/make_packs.py";
        const std::string command = "python3 " + shot_support::shell_quoted(maker) + " " +
                                    shot_support::shell_quoted(folder);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
    ~MadePacks() { std::filesystem::remove_all(folder); }
    const std::string folder;
};

// The folder of the test packs: PACK.zip and PACK.expected for each.
inline const std::string& test_packs() {
    static const MadePacks made;
    return made.folder;
}

// Folders made by a test, removed with all they hold when it ends.
class TempFolders {
public:
    explicit TempFolders(shot_support::TempFiles& files) : files_(files) {}
    ~TempFolders() {
        for (const std::string& folder : made_) std::filesystem::remove_all(folder);
    }
    std::string make() { return made_.emplace_back(files_.folder()); }

private:
    shot_support::TempFiles& files_;
    std::vector<std::string> made_;
};

// A program built beside this test binary.
inline std::string built_program(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

}  // namespace pack_support
