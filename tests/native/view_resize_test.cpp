// Fitting the ranges to a new view size, the empty view, and the frame that
// grows for views larger than it holds.
#include <gtest/gtest.h>

#include "shell/view_frame.h"
#include "tests/native/view_fixture.h"
#include "tests/native/view_shapes.h"

namespace {

using view_shapes::span;

struct ResizeCase {
    const char* name;
    uint32_t doc_rows, doc_cols;
    uint32_t start_top, start_left;  // absolute requests before the resize
    uint32_t cols, rows;             // the new view
    const char* rows_after;
    const char* cols_after;
};

const ResizeCase kResizeCases[] = {
    {"more rows pull the view back from the end", 100, 200, 71, 0, 84, 40, "61..100", "0..83"},
    {"fewer rows keep the first row", 100, 200, 71, 0, 84, 20, "71..90", "0..83"},
    {"more rows than the text shows it whole", 100, 200, 71, 0, 84, 120, "0..100", "0..83"},
    {"exactly the text's rows", 100, 200, 71, 0, 84, 101, "0..100", "0..83"},
    {"one row fewer than the text", 100, 200, 71, 0, 84, 100, "1..100", "0..83"},
    {"wider keeps the first column unless past the end", 10, 200, 0, 117, 100, 30, "0..10",
     "101..200"},
    {"narrower keeps the first column", 10, 200, 0, 117, 40, 30, "0..10", "117..156"},
    {"wider than the text shows all its columns", 10, 41, 0, 0, 90, 30, "0..10", "0..41"},
    {"a single cell", 100, 200, 50, 60, 1, 1, "50..50", "60..60"},
    {"an empty view keeps the first cell", 100, 200, 50, 60, 0, 0, "50..50", "60..60"},
    {"no columns but rows", 100, 200, 50, 60, 0, 30, "50..79", "60..60"},
    {"no rows but columns", 100, 200, 50, 60, 84, 0, "50..50", "60..143"},
    {"an empty view of an empty text", 0, 1, 0, 0, 0, 0, "0..0", "0..0"},
};

class ViewResize : public ViewFixture {};

TEST_F(ViewResize, RangesFollowTheNewSize) {
    for (const ResizeCase& c : kResizeCases) {
        SCOPED_TRACE(c.name);
        viewer.init();
        open_text(c.doc_rows, c.doc_cols);
        viewer.scroll_vertical(3, c.start_top);
        viewer.scroll_horizontal(3, c.start_left);
        viewer.resize(c.cols, c.rows);
        EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), c.rows_after);
        EXPECT_EQ(span(viewer.left_col, viewer.right_col), c.cols_after);
        EXPECT_EQ(viewer.view_cols, c.cols);
        EXPECT_EQ(viewer.view_rows, c.rows);
        EXPECT_EQ(viewer.frame_width, c.cols * 8);
        EXPECT_EQ(viewer.frame_height, c.rows * 16);
        EXPECT_EQ(view_shapes::fault(viewer), "");
        EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    }
}

TEST_F(ViewResize, FittingTextStaysPutUnderSteps) {
    open_text(3, 41);
    viewer.resize(90, 30);
    ASSERT_EQ(span(viewer.left_col, viewer.right_col), "0..41");
    viewer.scroll_horizontal(2, 1);
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..41");
    viewer.scroll_horizontal(1, 1);
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..41");
}

TEST_F(ViewResize, EmptyViewMovesNothingAndRestoresOnTheNextSize) {
    open_text(100, 200);
    viewer.scroll_vertical(3, 40);
    viewer.scroll_horizontal(3, 30);
    viewer.resize(0, 0);
    // Pages of an empty view are 0 cells; arrows, pages and thumbs all stay put.
    const struct {
        uint32_t code, amount;
    } requests[] = {{1, 0}, {2, 0}, {1, 1}, {2, 1}, {3, 7}, {2, 0xFFFFFFFFu}, {1, 0xFFFFFFFFu}};
    for (const auto& r : requests) {
        viewer.scroll_vertical(r.code, r.amount);
        viewer.scroll_horizontal(r.code, r.amount);
        EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "40..40");
        EXPECT_EQ(span(viewer.left_col, viewer.right_col), "30..30");
        EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    }
    viewer.resize(84, 30);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "40..69");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "30..113");
    viewer.resize(0, 0);
    viewer.resize(84, 90);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "11..100");
}

TEST_F(ViewResize, WrapSwitchWithAnEmptyViewHoldsAtZero) {
    open_text(100, 200);
    viewer.resize(0, 0);
    viewer.set_wrap(1);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..0");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..0");
    EXPECT_EQ(view_shapes::fault(viewer), "");
    viewer.resize(84, 30);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..29");
    // A resize shows every column of a fitting text, its end included.
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..81");
}

TEST_F(ViewResize, FirstSizeReportBeforeTheWindowIsAttached) {
    ASSERT_EQ(viewer.window, nullptr);
    viewer.resize(672 / 8, 480 / 16);
    EXPECT_EQ(viewer.view_cols, 84u);
    EXPECT_EQ(viewer.view_rows, 30u);
    EXPECT_EQ(viewer.frame_width, 672u);
    EXPECT_EQ(viewer.frame_height, 480u);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..0");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..0");
    EXPECT_EQ(viewer.frame_capacity, kFrameBytes);
}

