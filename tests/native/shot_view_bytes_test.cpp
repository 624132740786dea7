// A file's bytes opened from memory (a pack's member, the page's thumbnails)
// make the same view as the file read from disk, with the thumbnail's limit
// cutting both alike.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/thumbnail_size.h"

namespace {

std::string sample(const char* name) {
    std::ifstream in(std::string(GLYPHORA_SOURCE_DIR) + "/samples/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes as a pack's member holds them.
InputBytes copy(const std::string& bytes) {
    InputBytes out;
    out.bytes.reset(new uint8_t[bytes.size() + 1]);
    out.size = uint32_t(bytes.size());
    std::memcpy(out.bytes.get(), bytes.data(), bytes.size());
    return out;
}

}  // namespace

TEST(ShotViewBytes, SameViewAsTheFile) {
    const InputLimit cut{100, UINT32_MAX};  // 100 bytes of the file, as a thumbnail's limit cuts one
    const struct {
        const char* name;
        InputLimit limit;
        bool wrap;
    } cases[] = {{"glyphora.ans", InputLimit(), false}, {"glyphora.asc", InputLimit(), true},
                 {"glyphora.ans", thumbnail_input(0), false}, {"glyphora.ans", cut, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.wrap ? " wrapped" : "") + " limit " + std::to_string(c.limit.bytes));
        const std::string bytes = sample(c.name);
        ShotView from_file, from_bytes;
        std::string error;
        ASSERT_TRUE(from_file.open(std::string(GLYPHORA_SOURCE_DIR) + "/samples/" + c.name, nullptr, c.wrap, error,
                                   c.limit)) << error;
        InputBytes member = copy(bytes);
        ASSERT_TRUE(from_bytes.open_bytes(member, nullptr, c.wrap, c.limit));
        const Viewer& a = *from_file.viewer;
        const Viewer& b = *from_bytes.viewer;
        EXPECT_EQ(a.cur_length, b.cur_length);
        EXPECT_EQ(std::memcmp(a.cur_text, b.cur_text, a.cur_length), 0);
        EXPECT_EQ(a.document->is_ansi, b.document->is_ansi);
        if (a.document->is_ansi) {
            EXPECT_EQ(std::memcmp(a.cur_attrs, b.cur_attrs, a.cur_length), 0);
        }
        EXPECT_EQ(a.doc_rows, b.doc_rows);
        EXPECT_EQ(a.doc_cols, b.doc_cols);
        EXPECT_EQ(a.document->wrap_enabled, b.document->wrap_enabled);
    }
}

TEST(ShotViewBytes, ThumbnailCropOfWideAndTallArt) {
    // Rows past the wrap column make a thumbnail wrap; a tall piece gives a
    // square's worth of its top rows.
    const struct {
        std::string text;
        uint32_t columns, rows;
        bool wrapped;
    } cases[] = {
        {std::string(100, 'x') + "\r\n", 80, 2, true},
        {std::string(80, 'x') + "\r\n", 80, 1, false},
        {[] { std::string s; for (int i = 0; i < 500; ++i) s += "row\r\n"; return s; }(), 3, 1, false},
        {[] { std::string s; for (int i = 0; i < 500; ++i) s += std::string(40, 'y') + "\r\n"; return s; }(), 40, 20,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        ShotView view;
        InputBytes member = copy(c.text);
        ASSERT_TRUE(view.open_bytes(member, nullptr, false, thumbnail_input(0)));
        wrap_for_thumbnail(*view.viewer);
        const TextExtent extent = shown_extent(view.viewer->cur_text, view.viewer->cur_length, view.viewer->doc_cols);
        EXPECT_EQ(nothing_to_draw(extent), nullptr);
        const ThumbnailCrop crop = thumbnail_crop(*view.viewer, extent, 0);
        EXPECT_EQ(crop.columns, c.columns);
        EXPECT_EQ(crop.rows, c.rows);
        EXPECT_EQ(view.viewer->document->wrap_enabled != 0, c.wrapped);
    }
}

TEST(ShotViewBytes, NothingToDraw) {
    EXPECT_STREQ(nothing_to_draw(TextExtent{0, 0}), "nothing to draw: the text is empty");
    EXPECT_STREQ(nothing_to_draw(TextExtent{0, 3}), "nothing to draw: the lines are empty");
    EXPECT_EQ(nothing_to_draw(TextExtent{1, 1}), nullptr);
}
