// Switching between the file's own lines and the wrapped copy, and opening
// files into the view, including the buffers the view may and may not read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/native/view_fixture.h"
#include "tests/native/view_shapes.h"

namespace {

using view_shapes::span;

std::vector<uint8_t> frame_copy(const Viewer& v) {
    return std::vector<uint8_t>(v.frame.get(), v.frame.get() + v.frame_width * v.frame_height);
}

bool frame_is_blank(const Viewer& v) {
    for (uint32_t i = 0; i < v.frame_width * v.frame_height; ++i)
        if (v.frame[i] != v.bg_index) return false;
    return true;
}

class ViewOpen : public ViewFixture {};

TEST_F(ViewOpen, StartsEmptyAt84By30) {
    EXPECT_EQ(viewer.view_cols, 84u);
    EXPECT_EQ(viewer.view_rows, 30u);
    EXPECT_EQ(viewer.doc_rows, 0u);
    EXPECT_EQ(viewer.doc_cols, 0u);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..0");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..0");
}

struct OpenCase {
    const char* name;
    const char* bytes;
    size_t size;
    uint32_t doc_rows, doc_cols;
    const char* rows;
    const char* cols;
};

const OpenCase kOpenCases[] = {
    // The row after the last line end is shown, even with nothing after it.
    {"a last line without a line end", "a\nb", 3, 1, 2, "0..1", "0..1"},
    {"a text ending in a line end", "a\nb\n", 4, 2, 2, "0..2", "0..1"},
    {"an empty file", "", 0, 0, 1, "0..0", "0..0"},
    {"CR LF line ends", "ab\r\ncd\r\n", 8, 2, 3, "0..2", "0..2"},
    {"one line wider than the view", "0123456789012345678901234567890123456789"
                                     "0123456789012345678901234567890123456789"
                                     "0123456789", 90, 0, 91, "0..0", "0..83"},
    {"an ANSI file", "\x1b[31mred\x1b[0m\n", 13, 1, 4, "0..1", "0..3"},
};

TEST_F(ViewOpen, ShowsTheTextFromItsFirstRowAndColumn) {
    for (const OpenCase& c : kOpenCases) {
        SCOPED_TRACE(c.name);
        // Scrolled and wrapped before, to see the open reset both.
        open_text(100, 200);
        viewer.scroll_vertical(3, 40);
        viewer.scroll_horizontal(3, 40);
        viewer.set_wrap(1);
        ASSERT_EQ(viewer.open(write_file(std::string(c.bytes, c.size))), 1);
        EXPECT_EQ(viewer.document->wrap_enabled, 0);
        EXPECT_EQ(viewer.cur_text, viewer.document->text);
        EXPECT_EQ(viewer.cur_length, viewer.document->text_length);
        EXPECT_EQ(viewer.doc_rows, c.doc_rows);
        EXPECT_EQ(viewer.doc_cols, c.doc_cols);
        EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), c.rows);
        EXPECT_EQ(span(viewer.left_col, viewer.right_col), c.cols);
        EXPECT_EQ(view_shapes::fault(viewer), "");
    }
}

TEST_F(ViewOpen, FailedOpenLeavesTheViewAsItWas) {
    for (const int wrapped : {0, 1}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "unwrapped");
        viewer.init();
        std::string text;
        for (int i = 0; i < 60; ++i) text += std::string(150, char('a' + i % 26)) + "\r\n";
        ASSERT_EQ(viewer.open(write_file(text)), 1);
        viewer.set_wrap(wrapped);
        viewer.scroll_vertical(3, 7);
        viewer.scroll_horizontal(2, 1);
        viewer.compose();
        const std::vector<uint8_t> before = frame_copy(viewer);
        const std::vector<uint32_t> ranges = {viewer.top_row, viewer.bottom_row, viewer.left_col,
                                              viewer.right_col, viewer.doc_rows, viewer.doc_cols,
                                              viewer.cur_length};
        const std::vector<uint8_t> shown(viewer.cur_text, viewer.cur_text + viewer.cur_length);

        for (char* path : {missing_file(), keep_path("")}) {
            EXPECT_EQ(viewer.open(path), 0);
            EXPECT_EQ(viewer.document->wrap_enabled, wrapped);
            EXPECT_EQ((std::vector<uint32_t>{viewer.top_row, viewer.bottom_row, viewer.left_col,
                                             viewer.right_col, viewer.doc_rows, viewer.doc_cols,
                                             viewer.cur_length}),
                      ranges);
            // The view follows the copy the re-wrap made; under AddressSanitizer
            // reading the replaced one would be a use after free.
            EXPECT_EQ(viewer.cur_text,
                      wrapped ? viewer.document->wrapped_text : viewer.document->text);
            ASSERT_EQ(std::vector<uint8_t>(viewer.cur_text, viewer.cur_text + viewer.cur_length),
                      shown);
            viewer.compose();
            EXPECT_EQ(frame_copy(viewer), before);
        }
    }
}

