// Where a picture is written: a file or a new name replaced whole through a
// temporary made only once the picture is ready, a symlink's target (the link
// kept), FIFOs, devices and pipes straight through; nothing left behind by a
// failure or by SIGINT and SIGTERM.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/resource.h>
#include <sys/un.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/png_image.h"
#include "tests/native/shot_support.h"
#include "tools/shot/shot_render.h"

using namespace shot_support;

namespace {

// The temporaries in `folder`.
std::vector<std::string> temporaries(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".glyphora-shot-", 0) == 0) found.push_back(entry.path());
    return found;
}

// Reads a FIFO or pipe to its end on a thread of its own: `fd`, or the FIFO
// at `path` (whose open waits for a writer).
class Reader {
public:
    explicit Reader(int fd) : thread_([this, fd] { read_all(fd); }) {}
    explicit Reader(const std::string& path) : thread_([this, path] { read_all(open(path.c_str(), O_RDONLY)); }) {}
    std::string finish() {
        thread_.join();
        return bytes_;
    }

private:
    void read_all(int fd) {
        char chunk[4096];
        for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;) bytes_.append(chunk, size_t(got));
        close(fd);
    }
    std::string bytes_;
    std::thread thread_;
};

mode_t mode_of(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// Rows of a small picture, one of which may fail; each asks whether a
// temporary exists yet in `folder` as it is made.
struct Rows {
    uint32_t failing_row = UINT32_MAX;
    std::string taken_by_folder;  // made a folder (not empty) at row 3, so the rename fails
    std::string folder;
    std::vector<bool> temporary_seen;
    std::vector<uint8_t> row = std::vector<uint8_t>(16);

    static const uint8_t* make(void* context, uint32_t y) {
        Rows& r = *static_cast<Rows*>(context);
        if (!r.folder.empty()) r.temporary_seen.push_back(!temporaries(r.folder).empty());
        if (y == r.failing_row) return nullptr;
        if (y == 3 && !r.taken_by_folder.empty()) {
            mkdir(r.taken_by_folder.c_str(), 0755);
            std::ofstream(r.taken_by_folder + "/inside") << "x";
        }
        for (uint32_t x = 0; x < r.row.size(); ++x) r.row[x] = uint8_t((x + y) % 2 ? 15 : 1);
        return r.row.data();
    }
};

// The status of process `pid` once it ends, or after `limit` of waiting, when
// it is killed: a test of a run that hangs fails instead of hanging too.
int end_within(pid_t pid, std::chrono::seconds limit) {
    const auto give_up = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < give_up) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return status;
}

bool write_rows(const std::string& out, Rows& rows, std::string& error) {
    RGBQUAD colours[256] = {};
    colours[15] = RGBQUAD{255, 255, 255, 0};
    UsedIndices used;
    const uint8_t both[] = {1, 15};
    mark_used_indices(both, 2, used);
    return write_palette_png(out.c_str(), PngRows{16, 20, Rows::make, &rows}, fold_palette(colours, used),
                             PngCompression(), error);
}

}  // namespace

