// Menu language, command-line path, and what keys, scroll bars and the wheel ask of the view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/viewer.h"
#include "shell/input_rules.h"

namespace {

constexpr ScrollAxis V = ScrollAxis::vertical, H = ScrollAxis::horizontal, kNone = ScrollAxis::none;
constexpr uint32_t kBack = kScrollBack, kFwd = kScrollForward, kAbs = kScrollAbsolute;

std::string describe(const ScrollRequest& r) {  // code and amount mean nothing without an axis
    if (r.axis == kNone) return "nothing";
    return (r.axis == V ? "vertical " : "horizontal ") + std::to_string(r.code) + " by " + std::to_string(r.amount);
}

TEST(InputRules, PolishLanguageInAnySortOrderGivesThePolishMenu) {
    for (uint32_t id : {0x0415u, 0x10415u, 0xF0415u}) EXPECT_EQ(menu_id_for_locale(id), kMenuPolish) << id;
    for (uint32_t id : {0x0409u, 0x0416u, 0x0815u, 0x04150000u}) EXPECT_EQ(menu_id_for_locale(id), kMenuEnglish) << id;
}

TEST(InputRules, CommandLinePathIsTheWholeTailOrTheTextBetweenTheQuotes) {
    const struct { const char *tail, *path; } cases[] = {
        {"C:\\Art Tools\\my art.ans and \"more\"", "C:\\Art Tools\\my art.ans and \"more\""},
        {"\"C:\\Art Tools\\my art.ans\"", "C:\\Art Tools\\my art.ans"},
        {"\"C:\\my art.ans\" \"second.ans\"", "C:\\my art.ans"},
        {"\"C:\\no closing quote.ans", "C:\\no closing quote.ans"},
        {"", ""}, {"\"\" after", ""}, {"\"", ""},
    };
    for (const auto& c : cases) {
        std::string buffer = c.tail;
        EXPECT_EQ(command_line_path(&buffer[0]), buffer.data()) << c.tail;  // in place
        EXPECT_STREQ(buffer.c_str(), c.path) << c.tail;
    }
    char buffer[] = "\"a b\" c\"d";  // the whole rest moves left, NUL included; quotes become NULs
    command_line_path(buffer);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("a b\0 c\0d\0\0", 10));
}

TEST(InputRules, ArrowsStepAndPageKeysPageRowsOtherKeysDoNothing) {
    const struct { uint32_t key; ScrollRequest expected; uint32_t rows = 30; } cases[] = {
        {kKeyUp, {V, kBack, 1}},         {kKeyDown, {V, kFwd, 1}},       {kKeyLeft, {H, kBack, 1}},
        {kKeyRight, {H, kFwd, 1}},       {kKeyPageUp, {V, kBack, 29}},   {kKeyPageDown, {V, kFwd, 6}, 7},
        {kKeyPageDown, {V, kFwd, 0}, 1}, {kKeyPageDown, {V, kFwd, 0}, 0},  // a page is one less than the view
        // Escape (the window ends the program itself), Home, End, Space, Enter, letters, 0x21 in a higher byte.
        {kKeyEscape, {}}, {0x24, {}}, {0x23, {}}, {0x20, {}}, {0x0D, {}}, {'A', {}}, {'Z', {}}, {0x121, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(key_scroll_request(c.key, 84, c.rows)), describe(c.expected)) << c.key << " " << c.rows;
}

TEST(InputRules, EachScrollBarCodeMakesItsRequestOnItsOwnAxisThumbKeptWhole) {
    const struct { int bar; uint32_t code, thumb; ScrollRequest expected; uint32_t cols = 84, rows = 30; } cases[] = {
        {1, 0, 0, {V, kBack, 1}},  {1, 1, 0, {V, kFwd, 1}},  {1, 2, 0, {V, kBack, 29}}, {1, 3, 0, {V, kFwd, 29}},
        {0, 0, 0, {H, kBack, 1}},  {0, 1, 0, {H, kFwd, 1}},  {0, 2, 0, {H, kBack, 83}}, {0, 3, 0, {H, kFwd, 83}},
        {1, 4, 17, {}},            {0, 4, 17, {}},           {1, 5, 50, {V, kAbs, 50}}, {0, 5, 12, {H, kAbs, 12}},
        {1, 6, 0, {}},             {0, 7, 0, {}},            {1, 8, 0, {}},             {2 /* a control */, 1, 0, {}},
        {1, 5, 65536, {V, kAbs, 65536}}, {1, 5, 1234567, {V, kAbs, 1234567}}, {0, 5, 70000, {H, kAbs, 70000}},
        {1, 2, 0, {V, kBack, 0}, 84, 0}, {0, 3, 0, {H, kFwd, 0}, 0, 30},  // pages of empty views
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(scroll_bar_request(c.bar, c.code, c.thumb, c.cols, c.rows)), describe(c.expected))
            << "bar " << c.bar << " code " << c.code << " thumb " << c.thumb << " view " << c.cols << "x" << c.rows;
}

TEST(InputRules, WholeWheelNotchesMoveTwoRowsEachTruncatedTowardZero) {
    const struct { int16_t delta; ScrollRequest expected; } cases[] = {
        {120, {V, kBack, 2}}, {-120, {V, kFwd, 2}}, {-240, {V, kFwd, 4}}, {239, {V, kBack, 2}},
        {-239, {V, kFwd, 2}}, {60, {}},             {-119, {}},           {0, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(wheel_scroll_request(c.delta)), describe(c.expected)) << c.delta;
}

TEST(InputRules, ApplyScrollRequestHandsEachRequestToTheScrollOfItsAxis) {
    Viewer v;
    v.init(), v.doc_rows = 100, v.doc_cols = 200;
    v.resize(84, 30);
    auto view = [&] { return std::vector<uint32_t>{v.top_row, v.bottom_row, v.left_col, v.right_col}; };
    apply_scroll_request(v, wheel_scroll_request(-240));
    apply_scroll_request(v, key_scroll_request(kKeyRight, 84, 30));
    EXPECT_EQ(view(), (std::vector<uint32_t>{4, 33, 1, 84}));
    apply_scroll_request(v, scroll_bar_request(1, 5, 50, 84, 30));
    apply_scroll_request(v, scroll_bar_request(0, 3, 0, 84, 30));
    apply_scroll_request(v, key_scroll_request(kKeyPageUp, 84, 30));
    apply_scroll_request(v, ScrollRequest{});
    EXPECT_EQ(view(), (std::vector<uint32_t>{21, 50, 84, 167}));
}

}  // namespace
