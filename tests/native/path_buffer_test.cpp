// Where the Open dialog and drops put a path, and when what they left there
// is one.
#include "shell/path_buffer.h"

#include <cstring>
#include <string>

#include "platform/virtual_drop.h"

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

// The stand-in answers as Windows does, the cut-short copy included, so that
// the rule below is tried against what the real call hands over.
TEST(VirtualDrop, AnswersAsDragQueryFileADoes) {
    HDROP__ drop{{std::string(300, 'a'), "C:\\b.ans"}};
    char buffer[kPathSize];
    std::memset(buffer, 0xCD, sizeof buffer);
    EXPECT_EQ(DragQueryFileA(&drop, 0xFFFFFFFFu, nullptr, 0), 2u) << "the file count";
    EXPECT_EQ(DragQueryFileA(&drop, 0, nullptr, 0), 300u) << "the length, without the NUL";
    EXPECT_EQ(DragQueryFileA(&drop, 0, buffer, kPathSize), kPathSize - 1) << "what fits";
    EXPECT_EQ(std::string(buffer), std::string(kPathSize - 1, 'a')) << "cut short and ended";
    EXPECT_EQ(DragQueryFileA(&drop, 1, buffer, kPathSize), 8u);
    EXPECT_STREQ(buffer, "C:\\b.ans");
    EXPECT_EQ(DragQueryFileA(&drop, 2, buffer, kPathSize), 0u) << "no third file";
}

// A dropped path opens only when it fits the buffer with its NUL; a longer one
// opens nothing, as a cancelled dialog.
TEST(DroppedPath, OnlyAPathThatFitsWithItsNulIsOne) {
    for (const uint32_t length : {0u, 1u, 258u, 259u, 260u, 261u, 300u, 70000u}) {
        HDROP__ drop{{std::string(length, 'a'), "second.ans"}};
        char buffer[kPathSize];
        std::memset(buffer, 0xCD, sizeof buffer);
        const bool fits = length > 0 && length < kPathSize;
        EXPECT_EQ(dropped_path(&drop, buffer, kPathSize), fits ? buffer : nullptr) << length;
        if (fits) {
            EXPECT_EQ(std::string(buffer), drop.paths[0]) << length;
        }
    }
    HDROP__ empty;
    char buffer[kPathSize] = "left over";
    EXPECT_EQ(dropped_path(&empty, buffer, kPathSize), nullptr) << "a drop of no files";
    HDROP__ one{{"a.ans"}};
    EXPECT_EQ(dropped_path(&one, nullptr, kPathSize), nullptr) << "no buffer";
}

class PathBuffer : public ViewFixture {};

// The cut-short path names a file that exists: the drop must not open it.
TEST_F(PathBuffer, ADropTooLongForTheBufferOpensNothingEvenWhereItsCutShortPathIsAFile) {
    attach();
    const std::string folder = ::testing::TempDir();
    ASSERT_LT(folder.size() + 8, kPathSize - 1);
    const std::string fitting = folder + "glyphora_" + std::to_string(getpid()) + "_" +
                                std::string(kPathSize - 1 - folder.size() - 10 - std::to_string(getpid()).size(), 'p');
    ASSERT_EQ(fitting.size(), kPathSize - 1u);
    ASSERT_EQ(viewer.open(write_file("shown\n")), 1);
    std::FILE* f = std::fopen(fitting.c_str(), "wb");
    ASSERT_TRUE(f && std::fputs("\x1b[31mother\n", f) >= 0 && !std::fclose(f));
    for (const std::string& tail : {std::string("x"), std::string(".ans"), "/" + std::string(40, 'q')}) {
        HDROP__ drop{{fitting + tail}};
        EXPECT_EQ(viewer.open(dropped_path(&drop, reusable_path_buffer(viewer), kPathSize)), 0) << tail;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(viewer.cur_text), viewer.document->text_length), "shown\n");
    }
    HDROP__ drop{{fitting}};
    EXPECT_EQ(viewer.open(dropped_path(&drop, reusable_path_buffer(viewer), kPathSize)), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(viewer.cur_text), viewer.document->text_length), "other\n");
    std::remove(fitting.c_str());
}

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
