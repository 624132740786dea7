// Random texts, view sizes and request sequences: every range keeps one of its
// shapes, requests follow their rules and composition stays inside the frame.
#include <random>

#include "shell/view_frame.h"
#include "tests/native/view_fixture.h"

class ViewProperty : public ViewFixture {
public:
    std::mt19937 rng{20240611};
    uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); }
    uint32_t pick(std::initializer_list<uint32_t> choices) { return choices.begin()[below(choices.size())]; }
    std::string random_text() {
        const char* const pieces[] = {"a", "xyz", " ", "\n", "\r\n", "\r", "\r\r", "\x1b[", "1;3", "4m", "5C", "\xdb", "\t"};
        std::string text = below(3) ? "" : "\x1b[0m";
        for (uint32_t i = below(4) ? below(600) : 0; i > 0; --i)
            text += below(40) ? pieces[below(13)] : std::string(80 + below(200), 'L');
        return text;
    }
    // Absurd sizes fill the largest frame, so they come rarely.
    uint32_t cells(bool absurd) {
        return absurd ? pick({~0u - below(3), 0x10000u << below(16), 2000 + below(6000)})
                      : pick({0, 1, 100 + below(300), 1 + below(100), 1 + below(100)});
    }
    // Steps keep the length; a thumb inside the thumb range lands where asked;
    // other codes, and any request on an empty view, move nothing.
    void scroll(bool rows, uint32_t code, uint32_t amount) {
        const uint32_t &first = rows ? viewer.top_row : viewer.left_col, &last = rows ? viewer.bottom_row : viewer.right_col;
        const uint32_t doc = rows ? viewer.doc_rows : viewer.doc_cols, view = rows ? viewer.view_rows : viewer.view_cols;
        const uint32_t first0 = first, last0 = last, c = view ? code & 0xFF : 0;
        if (rows) viewer.scroll_vertical(code, amount);
        else viewer.scroll_horizontal(code, amount);
        if (c == 1 || c == 2) {
            EXPECT_EQ(last - first, last0 - first0);
        } else if (c != 3 || (doc >= view && amount <= doc - view + 1)) {
            EXPECT_EQ(span(first, last), c == 3 ? span(amount, amount + view - 1) : span(first0, last0));
        }
    }
};

TEST_F(ViewProperty, RangesKeepTheirShapesUnderRandomRequests) {
    for (int run = 0; run < 120; ++run) {
        viewer.init();
        for (int op = 0; op < 40 && !HasFailure(); ++op) {
            const uint32_t kind = below(10), code = below(6) | (below(4) ? 0 : below(0x10000) << 8);
            const bool absurd = below(16) == 0, absurd_columns = absurd && below(2), absurd_rows = absurd && below(2);
            const uint32_t columns = cells(absurd_columns), rows = absurd_rows ? cells(true) : cells(false) % 150;
            SCOPED_TRACE("run " + std::to_string(run) + " op " + std::to_string(op) + " kind " + std::to_string(kind));
            if (kind == 0) viewer.open(write_file(random_text()));
            if (kind == 1 && viewer.open(missing_file())) ADD_FAILURE() << "a missing file opened";
            if (kind == 2) viewer.set_wrap(!viewer.document->wrap_enabled);
            if (kind == 3) viewer.resize(columns, rows);
            if (kind >= 4) scroll(kind < 7, code, pick({0, ~0u - below(2), below(1000), 1 + below(40), 1 + below(40)}));
            EXPECT_EQ(view_shapes::fault(viewer), "");
            EXPECT_LE(viewer.frame_capacity, kMaxFrameBytes);
            // The first MiB past the view is watched; the sanitizers watch the rest.
            EXPECT_TRUE(view_shapes::composes_inside_frame(viewer, 1u << 20));
        }
    }
}
