// glyphora-shot run as a program: its exit codes, a message line naming the
// file and the reason for each failure, help on standard output, and a folder
// of art in one go where one bad file does not stop the rest.
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/native/shot_support.h"

using namespace shot_support;

namespace {

struct ToolRun {
    int code = -1;
    std::string out, err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The tool beside this test binary with `args` (words; $NAME replaced from `names`).
ToolRun run_tool(TempFiles& files, const std::string& args, const std::map<std::string, std::string>& names,
             const std::string& wrapper = "") {
    std::string command = "'" + (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "glyphora-shot").string() + "'";
    std::istringstream words(args);
    for (std::string w; words >> w;) command += " '" + (names.count(w) ? names.at(w) : w) + "'";
    const std::string out = files.name(".out"), err = files.name(".err");
    if (!wrapper.empty()) command = wrapper + " \"" + command + "\" /dev/null";
    const int raw = std::system((command + " </dev/null >'" + out + "' 2>'" + err + "'").c_str());
    return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

}  // namespace

TEST(ShotTool, ExitCodesAndMessages) {
    TempFiles files;
    const std::map<std::string, std::string> names{
        {"ART", files.write(coloured_art(80, 40))}, {"EMPTY", files.write("")}, {"DIR", files.folder()},
        {"OUT", files.name(".png")}, {"MISSING", "/nonexistent/art.ans"}, {"NOWHERE", "/nonexistent/out.png"},
        // Longer than the Windows program's 260-byte path buffers.
        {"LONG", files.write("long\n", std::string(230, 'n') + ".asc")}};
    const auto name = [&](const char* n) { return names.at(n); };
    const std::string usage_line = "usage: glyphora-shot [--size COLSxROWS | --whole | --thumbnail PX]";
    struct Case {
        const char* args;
        int code;
        std::string err;  // exact, or for usage errors the first line
        bool written;
    } cases[] = {
        {"ART OUT", 0, "", true},
        {"LONG OUT", 0, "", true},
        {"--whole --wrap ART OUT", 0, "", true},
        {"--thumbnail 128 ART OUT", 0, "", true},
        {"MISSING OUT", 1, "glyphora-shot: cannot open /nonexistent/art.ans: No such file or directory\n", false},
        {"DIR OUT", 1, "glyphora-shot: cannot open " + name("DIR") + ": Is a directory\n", false},
        {"ART NOWHERE", 1, "glyphora-shot: cannot write /nonexistent/out.png: No such file or directory\n", false},
        {"--whole EMPTY OUT", 1, "glyphora-shot: " + name("EMPTY") + ": nothing to draw: the text is empty\n", false},
        {"--size 125001x2 ART OUT", 1, "glyphora-shot: " + name("ART") +
             ": an image of 1000008 x 32 pixels is too large for PNG (at most 1000000 pixels a side)\n", false},
        {"", 2, "glyphora-shot: expected FILE OUT.png", false},
        {"--size 80 ART OUT", 2, "glyphora-shot: --size 80: expected COLSxROWS, such as 80x25", false},
        {"--whole --top 2 ART OUT", 2, "glyphora-shot: --top scrolls a window; --whole shows every row and column", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        std::remove(name("OUT").c_str());
        const ToolRun r = run_tool(files, c.args, names);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, "");
        if (c.code == 2) {
            EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
            EXPECT_NE(r.err.find("\n" + usage_line), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, c.err);
        }
        EXPECT_EQ(access(name("OUT").c_str(), F_OK) == 0, c.written);
    }
    const ToolRun help = run_tool(files, "--whole --help", names);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind(usage_line, 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Exit status: 0 every PNG was written, 1 a file could not be read or a PNG not\n"
                            "written, 2 a bad command line.\n"), std::string::npos) << help.out;
}

TEST(ShotTool, FolderGoesOnPastBadFiles) {
    TempFiles files;
    const std::string dir = files.folder(), other = files.folder();
    const std::string a = files.write(coloured_art(80, 30)), b = files.write("plain\nart\n", ".asc");
    const std::string twin = other + "/" + std::filesystem::path(a).filename().string();
    files.paths.push_back(twin);
    std::filesystem::copy_file(a, twin);
    const std::string empty = files.write(""), missing = files.name(".ans");
    const std::string out_a = dir + "/" + std::filesystem::path(a).stem().string() + ".png";
    const std::string out_b = dir + "/" + std::filesystem::path(b).stem().string() + ".png";
    files.paths.push_back(out_a);
    files.paths.push_back(out_b);
    const ToolRun r = run_tool(files, "--whole --out-dir DIR A MISSING B EMPTY TWIN",
                           {{"DIR", dir}, {"A", a}, {"B", b}, {"MISSING", missing}, {"EMPTY", empty}, {"TWIN", twin}});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "glyphora-shot: cannot open " + missing + ": No such file or directory\n"
                     "glyphora-shot: " + empty + ": nothing to draw: the text is empty\n"
                     "glyphora-shot: cannot write " + out_a + " for " + twin + ": it is the picture of " + a + "\n");
    EXPECT_EQ(size_of(read_png(out_a)), "640x480");
    EXPECT_EQ(size_of(read_png(out_b)), "40x32");
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) made.push_back(entry.path().string());
    EXPECT_EQ(made.size(), 2u) << "only the two pictures";

    const ToolRun good = run_tool(files, "--out-dir DIR A B", {{"DIR", dir}, {"A", a}, {"B", b}});
    EXPECT_EQ(good.code, 0);
    EXPECT_EQ(good.err, "");
    const ToolRun no_dir = run_tool(files, "--out-dir DIR A", {{"DIR", a}, {"A", a}});
    EXPECT_EQ(no_dir.code, 1);
    EXPECT_EQ(no_dir.err, "glyphora-shot: cannot write into " + a + ": Not a directory\n");
}

TEST(ShotTool, ProgressOnlyOnATerminalAndForManyFiles) {
    TempFiles files;
    const std::string dir = files.folder(), art = files.write("x\n");
    std::string many, few;
    for (int i = 0; i < 12; ++i) {
        const std::string link = dir + "/piece" + std::to_string(i) + ".asc";
        std::filesystem::create_symlink(art, link);
        files.paths.push_back(link);
        files.paths.push_back(dir + "/piece" + std::to_string(i) + ".png");
        (i < 3 ? few : many) += " " + link;
    }
    // script(1) gives the tool a terminal for its standard error (and keeps
    // no copy of the session: its file is /dev/null).
    const std::string tty = "script -qec";
    const ToolRun shown = run_tool(files, "--out-dir DIR" + many + few, {{"DIR", dir}}, tty);
    EXPECT_EQ(shown.code, 0);
    EXPECT_NE(shown.out.find("\r\x1b[K9/12 " + dir + "/piece0.asc"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.rfind("\r\x1b[K"), std::string::npos);
    const ToolRun quiet = run_tool(files, "--out-dir DIR" + few, {{"DIR", dir}}, tty);
    EXPECT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.out.find("/3 "), std::string::npos) << quiet.out;
    const ToolRun piped = run_tool(files, "--out-dir DIR" + many + few, {{"DIR", dir}});
    EXPECT_EQ(piped.err, "");
}
