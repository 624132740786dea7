// What a run may not do with what it was given: replace a file it reads,
// whatever the order of the files; show a file name's control bytes raw;
// take a stream past the viewer's limit; wait on a FIFO for a thumbnail.
#include <fcntl.h>
#include <signal.h>

#include <chrono>
#include <future>

#include "tests/native/shot_support.h"
#include "tools/shot/input_bytes.h"

using namespace shot_support;

TEST(ShotBatch, NoPictureReplacesAnInputOfTheRun) {
    struct Case {
        const char* what;
        std::vector<std::string> inputs;  // in DIR; "=NAME" is a name made a hard link, "@NAME" a symlink, to kept.bin
        std::string message;              // what the tool says, DIR for the folder
    } cases[] = {
        {"the art, then its PNG", {"logo.ans", "logo.png"},
         "cannot write DIR/logo.png for DIR/logo.ans: it is DIR/logo.png, an input of this run"},
        {"the PNG, then the art", {"logo.png", "logo.ans"},
         "cannot write DIR/logo.png for DIR/logo.ans: it is DIR/logo.png, an input of this run"},
        {"the picture's name a hard link to an input", {"logo.ans", "kept.bin", "=logo.png"},
         "cannot write DIR/logo.png for DIR/logo.ans: it is DIR/kept.bin, an input of this run"},
        {"the picture's name a symlink to an input", {"kept.bin", "logo.ans", "@logo.png"},
         "cannot write DIR/logo.png for DIR/logo.ans: it is DIR/kept.bin, an input of this run"},
        {"an input named by another path", {"logo.ans", "./sub/../logo.png"},
         "cannot write DIR/logo.png for DIR/logo.ans: it is DIR/./sub/../logo.png, an input of this run"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFiles files;
        const std::string dir = files.folder();
        const auto in_dir = [&](const std::string& name) { return files.paths.emplace_back(dir + "/" + name); };
        const std::string kept_bytes = "\x89PNG bytes of the person's own";
        std::ofstream(in_dir("kept.bin")) << kept_bytes;
        std::ofstream(in_dir("logo.png")) << kept_bytes;
        std::ofstream(in_dir("logo.ans")) << coloured_art(20, 4);
        mkdir(in_dir("sub").c_str(), 0755);
        std::string args = "--out-dir " + dir;
        for (const std::string& input : c.inputs) {
            if (input[0] == '=' || input[0] == '@') {
                const std::string name = in_dir(input.substr(1));
                std::remove(name.c_str());
                if (input[0] == '=') link((dir + "/kept.bin").c_str(), name.c_str());
                else symlink("kept.bin", name.c_str());
                continue;
            }
            args += " " + dir + "/" + input;
        }
        in_dir("logo.png.png");
        in_dir("kept.png");
        const ToolRun r = run_tool(files, args, {});
        std::string message = c.message;
        for (size_t at; (at = message.find("DIR")) != std::string::npos;) message.replace(at, 3, dir);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("glyphora-shot: " + message + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(slurp(dir + "/kept.bin"), kept_bytes);
        EXPECT_EQ(slurp(dir + "/logo.png"), kept_bytes);
        EXPECT_EQ(access((dir + "/logo.png.png").c_str(), F_OK), -1) << "a picture drawn from a picture";
    }
}

TEST(ShotTool, FileNamesAreShownWithTheirControlBytesWrittenOut) {
    TempFiles files;
    const std::string dir = files.folder();
    const std::string clipboard = "\x1b]52;c;cHduZWQ=\x07", title = "\x1b]0;owned\x9c";
    // A missing file and a file the tool cannot draw, each named to set the
    // clipboard or the title.
    const std::string missing = dir + "/" + clipboard + ".ans", empty = files.paths.emplace_back(dir + "/" + title);
    std::ofstream(empty) << "";
    const ToolRun single = run_tool(files, "MISSING OUT", {{"MISSING", missing}, {"OUT", dir + "/out.png"}});
    EXPECT_EQ(single.err, "glyphora-shot: cannot open " + dir +
                              "/\\e]52;c;cHduZWQ=\\x07.ans: No such file or directory\n");
    std::string args = "--whole --out-dir DIR MISSING EMPTY";
    for (int i = 0; i < 10; ++i) args += " MISSING";
    const ToolRun batch = run_tool(files, args, {{"DIR", dir}, {"MISSING", missing}, {"EMPTY", empty}}, "script -qec");
    EXPECT_EQ(batch.code, 1);
    EXPECT_NE(batch.out.find(dir + "/\\e]0;owned\\x9c: nothing to draw"), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("2/12 pieces"), std::string::npos) << "the progress line";
    // The only ESC left is the progress line's own erase.
    std::string rest = batch.out;
    for (size_t at; (at = rest.find("\x1b[K")) != std::string::npos;) rest.erase(at, 3);
    EXPECT_EQ(rest.find_first_of("\x1b\x07"), std::string::npos) << rest;
    const ToolRun option = run_tool(files, "--size=\x1b]0;x\x07 A B", {});
    EXPECT_EQ(option.err.find_first_of("\x1b\x07"), std::string::npos) << option.err;
}

// A stream is held to the same largest size as a file: one byte past it is
// refused, and that byte is the most read; a thumbnail reads only a file.
TEST(ShotInput, StreamsAreHeldToTheLargestSize) {
    TempFiles files;
    const std::string fifo = files.name(".fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string largest_message = "larger than the viewer's limit of 70000 bytes";
    struct Case {
        const char* what;
        std::string name;  // "-" standard input
        size_t written;
        bool read;
    } cases[] = {
        {"standard input at the largest", "-", 70000, true},
        {"standard input a byte past it", "-", 70001, false},
        {"standard input far past it", "-", 1 << 20, false},
        {"a FIFO at the largest", fifo, 70000, true},
        {"a FIFO a byte past it", fifo, 70001, false},
    };
    const int saved_input = dup(STDIN_FILENO);
    const auto saved_pipe = signal(SIGPIPE, SIG_IGN);  // the writer's last write fails instead
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int ends[2] = {-1, -1};
        if (c.name == "-") {
            ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
            ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
            close(ends[0]);
        }
        // What the reader leaves unread is taken by nobody: the writer stops
        // at the closed end instead of waiting.
        std::thread writer([&c, &ends] {
            const int fd = ends[1] >= 0 ? ends[1] : open(c.name.c_str(), O_WRONLY);
            const std::string bytes(c.written, 'x');
            for (size_t sent = 0; sent < bytes.size();) {
                const ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
                if (n <= 0) break;
                sent += size_t(n);
            }
            close(fd);
        });
        InputRules rules;
        rules.largest = 70000;
        InputBytes input;
        std::string error;
        const bool read = read_input(c.name, rules.largest, input, error, rules);
        if (c.name == "-") close(STDIN_FILENO);
        writer.join();
        if (c.name == "-") dup2(saved_input, STDIN_FILENO);
        EXPECT_EQ(read, c.read) << error;
        EXPECT_EQ(input.size, c.read ? c.written : 0);
        EXPECT_EQ(error, c.read ? "" : largest_message);
    }
    signal(SIGPIPE, saved_pipe);
    close(saved_input);
}

TEST(ShotTool, AThumbnailOfAFifoOrDeviceIsRefusedAtOnce) {
    TempFiles files;
    const std::string fifo = files.name(".fifo"), out = files.name(".png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& named : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(named);
        const auto started = std::chrono::steady_clock::now();
        const ToolRun r = run_command(files, "timeout -s KILL 20 " + shell_quoted(tool_path()) + " --thumbnail 128 " +
                                                 shell_quoted(named) + " " + shell_quoted(out));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "glyphora-shot: cannot open " + named + ": not a regular file: a thumbnail is drawn only from a file\n");
        EXPECT_EQ(access(out.c_str(), F_OK), -1);
    }
    // Standard input is still read, as far as the thumbnail needs.
    const ToolRun piped = run_command(files, "(head -c 100000000 /dev/zero | tr '\\0' x; true) | " + shell_quoted(tool_path()) +
                                                 " --thumbnail 128 - " + shell_quoted(out));
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_TRUE(read_png(out).ok);
}
