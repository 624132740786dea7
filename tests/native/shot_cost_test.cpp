// What glyphora-shot costs on small hostile files, measured on the program
// itself in a child process: its peak memory stays bounded whatever the file
// asks for, and a thumbnail finishes far inside a CPU limit that the same
// files once took minutes or hours to reach.
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>

#include "tests/native/shot_support.h"

using namespace shot_support;

namespace {

// The sanitizers' shadow memory and quarantine come on top of the program's own.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakKiB = 128 << 10;
#else
constexpr long kPeakKiB = 64 << 10;
#endif
// Far above what any of these files takes now (milliseconds), far below what
// they took when a thumbnail composed everything the piece asked for.
constexpr rlim_t kCpuSeconds = 20;

struct Cost {
    int code = -1;       // exit status, or -1 when killed (by the CPU limit)
    long peak_kib = 0;   // peak resident memory
};

Cost run_shot(const std::vector<std::string>& args) {
    const std::string tool =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "glyphora-shot").string();
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
        setrlimit(RLIMIT_CPU, &cpu);
        std::freopen("/dev/null", "w", stderr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    Cost cost;
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return cost;
    cost.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    cost.peak_kib = usage.ru_maxrss;
    return cost;
}

std::string repeated(const std::string& piece, size_t bytes) {
    std::string text;
    while (text.size() + piece.size() <= bytes) text += piece;
    return text;
}

}  // namespace

TEST(ShotCost, HostileFilesStayBounded) {
    TempFiles files;
    const std::string far_right = files.write("\x1b[2000000000C");  // 13 bytes
    const std::string small = files.write(repeated("\x1b[255C", 1024));
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> options;
        int code;
    } cases[] = {
        {"10,000 columns forward, 5,000 line ends", files.write("\x1b[10000C" + std::string(5000, '\n')),
         {"--thumbnail", "256"}, 0},
        {"10,000 characters, 5,000 line ends", files.write(std::string(10000, 'x') + std::string(5000, '\n'), ".asc"),
         {"--thumbnail", "256"}, 0},
        {"524,288 columns forward, 262,144 line ends",
         files.write("\x1b[524288C" + std::string(262144, '\n')), {"--thumbnail", "256"}, 0},
        {"2,000,000,000 columns forward", far_right, {"--thumbnail", "256"}, 0},
        {"255 columns forward, again to 1 MiB", files.write(repeated("\x1b[255C", 1 << 20)),
         {"--thumbnail", "256"}, 0},
        {"13 bytes, wrapped thumbnail", far_right, {"--thumbnail", "256", "--wrap"}, 0},
        {"13 bytes, whole (too wide for PNG)", far_right, {"--whole"}, 1},
        {"13 bytes, whole and wrapped", far_right, {"--whole", "--wrap"}, 0},
        {"13 bytes, wrapped", far_right, {"--wrap"}, 0},
        {"13 bytes, 300x200", far_right, {"--size", "300x200"}, 0},
        {"13 bytes, start view", far_right, {}, 0},
        {"1 KiB, whole", small, {"--whole"}, 0},
        {"1 KiB, 300x200", small, {"--size", "300x200"}, 0},
        // The standard reading: moves that would reach a billion rows, and
        // storms of clears, moves and saves, cost what any file of their size does.
        {"standard: a billion rows down, whole", files.write("A\x1b[999999999BX"), {"--standard", "--whole"}, 0},
        {"standard: the furthest place, thumbnail", files.write("A\x1b[999999999;999999999HX"),
         {"--standard", "--thumbnail", "256"}, 0},
        // Its rows spend the screen's blanks, and the last clear leaves nothing to draw.
        {"standard: 2J storm, whole", files.write(repeated("\x1b[9999BX\x1b[2J", 1 << 20)), {"--standard", "--whole"}, 1},
        {"standard: up and down storm, whole", files.write(repeated("\x1b[5000BX\x1b[5000A", 1 << 20)),
         {"--standard", "--whole"}, 0},
        {"standard: s/u storm, whole", files.write(repeated("\x1b[900BX\x1b[s\x1b[u\x1b[H", 1 << 20)),
         {"--standard", "--whole"}, 0},
        // The X lies below the rows a thumbnail reads, and below the rows a
        // file of this size may make: nothing to draw either way.
        {"standard: line feeds on 4096 columns, thumbnail", files.write(std::string(1 << 20, '\n') + "X"),
         {"--standard", "--columns", "4096", "--thumbnail", "256"}, 1},
        {"standard: line feeds on 4096 columns, whole", files.write(std::string(1 << 20, '\n') + "X"),
         {"--standard", "--columns", "4096", "--whole"}, 1},
        {"standard: a full 4096-column screen, thumbnail", files.write(repeated(repeated("\x1b[44mX", 30000) + "\r\n", 1 << 22)),
         {"--standard", "--columns", "4096", "--thumbnail", "256"}, 0},
        {"standard: 255 columns forward to 1 MiB, thumbnail", files.write(repeated("\x1b[255CX", 1 << 20)),
         {"--standard", "--thumbnail", "256"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.options;
        args.push_back(c.file);
        args.push_back(files.name(".png"));
        const Cost cost = run_shot(args);
        EXPECT_EQ(cost.code, c.code) << "-1: killed at " << kCpuSeconds << " s of CPU";
        EXPECT_LE(cost.peak_kib, kPeakKiB);
    }
}
