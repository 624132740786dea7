#pragma once
// A Viewer set up as the program sets it up, with files written on demand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "render/viewer.h"

class ViewFixture : public ::testing::Test {
public:
    void SetUp() override { viewer.init(); }
    void TearDown() override {
        for (const std::string& name : written) std::remove(name.c_str());
    }

    // Writes `bytes` to a fresh file and returns its path in a buffer that
    // lives as long as the test (the Document keeps the caller's path).
    char* write_file(const std::string& bytes) {
        const std::string name = ::testing::TempDir() + "glyphora_view_" +
                                 std::to_string(::getpid()) + "_" +
                                 std::to_string(paths.size()) + ".txt";
        std::FILE* f = std::fopen(name.c_str(), "wb");
        EXPECT_NE(f, nullptr) << name;
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        written.push_back(name);
        return keep_path(name);
    }

    char* keep_path(const std::string& name) {
        paths.push_back(std::make_unique<std::vector<char>>(name.begin(), name.end()));
        paths.back()->push_back('\0');
        return paths.back()->data();
    }

    char* missing_file() { return keep_path(::testing::TempDir() + "glyphora_no_such_file.ans"); }

    // Opens a text of `rows` line ends whose widest line is `cols` wide.
    void open_text(uint32_t rows, uint32_t cols) {
        std::string text;
        for (uint32_t r = 0; r < rows; ++r) text += std::string(cols ? cols - 1 : 0, 'x') + "\n";
        if (rows == 0) text = std::string(cols ? cols - 1 : 0, 'x');
        ASSERT_EQ(viewer.open(write_file(text)), 1);
        ASSERT_EQ(viewer.doc_rows, rows);
        ASSERT_EQ(viewer.doc_cols, cols);
    }

    Viewer viewer;
    std::vector<std::unique_ptr<std::vector<char>>> paths;
    std::vector<std::string> written;
};
