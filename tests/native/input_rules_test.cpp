// The window's input rules: menu language, the command-line path, page
// amounts, and what keys, scroll bars and the wheel ask of the view.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/viewer.h"
#include "shell/input_rules.h"

namespace {

TEST(MenuForLocale, PolishLanguageInAnySortOrderGivesThePolishMenu) {
    struct Case {
        uint32_t lcid;
        uint16_t menu;
    };
    const Case cases[] = {
        {0x0415, kMenuPolish},     {0x10415, kMenuPolish},  {0xF0415, kMenuPolish},
        {0x0409, kMenuEnglish},    {0x0407, kMenuEnglish},  {0x0000, kMenuEnglish},
        {0x0416, kMenuEnglish},    {0x0414, kMenuEnglish},  {0x04150000, kMenuEnglish},
        {0x1040415, kMenuPolish},  {0x0815, kMenuEnglish},
    };
    for (const Case& c : cases) EXPECT_EQ(menu_id_for_locale(c.lcid), c.menu) << std::hex << c.lcid;
}

TEST(CommandLinePath, TakesTheWholeTailOrTheTextBetweenTheQuotes) {
    struct Case {
        const char* tail;
        const char* path;
    };
    const Case cases[] = {
        {"", ""},
        {"art.ans", "art.ans"},
        {"C:\\Art Tools\\my art.ans", "C:\\Art Tools\\my art.ans"},
        {"C:\\art.ans and more words", "C:\\art.ans and more words"},
        {"C:\\art.ans \"quoted\"", "C:\\art.ans \"quoted\""},
        {"\"C:\\Art Tools\\my art.ans\"", "C:\\Art Tools\\my art.ans"},
        {"\"C:\\my art.ans\" further words", "C:\\my art.ans"},
        {"\"C:\\my art.ans\" \"second.ans\"", "C:\\my art.ans"},
        {"\"C:\\no closing quote.ans", "C:\\no closing quote.ans"},
        {"\"\"", ""},
        {"\"\" after", ""},
        {"\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        char buffer[260];
        std::strcpy(buffer, c.tail);
        const char* path = command_line_path(buffer);
        EXPECT_EQ(path, buffer);  // changed in place
        EXPECT_STREQ(path, c.path);
    }
}

TEST(CommandLinePath, MovesEveryCharacterAfterTheQuoteAndEndsAtEachQuote) {
    char buffer[] = "\"a b\" c\"d";
    command_line_path(buffer);
    // The whole rest, NUL included, is moved one place left; quotes become NULs.
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("a b\0 c\0d\0\0", 10));
}

TEST(PageAmount, IsOneLessThanTheViewAndZeroForAnEmptyView) {
    const uint32_t cases[][2] = {{0, 0},   {1, 0},   {2, 1},
                                 {30, 29}, {84, 83}, {0xFFFFFFFF, 0xFFFFFFFE}};
    for (const auto& c : cases) EXPECT_EQ(page_amount(c[0]), c[1]) << c[0];
}

struct Expected {
    ScrollAxis axis;
    uint32_t code;
    uint32_t amount;
};

void expect_request(const ScrollRequest& actual, const Expected& expected) {
    EXPECT_EQ(actual.axis, expected.axis);
    if (expected.axis == ScrollAxis::none) return;
    EXPECT_EQ(actual.code, expected.code);
    EXPECT_EQ(actual.amount, expected.amount);
}

constexpr Expected kNothing{ScrollAxis::none, 0, 0};

TEST(KeyScroll, ArrowsStepAndPageKeysPageRows) {
    struct Case {
        uint32_t key;
        uint32_t cols;
        uint32_t rows;
        Expected expected;
    };
    const Case cases[] = {
        {kKeyUp, 84, 30, {ScrollAxis::vertical, kScrollBack, 1}},
        {kKeyDown, 84, 30, {ScrollAxis::vertical, kScrollForward, 1}},
        {kKeyLeft, 84, 30, {ScrollAxis::horizontal, kScrollBack, 1}},
        {kKeyRight, 84, 30, {ScrollAxis::horizontal, kScrollForward, 1}},
        {kKeyPageUp, 84, 30, {ScrollAxis::vertical, kScrollBack, 29}},
        {kKeyPageDown, 84, 30, {ScrollAxis::vertical, kScrollForward, 29}},
        {kKeyPageDown, 10, 7, {ScrollAxis::vertical, kScrollForward, 6}},
        {kKeyPageUp, 84, 1, {ScrollAxis::vertical, kScrollBack, 0}},
        {kKeyPageDown, 0, 0, {ScrollAxis::vertical, kScrollForward, 0}},
        {kKeyEscape, 84, 30, kNothing},  // the window ends the program itself
        {0x24 /* Home */, 84, 30, kNothing},
        {0x23 /* End */, 84, 30, kNothing},
        {0x20 /* Space */, 84, 30, kNothing},
        {'A', 84, 30, kNothing},
        {'Z', 84, 30, kNothing},
        {0x0D /* Enter */, 84, 30, kNothing},
        {0x0121, 84, 30, kNothing},  // Page Up's code in a higher byte is another key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        expect_request(key_scroll_request(c.key, c.cols, c.rows), c.expected);
    }
}

TEST(ScrollBarScroll, EachBarCodeMakesItsRequestOnItsOwnAxis) {
    constexpr int kHorizontal = 0;
    constexpr int kVertical = 1;
    struct Case {
        int bar;
        uint32_t code;
        uint32_t thumb;
        uint32_t cols;
        uint32_t rows;
        Expected expected;
    };
    const Case cases[] = {
        {kVertical, 0, 0, 84, 30, {ScrollAxis::vertical, kScrollBack, 1}},
        {kVertical, 1, 0, 84, 30, {ScrollAxis::vertical, kScrollForward, 1}},
        {kVertical, 2, 0, 84, 30, {ScrollAxis::vertical, kScrollBack, 29}},
        {kVertical, 3, 0, 84, 30, {ScrollAxis::vertical, kScrollForward, 29}},
        {kVertical, 4, 17, 84, 30, kNothing},
        {kVertical, 5, 50, 84, 30, {ScrollAxis::vertical, kScrollAbsolute, 50}},
        {kVertical, 6, 0, 84, 30, kNothing},
        {kVertical, 7, 0, 84, 30, kNothing},
        {kVertical, 8, 0, 84, 30, kNothing},
        {kVertical, 2, 0, 84, 0, {ScrollAxis::vertical, kScrollBack, 0}},
        {kHorizontal, 0, 0, 84, 30, {ScrollAxis::horizontal, kScrollBack, 1}},
        {kHorizontal, 1, 0, 84, 30, {ScrollAxis::horizontal, kScrollForward, 1}},
        {kHorizontal, 2, 0, 84, 30, {ScrollAxis::horizontal, kScrollBack, 83}},
        {kHorizontal, 3, 0, 84, 30, {ScrollAxis::horizontal, kScrollForward, 83}},
        {kHorizontal, 3, 0, 0, 30, {ScrollAxis::horizontal, kScrollForward, 0}},
        {kHorizontal, 4, 17, 84, 30, kNothing},
        {kHorizontal, 5, 12, 84, 30, {ScrollAxis::horizontal, kScrollAbsolute, 12}},
        {kHorizontal, 8, 0, 84, 30, kNothing},
        // Track positions of texts longer than 65,535 rows stay whole.
        {kVertical, 5, 65535, 84, 30, {ScrollAxis::vertical, kScrollAbsolute, 65535}},
        {kVertical, 5, 65536, 84, 30, {ScrollAxis::vertical, kScrollAbsolute, 65536}},
        {kVertical, 5, 1234567, 84, 30, {ScrollAxis::vertical, kScrollAbsolute, 1234567}},
        {kHorizontal, 5, 70000, 84, 30, {ScrollAxis::horizontal, kScrollAbsolute, 70000}},
        {2 /* a scroll-bar control */, 1, 0, 84, 30, kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bar " << c.bar << " code " << c.code);
        expect_request(scroll_bar_request(c.bar, c.code, c.thumb, c.cols, c.rows), c.expected);
    }
}

TEST(WheelScroll, WholeNotchesMoveTwoRowsEachTruncatedTowardZero) {
    struct Case {
        int16_t delta;
        Expected expected;
    };
    const Case cases[] = {
        {120, {ScrollAxis::vertical, kScrollBack, 2}},
        {-120, {ScrollAxis::vertical, kScrollForward, 2}},
        {-240, {ScrollAxis::vertical, kScrollForward, 4}},
        {239, {ScrollAxis::vertical, kScrollBack, 2}},
        {-239, {ScrollAxis::vertical, kScrollForward, 2}},
        {360, {ScrollAxis::vertical, kScrollBack, 6}},
        {60, kNothing},
        {-60, kNothing},
        {-119, kNothing},
        {119, kNothing},
        {0, kNothing},
        {32767, {ScrollAxis::vertical, kScrollBack, 2 * 273}},
        {-32768, {ScrollAxis::vertical, kScrollForward, 2 * 273}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delta);
        expect_request(wheel_scroll_request(c.delta), c.expected);
    }
}

TEST(WheelScroll, HighWordOfTheMessageReadAsSigned) {
    // A turn toward the user arrives as 0xFF88 in the high word of wParam.
    const uint32_t wparam = 0xFF880000u;
    expect_request(wheel_scroll_request(static_cast<int16_t>(wparam >> 16)),
                   {ScrollAxis::vertical, kScrollForward, 2});
}

TEST(ApplyScrollRequest, HandsEachRequestToTheScrollOfItsAxis) {
    Viewer viewer;
    viewer.init();
    viewer.resize(84, 30);
    // A text of 100 rows and 200 columns in a view of 84 x 30 cells.
    viewer.doc_rows = 100;
    viewer.doc_cols = 200;
    viewer.top_row = 0;
    viewer.bottom_row = 29;
    viewer.left_col = 0;
    viewer.right_col = 83;

    apply_scroll_request(viewer, wheel_scroll_request(-240));
    EXPECT_EQ(viewer.top_row, 4u);
    EXPECT_EQ(viewer.bottom_row, 33u);
    EXPECT_EQ(viewer.left_col, 0u);

    apply_scroll_request(viewer, key_scroll_request(kKeyRight, 84, 30));
    EXPECT_EQ(viewer.left_col, 1u);
    EXPECT_EQ(viewer.right_col, 84u);
    EXPECT_EQ(viewer.top_row, 4u);

    apply_scroll_request(viewer, scroll_bar_request(1, 5, 50, 84, 30));
    EXPECT_EQ(viewer.top_row, 50u);
    EXPECT_EQ(viewer.bottom_row, 79u);

    apply_scroll_request(viewer, scroll_bar_request(0, 3, 0, 84, 30));
    EXPECT_EQ(viewer.left_col, 84u);
    EXPECT_EQ(viewer.right_col, 167u);

    apply_scroll_request(viewer, key_scroll_request(kKeyPageUp, 84, 30));
    EXPECT_EQ(viewer.top_row, 21u);

    apply_scroll_request(viewer, ScrollRequest{});
    apply_scroll_request(viewer, wheel_scroll_request(60));
    EXPECT_EQ(viewer.top_row, 21u);
    EXPECT_EQ(viewer.bottom_row, 50u);
    EXPECT_EQ(viewer.left_col, 84u);
    EXPECT_EQ(viewer.right_col, 167u);
}

}  // namespace