TEST(ShotOutput, FilesAreReplacedWholeAndLinksKept) {
    TempFiles files;
    const std::string art = files.write(coloured_art(30, 10));
    const std::string dir = files.folder();
    const auto in_dir = [&](const std::string& name) { return files.paths.emplace_back(dir + "/" + name); };
    const auto old_file = [&](const std::string& name, mode_t mode) {
        const std::string path = in_dir(name);
        std::ofstream(path) << "old";
        chmod(path.c_str(), mode);
        return path;
    };
    const mode_t mask = umask(0);
    umask(mask);
    struct Case {
        const char* what;
        std::string out;      // given as OUT
        std::string written;  // the file that holds the picture after
        mode_t mode;
        std::string link;     // OUT's link text, which stays
    };
    std::vector<Case> cases;
    cases.push_back({"a new name", in_dir("new.png"), dir + "/new.png", 0666 & ~mask, ""});
    cases.push_back({"a file, its mode kept", old_file("old.png", 0640), dir + "/old.png", 0640, ""});
    const std::string target = old_file("target.png", 0604);
    symlink(target.c_str(), in_dir("absolute.png").c_str());
    cases.push_back({"a link to a file", dir + "/absolute.png", target, 0604, target});
    const std::string chained = old_file("chained.png", 0600);
    symlink("chained.png", in_dir("step.png").c_str());
    symlink("step.png", in_dir("relative.png").c_str());
    cases.push_back({"links in a chain, relative", dir + "/relative.png", chained, 0600, "step.png"});
    symlink("later.png", in_dir("dangling.png").c_str());
    cases.push_back({"a link to no file yet", dir + "/dangling.png", in_dir("later.png"), 0666 & ~mask, "later.png"});
    // With a name this long, any temporary named after OUT would be too long.
    const std::string longest = in_dir(std::string(251, 'n') + ".png");
    cases.push_back({"a 255-byte name", longest, longest, 0666 & ~mask, ""});
    ASSERT_EQ(std::filesystem::path(longest).filename().string().size(), 255u);

    const Picture want = window_picture(art, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        ASSERT_TRUE(render_shot(ShotRequest(), art, c.out, error)) << error;
        const Picture got = read_png(c.written);
        EXPECT_TRUE(got.ok && got.rgb == want.rgb);
        EXPECT_TRUE(S_ISREG(mode_of(c.written)));
        EXPECT_EQ(mode_of(c.written) & 07777, c.mode);
        if (!c.link.empty()) {
            EXPECT_TRUE(S_ISLNK(mode_of(c.out)));
            EXPECT_EQ(std::filesystem::read_symlink(c.out).string(), c.link);
        }
        EXPECT_TRUE(temporaries(dir).empty());
    }
}

TEST(ShotOutput, FifosDevicesAndPipesAreWrittenStraightThrough) {
    TempFiles files;
    const std::string art = files.write(coloured_art(30, 10));
    const std::string dir = files.folder();
    const Picture want = window_picture(art, 0, 0);
    std::string error;

    const std::string fifo = files.paths.emplace_back(dir + "/fifo.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Reader fifo_reader(fifo);
    const bool written = render_shot(ShotRequest(), art, fifo, error);
    if (!written) close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // the reader waits no longer
    EXPECT_TRUE(written) << error;
    EXPECT_TRUE(png_from_bytes(fifo_reader.finish()).rgb == want.rgb);
    EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));

    // A pipe through a link only the system can follow, as /dev/stdout is.
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    Reader pipe_reader(ends[0]);
    EXPECT_TRUE(render_shot(ShotRequest(), art, "/proc/self/fd/" + std::to_string(ends[1]), error)) << error;
    close(ends[1]);
    EXPECT_TRUE(png_from_bytes(pipe_reader.finish()).rgb == want.rgb);

    // A file through such a link, as /dev/stdout is in a shell's `>> log`:
    // written into where it is, as cat writes it, so that what the shell
    // writes after lands in the log too, not in a file no name leads to.
    const std::string log = files.paths.emplace_back(dir + "/log");
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_GE(log_fd, 0);
    ASSERT_EQ(write(log_fd, "before", 6), 6);
    struct stat log_before {}, log_after {};
    ASSERT_EQ(fstat(log_fd, &log_before), 0);
    EXPECT_TRUE(render_shot(ShotRequest(), art, "/proc/self/fd/" + std::to_string(log_fd), error)) << error;
    ASSERT_EQ(write(log_fd, "after", 5), 5);
    close(log_fd);
    ASSERT_EQ(lstat(log.c_str(), &log_after), 0);
    EXPECT_EQ(log_after.st_ino, log_before.st_ino) << "the log was replaced";
    std::stringstream logged;
    logged << std::ifstream(log, std::ios::binary).rdbuf();
    const std::string log_bytes = logged.str();
    ASSERT_GT(log_bytes.size(), 5u);
    EXPECT_EQ(log_bytes.substr(log_bytes.size() - 5), "after");
    EXPECT_TRUE(png_from_bytes(log_bytes.substr(0, log_bytes.size() - 5)).rgb == want.rgb);
    EXPECT_TRUE(temporaries(dir).empty());

    // A character device: first a stand-in for /dev/null in the test's own
    // folder, so that a fault replaces only that, then /dev/null itself.
    const std::string null_node = files.paths.emplace_back(dir + "/null");
    ASSERT_EQ(mknod(null_node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0)
        << std::strerror(errno) << ": the tests run as root";
    for (const std::string& device : {null_node, std::string("/dev/null")}) {
        SCOPED_TRACE(device);
        struct stat before {}, st {};
        ASSERT_EQ(lstat(device.c_str(), &before), 0);
        ASSERT_TRUE(render_shot(ShotRequest(), art, device, error)) << error;
        ASSERT_EQ(lstat(device.c_str(), &st), 0);
        ASSERT_TRUE(S_ISCHR(st.st_mode)) << "no longer a character device";
        EXPECT_EQ(st.st_rdev, makedev(1, 3));
        EXPECT_EQ(st.st_mode, before.st_mode);
        EXPECT_EQ(st.st_ino, before.st_ino);
        ASSERT_TRUE(temporaries(dir).empty());
    }
    EXPECT_TRUE(temporaries("/dev").empty());
}

