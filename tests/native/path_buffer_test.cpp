// Where the Open dialog and drops put a path, and when what they left there
// is one.
#include "shell/path_buffer.h"

#include <cstring>

#include "tests/native/allocation_failure.h"
#include "tests/native/view_fixture.h"

TEST(ChosenPath, OnlyASuccessfulCallWithAnEndedPathGivesOne) {
    char too_small[kPathSize];  // FNERR_BUFFERTOOSMALL: the size needed, then whatever was there
    std::memset(too_small, 0xCD, sizeof too_small);
    too_small[0] = 0x2C, too_small[1] = 0x01;
    char unended[kPathSize];
    std::memset(unended, 'a', sizeof unended);
    char fine[kPathSize] = "C:\\art\\a.ans";
    char empty[kPathSize] = "";
    const struct { const char* what; uint32_t result; char* buffer; bool is_path; } cases[] = {
        {"cancelled", 0, empty, false},
        {"path too long for the buffer", 0, too_small, false},
        {"failed over a good-looking path", 0, fine, false},
        {"chosen", 1, fine, true},
        {"drop copied 12 characters", 12, fine, true},
        {"success but empty", 1, empty, false},
        {"success but no end in the buffer", 1, unended, false},
        {"no buffer", 1, nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chosen_path(c.result, c.buffer, kPathSize), c.is_path ? c.buffer : nullptr) << c.what;
    }
}

class PathBuffer : public ViewFixture {};

TEST_F(PathBuffer, EveryOpenReusesTheDocumentsOwnBufferAndAllocatesNoneForIt) {
    attach();
    const std::string art = "\x1b[33mart\n";
    char* const own = viewer.document->name_store.get();
    const char* real = write_file(art);
    const std::string missing = missing_file();
    uint64_t per_load = 0;
    for (int i = 0; i < 1000; ++i) {
        char* buffer = reusable_path_buffer(viewer);
        ASSERT_EQ(buffer, own);
        ASSERT_EQ(std::string(buffer, kPathSize), std::string(kPathSize, '\0'));
        const bool fails = i % 2;
        std::strcpy(buffer, fails ? missing.c_str() : real);
        const uint64_t allocated = array_allocations();
        ASSERT_EQ(viewer.open(chosen_path(1, buffer, kPathSize)), fails ? 0 : 1);
        ASSERT_EQ(viewer.document->file_name, own);
        // Each load takes the same buffers for the same file; a failed one none.
        const uint64_t taken = array_allocations() - allocated;
        if (i == 0) per_load = taken;
        ASSERT_EQ(taken, fails ? 0u : per_load) << i;
    }
}
