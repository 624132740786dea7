// The page's open, built natively from web/glyphora_web.cpp: an open that
// fails after the input buffer took the file's bytes (the decoder found no
// memory for its text) leaves the view as it was, pixels, scroll position and
// bars. The page's own tests reach only the refusals that come earlier.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/input_rules.h"
#include "tests/native/allocation_failure.h"
#include "tests/native/shot_support.h"

extern "C" {
int gw_start(uint32_t n, uint32_t columns, uint32_t rows);
uint8_t* gw_input(uint32_t size);
int gw_open(uint32_t n, uint32_t size);
void gw_key(uint32_t virtual_key);
const uint32_t* gw_state(uint32_t n);
void gw_forget(uint32_t n);
const int32_t* gw_update(uint32_t n);
const uint8_t* gw_update_pixels(uint32_t n);
}

namespace {

constexpr size_t kStateFields = 21;
constexpr size_t kPresentCount = 9;  // repainted, the same image is presented again

struct View {
    std::vector<uint32_t> state;
    std::vector<uint8_t> rgba;
};

View view_now() {
    const uint32_t* state = gw_state(0);
    View view{std::vector<uint32_t>(state, state + kStateFields), {}};
    view.state[kPresentCount] = 0;
    // The whole picture, as a canvas that was cleared takes it: from its first row.
    gw_forget(0);
    const int32_t* update = gw_update(0);
    const uint8_t* pixels = gw_update_pixels(0);
    if (update && pixels && update[3] > 0) view.rgba.assign(pixels, pixels + size_t(update[0]) * update[3] * 4);
    return view;
}

bool open_bytes(const std::string& bytes) {
    uint8_t* input = gw_input(uint32_t(bytes.size()));
    if (!input) return false;
    std::memcpy(input, bytes.data(), bytes.size());
    return gw_open(0, uint32_t(bytes.size())) == 1;
}

}  // namespace

TEST(WebOpen, AnOpenThatFailsWhileDecodingLeavesTheView) {
    ASSERT_EQ(gw_start(0, 40, 12), 1);
    ASSERT_TRUE(open_bytes(shot_support::coloured_art(60, 50)));
    gw_key(kKeyPageDown);
    gw_key(kKeyRight);
    const View before = view_now();
    ASSERT_FALSE(before.rgba.empty());
    ASSERT_GT(before.state[0], 0u) << "scrolled down";
    // Every array allocation after the buffer's fails in turn, until the open
    // has what it needs; each failed one must leave the view untouched.
    const std::string other = shot_support::coloured_art(100, 300);
    bool opened = false;
    for (uint32_t succeed = 0; succeed < 64 && !opened; ++succeed) {
        SCOPED_TRACE("allocations that succeed: " + std::to_string(succeed));
        uint8_t* input = gw_input(uint32_t(other.size()));
        ASSERT_NE(input, nullptr);
        std::memcpy(input, other.data(), other.size());
        {
            AllocationFailure failing(succeed);
            opened = gw_open(0, uint32_t(other.size())) == 1;
        }
        if (opened) break;
        const View after = view_now();
        EXPECT_EQ(after.state, before.state);
        EXPECT_TRUE(after.rgba == before.rgba) << "the pixels changed";
    }
    EXPECT_TRUE(opened) << "the open never had enough";
    EXPECT_NE(view_now().state, before.state);
}
