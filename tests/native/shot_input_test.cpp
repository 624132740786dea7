// The bytes a picture is drawn from: a file, a FIFO or standard input, each
// read to its end or cut at the limit asked for.
#include <fcntl.h>

#include <cstring>
#include <thread>

#include "platform/output_file.h"
#include "tests/native/shot_support.h"
#include "tools/shot/input_bytes.h"

using namespace shot_support;

namespace {

// `size` bytes that differ from their neighbours, so a cut in the wrong place shows.
std::string pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

std::string as_string(const InputBytes& input) {
    return std::string(reinterpret_cast<const char*>(input.bytes.get()), input.size);
}

}  // namespace

TEST(ShotInput, FilesFifosAndStandardInputToTheirEndOrTheLimit) {
    TempFiles files;
    // Past the first room a stream is given (64 KiB), so it has to grow.
    const std::string big = pattern(200000), small = pattern(1000);
    const std::string file = files.write(big), empty = files.write(""), fifo = files.name(".fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        const char* what;
        std::string name;     // "-": standard input, fed from a pipe
        std::string written;  // what a FIFO's or standard input's writer sends
        uint64_t limit;
        std::string want;
    } cases[] = {
        {"a file", file, "", kMaxFileSize, big},
        {"a file, cut", file, "", 5, big.substr(0, 5)},
        {"a file, none of it", file, "", 0, ""},
        {"an empty file", empty, "", kMaxFileSize, ""},
        {"a FIFO", fifo, big, kMaxFileSize, big},
        {"a FIFO, cut", fifo, small, 100, small.substr(0, 100)},
        {"a FIFO, cut past a room", fifo, big, 70000, big.substr(0, 70000)},
        {"an empty FIFO", fifo, "", kMaxFileSize, ""},
        {"standard input", "-", big, kMaxFileSize, big},
        {"standard input, cut", "-", small, 10, small.substr(0, 10)},
    };
    const int saved_input = dup(STDIN_FILENO);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool stream = c.name == "-" || c.name == fifo;
        int ends[2] = {-1, -1};
        if (c.name == "-") {
            ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
            ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
            close(ends[0]);
        }
        // A cut leaves the rest unread: the writer sends no more past the
        // limit than a pipe holds, so none of its writes waits for ever.
        std::thread writer;
        if (stream)
            writer = std::thread([&c, &ends] {
                const int fd = ends[1] >= 0 ? ends[1] : open(c.name.c_str(), O_WRONLY);
                const size_t sendable = size_t(std::min<uint64_t>(c.written.size(), c.limit + 4096));
                EXPECT_EQ(write(fd, c.written.data(), sendable), ssize_t(sendable));
                close(fd);
            });
        InputBytes input;
        std::string error;
        const bool read = read_input(c.name, c.limit, input, error);
        if (writer.joinable()) writer.join();
        if (c.name == "-") dup2(saved_input, STDIN_FILENO);
        ASSERT_TRUE(read) << error;
        EXPECT_TRUE(input.bytes != nullptr);
        EXPECT_EQ(input.size, c.want.size());
        EXPECT_TRUE(as_string(input) == c.want);
    }
    close(saved_input);
}

TEST(ShotInput, WhatCannotBeReadSaysWhy) {
    TempFiles files;
    const char* const cases[][2] = {
        {"/nonexistent/art.ans", "No such file or directory"},
        {"/", "Is a directory"},
    };
    for (const auto& c : cases) {
        InputBytes input;
        std::string error;
        EXPECT_FALSE(read_input(c[0], kMaxFileSize, input, error)) << c[0];
        EXPECT_EQ(error, c[1]);
        EXPECT_TRUE(input.bytes == nullptr && input.size == 0);
    }
    EXPECT_TRUE(is_standard_stream("-"));
    EXPECT_FALSE(is_standard_stream("./-"));
}
