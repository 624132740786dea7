// Random texts, view sizes and request sequences: every range keeps one of its
// shapes and composition stays inside the frame, whatever comes.
#include <gtest/gtest.h>

#include <random>

#include "tests/native/view_fixture.h"
#include "tests/native/view_shapes.h"

namespace {

class ViewProperty : public ViewFixture {
public:
    std::mt19937 rng;

    uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); }

    std::string random_text() {
        static const char kPieces[][8] = {"a", "xyz", " ", "\n", "\r\n", "\r", "\r\r",
                                          "\x1b[", "1;3", "4m", "5C", "\xdb", "\t"};
        std::string text;
        if (below(3) == 0) text += "\x1b[0m";
        const uint32_t pieces = below(4) == 0 ? 0 : below(600);
        for (uint32_t i = 0; i < pieces; ++i) {
            if (below(40) == 0) text += std::string(80 + below(200), 'L');
            else text += kPieces[below(sizeof kPieces / sizeof kPieces[0])];
        }
        return text;
    }

    uint32_t random_cells() {
        switch (below(8)) {
            case 0: return 0;
            case 1: return 1;
            case 2: return 100 + below(300);
            default: return 1 + below(100);
        }
    }

    // Absurd sizes fill the largest frame, so they come now and then only.
    uint32_t absurd_cells() {
        switch (below(3)) {
            case 0: return 0xFFFFFFFFu - below(3);
            case 1: return 0x10000u << below(16);
            default: return 2000 + below(6000);
        }
    }

    uint32_t random_amount() {
        switch (below(5)) {
            case 0: return 0;
            case 1: return 0xFFFFFFFFu - below(2);
            case 2: return below(1000);
            default: return 1 + below(40);
        }
    }
};

// A scroll request checked against the rule that governs it: steps keep the
// length, an absolute request inside the thumb range lands where it was asked.
void expect_request_rule(uint32_t code, uint32_t amount, uint32_t first_before,
                         uint32_t last_before, uint32_t first, uint32_t last, uint32_t doc,
                         uint32_t view) {
    if (view == 0) {
        EXPECT_EQ(first, first_before);
        EXPECT_EQ(last, last_before);
        return;
    }
    switch (code & 0xFF) {
        case 1:
        case 2: EXPECT_EQ(last - first, last_before - first_before); break;
        case 3:
            if (doc >= view && amount <= doc - view + 1) {
                EXPECT_EQ(first, amount);
                EXPECT_EQ(last, amount + view - 1);
            }
            break;
        default:
            EXPECT_EQ(first, first_before);
            EXPECT_EQ(last, last_before);
    }
}

TEST_F(ViewProperty, RangesKeepTheirShapesUnderRandomRequests) {
    rng.seed(20240611);
    for (int run = 0; run < 150; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        viewer.init();
        if (below(2)) viewer.resize(random_cells(), random_cells() % 200);
        for (int op = 0; op < 40 && !HasFailure(); ++op) {
            const uint32_t kind = below(10);
            SCOPED_TRACE("op " + std::to_string(op) + " kind " + std::to_string(kind));
            if (kind == 0) {
                viewer.open(write_file(random_text()));
            } else if (kind == 1) {
                EXPECT_EQ(viewer.open(missing_file()), 0);
            } else if (kind == 2) {
                viewer.set_wrap(viewer.document->wrap_enabled ? 0 : 1);
            } else if (kind == 3) {
                // Large sizes now and then; they grow the frame.
                const bool absurd = below(16) == 0;
                const uint32_t cols = absurd && below(2) ? absurd_cells() : random_cells();
                const uint32_t rows = absurd && below(2) ? absurd_cells() : random_cells() % 150;
                viewer.resize(cols, rows);
            } else {
                const bool vertical = kind < 7;
                const uint32_t code = below(6) | (below(4) == 0 ? below(0x10000) << 8 : 0);
                const uint32_t amount = random_amount();
                if (vertical) {
                    const uint32_t a = viewer.top_row, b = viewer.bottom_row;
                    viewer.scroll_vertical(code, amount);
                    expect_request_rule(code, amount, a, b, viewer.top_row, viewer.bottom_row,
                                        viewer.doc_rows, viewer.view_rows);
                } else {
                    const uint32_t a = viewer.left_col, b = viewer.right_col;
                    viewer.scroll_horizontal(code, amount);
                    expect_request_rule(code, amount, a, b, viewer.left_col, viewer.right_col,
                                        viewer.doc_cols, viewer.view_cols);
                }
            }
            EXPECT_EQ(view_shapes::fault(viewer), "");
            // The first MiB past the view is watched; the sanitizers the rest.
            EXPECT_TRUE(view_shapes::composes_inside_frame(viewer, 1u << 20));
        }
        paths.clear();
        for (const std::string& name : written) std::remove(name.c_str());
        written.clear();
    }
}

}  // namespace
