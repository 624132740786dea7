#pragma once
// A Viewer set up as the program sets it up, with files written on demand and
// scripts of requests checked as they run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <list>
#include <sstream>

#include "platform/virtual_window.h"
#include "tests/native/view_shapes.h"

using view_shapes::span;

class ViewFixture : public ::testing::Test {
public:
    void SetUp() override { viewer.init(); }
    void TearDown() override { for (const std::string& path : paths) std::remove(path.c_str()); }
    // The Document keeps the caller's path, so each lives as long as the test.
    char* keep_path(const std::string& path) { return &paths.emplace_back(path)[0]; }
    char* missing_file() { return keep_path(::testing::TempDir() + "glyphora_no_such_file.ans"); }
    char* write_file(const std::string& bytes) {
        char* path = keep_path(::testing::TempDir() + "glyphora_view_" + std::to_string(getpid()) + "_" +
                               std::to_string(paths.size()));
        std::FILE* f = std::fopen(path, "wb");
        EXPECT_TRUE(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && !std::fclose(f)) << path;
        return path;
    }
    HWND attach() {
        HWND window = create_virtual_window();
        viewer.attach(GetDC(window), window);
        viewer.update_vscroll();
        viewer.update_hscroll();
        return window;
    }
    // O<rows>x<cols> opens a text of that many line ends and that widest line,
    // M fails to open, R<cols>x<rows> resizes, W<flag> wraps, V/H<code>:<amount>
    // scroll, =<rows>,<cols> or r<rows> or c<cols> check the ranges. After each,
    // the shapes hold and a scroll or resize has recomposed the frame.
    void run(const std::string& script) {
        std::istringstream in(script);
        for (std::string op; in >> op && !HasFatalFailure();) {
            SCOPED_TRACE(op);
            uint32_t a = 0, b = 0;
            std::sscanf(op.c_str() + 1, "%u%*[x:]%u", &a, &b);
            const std::string rows = span(viewer.top_row, viewer.bottom_row), cols = span(viewer.left_col, viewer.right_col);
            if (view_shapes::used(viewer)) viewer.frame[0] = view_shapes::kMarker;
            std::string text;
            for (uint32_t r = 0; op[0] == 'O' && r < std::max(a, 1u); ++r) text += std::string(b - 1, 'x') + (a ? "\n" : "");
            switch (op[0]) {
                case 'O': ASSERT_EQ(viewer.open(write_file(text)), 1); break;
                case 'M': EXPECT_EQ(viewer.open(missing_file()), 0); break;
                case 'R': viewer.resize(a, b); break;
                case 'W': viewer.set_wrap(int(a)); break;
                case 'V': viewer.scroll_vertical(a, b); break;
                case 'H': viewer.scroll_horizontal(a, b); break;
                default: EXPECT_EQ(op[0] == 'r' ? rows : op[0] == 'c' ? cols : rows + "," + cols, op.substr(1));
            }
            EXPECT_TRUE(op[0] != 'O' || span(viewer.doc_rows, viewer.doc_cols) == span(a, b)) << "doc size";
            EXPECT_EQ(view_shapes::fault(viewer), "");
            EXPECT_FALSE(std::strchr("RVH", op[0]) && view_shapes::used(viewer) && viewer.frame[0] == view_shapes::kMarker)
                << "not composed";
        }
    }

    Viewer viewer;
    std::list<std::string> paths;
};