TEST_F(ViewOpen, FailedOpenOfAnAnsiFileWhileWrappedFollowsTheNewAttributes) {
    std::string art = "\x1b[1;33;44m";
    for (int i = 0; i < 5; ++i) art += std::string(120, '\xdb') + "\x1b[32m\n";
    ASSERT_EQ(viewer.open(write_file(art)), 1);
    viewer.set_wrap(1);
    viewer.compose();
    const std::vector<uint8_t> before = frame_copy(viewer);
    EXPECT_EQ(viewer.open(missing_file()), 0);
    EXPECT_EQ(viewer.cur_attrs, viewer.document->wrapped_attrs);
    viewer.compose();
    EXPECT_EQ(frame_copy(viewer), before);
}

class ViewWrap : public ViewFixture {};

TEST_F(ViewWrap, SwitchesTextAndStartsAtTheFirstCell) {
    std::string text(160, 'w');  // wraps into two rows of 80
    text += "\nshort\n";
    ASSERT_EQ(viewer.open(write_file(text)), 1);
    viewer.scroll_horizontal(3, 50);
    ASSERT_EQ(span(viewer.left_col, viewer.right_col), "50..133");

    viewer.set_wrap(1);
    EXPECT_EQ(viewer.document->wrap_enabled, 1);
    EXPECT_EQ(viewer.cur_text, viewer.document->wrapped_text);
    EXPECT_EQ(viewer.cur_length, viewer.document->wrapped_length);
    EXPECT_EQ(viewer.doc_rows, 3u);
    EXPECT_EQ(viewer.doc_cols, 81u);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..3");
    // A text switch shows one column less than a resize when the text fits.
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..80");

    viewer.set_wrap(0);
    EXPECT_EQ(viewer.document->wrap_enabled, 0);
    EXPECT_EQ(viewer.cur_text, viewer.document->text);
    EXPECT_EQ(viewer.doc_rows, 2u);
    EXPECT_EQ(viewer.doc_cols, 161u);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..2");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..83");
}

TEST_F(ViewWrap, BeforeAnyFileShowsNothingSafely) {
    viewer.set_wrap(1);
    EXPECT_EQ(view_shapes::fault(viewer), "");
    EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    EXPECT_TRUE(frame_is_blank(viewer));
    for (uint32_t code : {1u, 2u, 3u}) {
        viewer.scroll_vertical(code, 5);
        viewer.scroll_horizontal(code, 5);
        EXPECT_EQ(view_shapes::fault(viewer), "");
    }
    viewer.resize(100, 40);
    EXPECT_EQ(view_shapes::fault(viewer), "");
    viewer.set_wrap(0);
    EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    EXPECT_TRUE(frame_is_blank(viewer));
}

TEST_F(ViewWrap, AfterAFailedFirstOpenShowsTheInitialText) {
    EXPECT_EQ(viewer.open(missing_file()), 0);
    viewer.set_wrap(1);
    EXPECT_EQ(viewer.cur_length, viewer.document->wrapped_length);
    EXPECT_EQ(view_shapes::fault(viewer), "");
    EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    EXPECT_TRUE(frame_is_blank(viewer));  // the initial text is one blank byte
}

}  // namespace
