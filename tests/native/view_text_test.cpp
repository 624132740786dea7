// Opening files into the view and switching between the file's own lines and
// the wrapped copy, including the buffers the view may and may not read.
#include <algorithm>

#include "tests/native/view_fixture.h"

class ViewText : public ViewFixture {
public:
    std::vector<uint8_t> frame() {
        viewer.compose();
        return {viewer.frame.get(), viewer.frame.get() + view_shapes::used(viewer)};
    }
    std::string shown() {
        return span(viewer.doc_rows, viewer.doc_cols) + " " + std::to_string(viewer.cur_length) + " " +
               span(viewer.top_row, viewer.left_col);
    }
};

TEST_F(ViewText, OpenShowsTheNewTextUnwrappedFromItsFirstCell) {
    // The row after the last line end is shown, even with nothing after it.
    for (const auto& c : {std::make_pair("a\nb", "1..2 3 0..0 =0..1,0..1"), std::make_pair("", "0..1 0 0..0 =0..0,0..0")}) {
        run("O100x200 V3:40 H3:40 W1");
        ASSERT_EQ(viewer.open(write_file(c.first)), 1);
        EXPECT_TRUE(viewer.document->wrap_enabled == 0 && viewer.cur_text == viewer.document->text);
        const std::string want = c.second;
        EXPECT_EQ(shown(), want.substr(0, want.find('=') - 1));
        run(want.substr(want.find('=')));
    }
}

TEST_F(ViewText, FailedOpenLeavesTheViewAsItWas) {
    std::string art = "\x1b[1;33;44m";
    for (int i = 0; i < 60; ++i) art += std::string(150, char('a' + i % 26)) + "\x1b[3" + char('0' + i % 8) + "m\r\n";
    for (const int wrapped : {0, 1}) {
        ASSERT_EQ(viewer.open(write_file(art)), 1);
        run("W" + std::to_string(wrapped) + " V3:7 H2:1");
        const std::vector<uint8_t> before = frame();
        const std::string state = shown();
        for (char* path : {missing_file(), keep_path("")}) {
            SCOPED_TRACE(std::string(wrapped ? "wrapped, " : "") + "'" + path + "'");
            EXPECT_EQ(viewer.open(path), 0);
            EXPECT_EQ(viewer.document->wrap_enabled, wrapped);
            EXPECT_EQ(shown(), state);
            // The failed load re-wrapped: reading the freed copy is caught by ASan.
            EXPECT_EQ(viewer.cur_text, wrapped ? viewer.document->wrapped_text : viewer.document->text);
            EXPECT_EQ(viewer.cur_attrs, wrapped ? viewer.document->wrapped_attrs : viewer.document->attrs);
            EXPECT_EQ(viewer.cur_length, wrapped ? viewer.document->wrapped_length : viewer.document->text_length);
            EXPECT_EQ(frame(), before);
        }
    }
}

TEST_F(ViewText, WrapBeforeAnyFileOrAfterAFailedOneShowsNothing) {
    for (const bool failed_open : {false, true}) {
        viewer.init();
        EXPECT_EQ(span(viewer.view_cols, viewer.view_rows) + " " + shown(), "84..30 0..0 1 0..0");  // one blank
        EXPECT_FALSE(failed_open && viewer.open(missing_file()));
        run("W1 V1:5 V2:5 V3:5 H1:5 H2:5 H3:5 R100x40 W0 W1");
        EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
        const std::vector<uint8_t> f = frame();
        EXPECT_EQ(size_t(std::count(f.begin(), f.end(), viewer.bg_index)), f.size());
    }
}