struct FitCase {
    uint32_t columns, rows, limit;
    uint32_t fit_columns, fit_rows;
};

const FitCase kFitCases[] = {
    {84, 30, kFrameBytes, 84, 30},
    {160, 64, kFrameBytes, 160, 64},  // exactly the start frame
    {161, 64, kFrameBytes, 161, 63},  // rows are cut first
    {10240, 1, kFrameBytes, 10240, 1},
    {10241, 1, kFrameBytes, 10240, 1},
    {1, 20000, kFrameBytes, 1, 10240},
    {0, 0xFFFFFFFFu, kMaxFrameBytes, 0, kMaxFrameBytes / 128},
    {0xFFFFFFFFu, 0, kMaxFrameBytes, kMaxFrameBytes / 128, 0},
    {0xFFFFFFFFu, 0xFFFFFFFFu, kMaxFrameBytes, kMaxFrameBytes / 128, 1},
    {0x80000000u, 0x80000000u, kFrameBytes, 10240, 1},
    {1024, 1024, kMaxFrameBytes, 1024, 512},  // 8192 x 8192 pixels
    {5, 5, 0, 0, 0},
};

class ViewFrame : public ViewFixture {};

TEST_F(ViewFrame, FitKeepsColumnsAndCutsRows) {
    for (const FitCase& c : kFitCases) {
        const CellSize fit = fit_cells(c.columns, c.rows, c.limit);
        EXPECT_EQ(fit.columns, c.fit_columns) << c.columns << "x" << c.rows << " in " << c.limit;
        EXPECT_EQ(fit.rows, c.fit_rows) << c.columns << "x" << c.rows << " in " << c.limit;
        EXPECT_LE(uint64_t{fit.columns} * fit.rows * 128, c.limit);
    }
}

TEST_F(ViewFrame, LargeWindowIsFilledByAGrownFrame) {
    open_text(200, 400);
    viewer.resize(2560 / 8, 1440 / 16);
    EXPECT_EQ(viewer.view_cols, 320u);
    EXPECT_EQ(viewer.view_rows, 90u);
    EXPECT_EQ(viewer.frame_width, 2560u);
    EXPECT_EQ(viewer.frame_height, 1440u);
    EXPECT_GE(viewer.frame_capacity, 2560u * 1440u);
    EXPECT_EQ(span(viewer.top_row, viewer.bottom_row), "0..89");
    EXPECT_EQ(span(viewer.left_col, viewer.right_col), "0..319");
    EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    // The bottom-right cell holds text: nothing was cropped.
    const uint32_t last_cell_row = (89 * 16 + 3) * 2560u + 319 * 8;
    bool ink = false;
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 8; ++x) ink |= viewer.frame[last_cell_row + y * 2560u + x] != 0;
    EXPECT_TRUE(ink);
}

TEST_F(ViewFrame, ResizingWithinTheFrameNeverAllocates) {
    const uint8_t* start = viewer.frame.get();
    for (const CellSize s : {CellSize{160, 64}, CellSize{0, 0}, CellSize{1, 10240},
                             CellSize{10240, 1}, CellSize{84, 30}}) {
        viewer.resize(s.columns, s.rows);
        EXPECT_EQ(viewer.frame.get(), start);
        EXPECT_EQ(viewer.frame_capacity, kFrameBytes);
    }
    viewer.resize(320, 90);
    const uint8_t* grown = viewer.frame.get();
    const uint32_t capacity = viewer.frame_capacity;
    EXPECT_GT(capacity, kFrameBytes);
    // Never shrinks, and sizes it already covers reuse it.
    for (const CellSize s : {CellSize{84, 30}, CellSize{0, 0}, CellSize{320, 90}, CellSize{300, 95}}) {
        viewer.resize(s.columns, s.rows);
        EXPECT_EQ(viewer.frame.get(), grown);
        EXPECT_EQ(viewer.frame_capacity, capacity);
    }
}

TEST_F(ViewFrame, AbsurdSizesAreLimitedNotWrapped) {
    open_text(100, 200);
    const CellSize sizes[] = {{0xFFFFFFFFu, 0xFFFFFFFFu}, {0xFFFFFFFFu, 0}, {0, 0xFFFFFFFFu},
                              {0x20000000u, 2}, {1, 0x10000000u}};
    for (const CellSize s : sizes) {
        viewer.resize(s.columns, s.rows);
        const CellSize fit = fit_cells(s.columns, s.rows, kMaxFrameBytes);
        EXPECT_EQ(viewer.view_cols, fit.columns);
        EXPECT_EQ(viewer.view_rows, fit.rows);
        EXPECT_LE(viewer.frame_capacity, kMaxFrameBytes);
        EXPECT_EQ(view_shapes::fault(viewer), "") << s.columns << "x" << s.rows;
        EXPECT_TRUE(view_shapes::composes_inside_frame(viewer));
    }
}

}  // namespace