TEST(ShotOutput, TheTemporaryComesWithTheFirstRowAndGoesOnFailure) {
    TempFiles files;
    const std::string dir = files.folder();
    const auto in_dir = [&](const std::string& name) { return files.paths.emplace_back(dir + "/" + name); };
    const std::string old = in_dir("old.png");
    std::ofstream(old) << "old";
    std::string error;
    Rows watched;
    watched.folder = dir;
    const std::string fresh = in_dir("fresh.png");
    ASSERT_TRUE(write_rows(fresh, watched, error)) << error;
    std::vector<bool> seen(20, true);
    seen[0] = false;
    EXPECT_EQ(watched.temporary_seen, seen) << "none while the first row is made, one from then on";
    std::remove(fresh.c_str());

    const std::string socket_path = in_dir("socket.png");
    const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socket_path.c_str());
    ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    symlink("loop.png", in_dir("loop.png").c_str());
    const std::string block = in_dir("block.png");
    ASSERT_EQ(mknod(block.c_str(), S_IFBLK | 0600, makedev(7, 250)), 0) << std::strerror(errno);
    symlink("block.png", in_dir("to-block.png").c_str());
    const std::string taken = in_dir("taken.png");
    files.paths.push_back(taken + "/inside");
    struct Case {
        const char* what;
        std::string out;
        uint32_t failing_row;
        std::string error;
        std::string taken_by_folder = "";
    } cases[] = {
        {"no first row", fresh, 0, "out of memory for its pixels"},
        {"a later row", fresh, 7, "out of memory for its pixels"},
        {"a later row, over a file", old, 7, "out of memory for its pixels"},
        {"a folder", dir, UINT32_MAX, "Is a directory"},
        {"a socket", socket_path, UINT32_MAX, "not a file, a FIFO or a character device"},
        {"a missing folder", dir + "/missing/out.png", UINT32_MAX, "No such file or directory"},
        {"a link to itself", dir + "/loop.png", UINT32_MAX, "Too many levels of symbolic links"},
        {"a block device", block, UINT32_MAX, "not a file, a FIFO or a character device"},
        {"a link to a block device", dir + "/to-block.png", UINT32_MAX, "not a file, a FIFO or a character device"},
        {"the rename over a folder made meanwhile", taken, UINT32_MAX, "Is a directory", taken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rows rows;
        rows.failing_row = c.failing_row;
        rows.taken_by_folder = c.taken_by_folder;
        EXPECT_FALSE(write_rows(c.out, rows, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(temporaries(dir).empty());
        EXPECT_EQ(access(fresh.c_str(), F_OK), -1) << "no new file";
        EXPECT_EQ(slurp(old), "old");
        EXPECT_TRUE(S_ISBLK(mode_of(block)));
    }
    close(listening);
}

// Writing is tried as the person running the tool: a file they may not
// write is neither written into nor replaced, even in a folder they may
// write. Root may write anything, so a child plays the user nobody.
TEST(ShotOutput, AFileTheUserMayNotWriteStays) {
    TempFiles files;
    const std::string dir = files.folder();
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    const std::string read_only = files.paths.emplace_back(dir + "/read-only.png");
    std::ofstream(read_only) << "old";
    ASSERT_EQ(chown(read_only.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error = "could not become nobody";
        Rows rows;
        if (setgid(65534) == 0 && setuid(65534) == 0 && !write_rows(read_only, rows, error) && error.empty())
            error = "no reason";
        else if (error.empty())
            error = "written";
        [[maybe_unused]] const ssize_t said = write(report[1], error.data(), error.size());
        _exit(0);
    }
    close(report[1]);
    std::string said;
    char chunk[256];
    for (ssize_t got; (got = read(report[0], chunk, sizeof chunk)) > 0;) said.append(chunk, size_t(got));
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(said, "Permission denied");
    EXPECT_EQ(slurp(read_only), "old");
    EXPECT_EQ(mode_of(read_only) & 07777, 0444u);
    EXPECT_TRUE(temporaries(dir).empty());
}

// The tool stopped by a signal that ends a program (one that can be caught)
// while it writes a large picture ends by that signal, and takes its
// temporary with it.
TEST(ShotOutput, AStoppedRunLeavesNoTemporary) {
    TempFiles files;
    const std::string dir = files.folder();
    std::string lines;
    for (int i = 0; i < 2000; ++i) lines += std::string(1000, 'x') + "\n";
    const std::string art = files.write(lines, ".asc");
    const std::string out = files.paths.emplace_back(dir + "/whole.png");
    std::ofstream(out) << "old";
    const std::string tool = tool_path();
    // SIGXFSZ also as a file size limit sends it; SIGKILL cannot be caught.
    const int ending[] = {SIGHUP, SIGINT,  SIGQUIT, SIGTERM, SIGPIPE,   SIGALRM,  SIGXCPU,
                          SIGXFSZ, SIGUSR1, SIGUSR2, SIGVTALRM, SIGRTMIN, SIGRTMAX};
    for (int signal_number : ending) {
        SCOPED_TRACE(strsignal(signal_number));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;  // as a shell's background job may start with SIGINT ignored
        sigemptyset(&defaults);
        for (int each : ending) sigaddset(&defaults, each);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const char* argv[] = {tool.c_str(), "--whole", art.c_str(), out.c_str(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, tool.c_str(), &actions, &attributes, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        int status = 0;
        bool stopped = false, ended = false;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!stopped && !ended && std::chrono::steady_clock::now() < give_up) {
            if (!temporaries(dir).empty())
                stopped = kill(pid, signal_number) == 0;
            else if (waitpid(pid, &status, WNOHANG) == pid)
                ended = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // A handler that never lets the signal end the program would keep
        // it running: it is given a few seconds, then killed.
        if (!ended) status = end_within(pid, std::chrono::seconds(5));
        ASSERT_TRUE(stopped) << "the temporary never showed";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << "status " << status;
        EXPECT_TRUE(temporaries(dir).empty());
        EXPECT_EQ(slurp(out), "old");
    }
}

// A file size limit (ulimit -f) reached while the picture is written: the
// system's SIGXFSZ ends the tool, and its temporary goes with it.
TEST(ShotOutput, AFileSizeLimitLeavesNoTemporary) {
    TempFiles files;
    const std::string dir = files.folder();
    const std::string art = files.write(coloured_art(160, 400));
    const std::string out = files.paths.emplace_back(dir + "/limited.png");
    std::ofstream(out) << "old";
    const std::string tool = tool_path();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        const int quiet = open("/dev/null", O_RDWR);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || dup2(quiet, 1) < 0 || dup2(quiet, 2) < 0) _exit(120);
        execl(tool.c_str(), tool.c_str(), "--whole", art.c_str(), out.c_str(), static_cast<char*>(nullptr));
        _exit(121);
    }
    const int status = end_within(pid, std::chrono::seconds(30));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    EXPECT_TRUE(temporaries(dir).empty());
    EXPECT_EQ(slurp(out), "old");
}
