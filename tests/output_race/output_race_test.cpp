// OUT's name changed at the worst moment, every time: this program is linked
// with --wrap=open,--wrap=stat, so each call the output code makes to look at
// or open OUT's link comes here first, and the link is swapped between a
// character device and a block device right after each look. Whatever the
// order of its steps, a block device must never be opened for writing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/output_file.h"

extern "C" int __real_open(const char* path, int flags, ...);
extern "C" int __real_stat(const char* path, struct stat* st);

namespace {

std::string g_link, g_char_node, g_block_node;
bool g_block_opened_for_writing = false;

// After each look at the link it leads to the other node.
void swap_after_look(const char* path) {
    if (g_link.empty() || g_link != path) return;
    char target[4096];
    const ssize_t length = readlink(g_link.c_str(), target, sizeof target - 1);
    const bool at_char = length > 0 && std::string(target, size_t(length)) == g_char_node;
    const std::string swapped = g_link + ".new";
    symlink((at_char ? g_block_node : g_char_node).c_str(), swapped.c_str());
    rename(swapped.c_str(), g_link.c_str());
}

}  // namespace

extern "C" int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    struct stat st {};
    if ((flags & O_ACCMODE) != O_RDONLY && !(flags & O_PATH) && __real_stat(path, &st) == 0 && S_ISBLK(st.st_mode))
        g_block_opened_for_writing = true;
    const int fd = __real_open(path, flags, mode);
    swap_after_look(path);
    return fd;
}

extern "C" int __wrap_stat(const char* path, struct stat* st) {
    const int result = __real_stat(path, st);
    swap_after_look(path);
    return result;
}

TEST(OutputRace, ABlockDeviceSwappedInIsNeverOpenedForWriting) {
    const std::string dir = ::testing::TempDir() + "glyphora_race_" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    g_char_node = dir + "/null";
    g_block_node = dir + "/block";
    ASSERT_EQ(mknod(g_char_node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0)
        << std::strerror(errno) << ": the tests run as root";
    ASSERT_EQ(mknod(g_block_node.c_str(), S_IFBLK | 0600, makedev(7, 250)), 0) << std::strerror(errno);
    for (const std::string& first : {g_char_node, g_block_node}) {
        SCOPED_TRACE("the link at first to " + first);
        const std::string link = dir + "/out.png";
        unlink(link.c_str());
        ASSERT_EQ(symlink(first.c_str(), link.c_str()), 0);
        g_block_opened_for_writing = false;
        g_link = link;
        OutputFile out;
        std::string error;
        const bool opened = open_output(link.c_str(), out, error);
        g_link.clear();
        if (opened) {
            struct stat st {};
            EXPECT_EQ(fstat(out.fd, &st), 0);
            EXPECT_TRUE(S_ISCHR(st.st_mode)) << "what was opened is what was checked";
            EXPECT_TRUE(write_output(out, "x", 1));
            EXPECT_TRUE(finish_output(out, error)) << error;
        } else {
            EXPECT_EQ(error, "not a file, a FIFO or a character device");
        }
        EXPECT_FALSE(g_block_opened_for_writing);
        unlink(link.c_str());
    }
    for (const std::string& node : {g_char_node, g_block_node}) unlink(node.c_str());
    rmdir(dir.c_str());
}
