// Scroll steps, pages, thumb drags and odd direction codes on the visible ranges.
#include <gtest/gtest.h>

#include <vector>

#include "tests/native/view_fixture.h"
#include "tests/native/view_shapes.h"

namespace {

enum Axis { kRows, kCols };

struct Step {
    Axis axis;
    uint32_t code;
    uint32_t amount;
    uint32_t first;  // expected range afterwards
    uint32_t last;
};

struct ScrollCase {
    const char* name;
    uint32_t doc_rows;
    uint32_t doc_cols;
    uint32_t view_cols;
    uint32_t view_rows;
    std::vector<Step> steps;
};

constexpr uint32_t kBack = 1, kForward = 2, kAbsolute = 3;

const ScrollCase kScrollCases[] = {
    {"down five then page down to the end and back up",
     100, 10, 84, 30,
     {{kRows, kForward, 1, 1, 30}, {kRows, kForward, 1, 2, 31}, {kRows, kForward, 1, 3, 32},
      {kRows, kForward, 1, 4, 33}, {kRows, kForward, 1, 5, 34},
      {kRows, kForward, 29, 34, 63}, {kRows, kForward, 29, 63, 92},
      {kRows, kForward, 29, 71, 100}, {kRows, kForward, 29, 71, 100},
      {kRows, kBack, 29, 42, 71}, {kRows, kBack, 29, 13, 42}, {kRows, kBack, 29, 0, 29},
      {kRows, kBack, 29, 0, 29}}},
    {"back by exactly the first row lands on row 0",
     100, 10, 84, 30,
     {{kRows, kAbsolute, 29, 29, 58}, {kRows, kBack, 29, 0, 29}}},
    {"as many line ends as rows gives one step of travel",
     30, 10, 84, 30,
     {{kRows, kForward, 1, 1, 30}, {kRows, kForward, 1, 1, 30}, {kRows, kBack, 1, 0, 29}}},
    {"a short text stays whole whatever the request",
     10, 10, 84, 30,
     {{kRows, kForward, 1, 0, 10}, {kRows, kForward, 29, 0, 10}, {kRows, kBack, 1, 0, 10},
      {kRows, kBack, 29, 0, 10}, {kRows, kForward, 4, 0, 10}, {kRows, kBack, 2, 0, 10}}},
    {"one column short of the view steps one column and back",
     3, 41, 84, 30,
     {{kCols, kForward, 1, 1, 41}, {kCols, kForward, 1, 1, 41}, {kCols, kBack, 1, 0, 40},
      {kCols, kBack, 1, 0, 40}}},
    {"a one-row view pages by nothing",
     100, 10, 84, 1,
     {{kRows, kForward, 0, 0, 0}, {kRows, kForward, 1, 1, 1}, {kRows, kBack, 0, 1, 1}}},
    {"thumb drag sets the first row",
     100, 10, 84, 30,
     {{kRows, kAbsolute, 50, 50, 79}, {kRows, kAbsolute, 71, 71, 100},
      {kRows, kAbsolute, 0, 0, 29}}},
    {"thumb positions past the last are held at the last",
     100, 200, 84, 30,
     {{kRows, kAbsolute, 72, 71, 100}, {kRows, kAbsolute, 0xFFFFFFFFu, 71, 100},
      {kCols, kAbsolute, 117, 117, 200}, {kCols, kAbsolute, 500, 117, 200}}},
    {"a thumb request on a text that fits keeps it whole",
     10, 41, 84, 30,
     {{kRows, kAbsolute, 5, 0, 10}, {kCols, kAbsolute, 7, 0, 41}}},
    {"codes other than 1, 2 and 3 move nothing",
     100, 200, 84, 30,
     {{kRows, kAbsolute, 10, 10, 39}, {kRows, 4, 5, 10, 39}, {kRows, 0, 5, 10, 39},
      {kCols, kAbsolute, 3, 3, 86}, {kCols, 4, 5, 3, 86}, {kCols, 0xFF, 5, 3, 86}}},
    {"only the low 8 bits of a code count",
     100, 200, 84, 30,
     {{kRows, 0x102, 5, 5, 34}, {kRows, 0x101, 2, 3, 32}, {kRows, 0x7303, 60, 60, 89},
      {kCols, 0xFFFFFF02u, 4, 4, 87}}},
    {"huge amounts stop at either end without wrapping",
     100, 200, 84, 30,
     {{kRows, kForward, 0xFFFFFFFFu, 71, 100}, {kRows, kForward, 0xFFFFFFFFu, 71, 100},
      {kRows, kBack, 0xFFFFFFFFu, 0, 29}, {kCols, kForward, 0xFFFFFFF0u, 117, 200},
      {kCols, kBack, 0x80000000u, 0, 83}}},
    {"columns scroll like rows",
     2, 200, 84, 30,
     {{kCols, kForward, 1, 1, 84}, {kCols, kForward, 83, 84, 167}, {kCols, kForward, 83, 117, 200},
      {kCols, kBack, 83, 34, 117}, {kCols, kBack, 83, 0, 83}}},
};

class ViewScroll : public ViewFixture {};

TEST_F(ViewScroll, StepsPagesAndThumbFollowTheRules) {
    for (const ScrollCase& c : kScrollCases) {
        SCOPED_TRACE(c.name);
        viewer.init();
        paths.clear();
        viewer.resize(c.view_cols, c.view_rows);
        open_text(c.doc_rows, c.doc_cols);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            if (s.axis == kRows) {
                const uint32_t cols_before[2] = {viewer.left_col, viewer.right_col};
                viewer.scroll_vertical(s.code, s.amount);
                EXPECT_EQ(view_shapes::span(viewer.top_row, viewer.bottom_row),
                          view_shapes::span(s.first, s.last));
                EXPECT_EQ(viewer.left_col, cols_before[0]);
                EXPECT_EQ(viewer.right_col, cols_before[1]);
            } else {
                const uint32_t rows_before[2] = {viewer.top_row, viewer.bottom_row};
                viewer.scroll_horizontal(s.code, s.amount);
                EXPECT_EQ(view_shapes::span(viewer.left_col, viewer.right_col),
                          view_shapes::span(s.first, s.last));
                EXPECT_EQ(viewer.top_row, rows_before[0]);
                EXPECT_EQ(viewer.bottom_row, rows_before[1]);
            }
            EXPECT_EQ(view_shapes::fault(viewer), "");
        }
    }
}

TEST_F(ViewScroll, EveryRequestRecomposesTheFrame) {
    open_text(10, 10);
    const struct {
        Axis axis;
        uint32_t code;
        uint32_t amount;
    } requests[] = {{kRows, kForward, 1}, {kRows, kBack, 29}, {kRows, 4, 0},
                    {kCols, kForward, 1}, {kCols, 0, 0}, {kRows, kAbsolute, 0}};
    for (const auto& r : requests) {
        // A marked frame comes back cleared to the background only if composed.
        viewer.frame[0] = view_shapes::kMarker;
        if (r.axis == kRows) viewer.scroll_vertical(r.code, r.amount);
        else viewer.scroll_horizontal(r.code, r.amount);
        EXPECT_EQ(viewer.frame[0], viewer.bg_index) << "code " << r.code;
    }
}

}  // namespace
