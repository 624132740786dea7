// glyphora-shot run as a program: its exit codes, a message line naming the
// file and the reason for each failure, help and version on standard output,
// standard input and output as files, and a folder of art in one go where one
// bad file does not stop the rest.
#include <filesystem>
#include <map>

#include "tests/native/shot_support.h"

using namespace shot_support;

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
        {"--size 0x0 ART OUT", 2, "glyphora-shot: --size 0x0: a window has at least one column and one row", false},
        {"--size 80x0 ART OUT", 2, "glyphora-shot: --size 80x0: a window has at least one column and one row", false},
        {"--size 0x25 ART OUT", 2, "glyphora-shot: --size 0x25: a window has at least one column and one row", false},
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
    const ToolRun version = run_tool(files, "ART --version OUT", names);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_EQ(version.out, "glyphora-shot " GLYPHORA_VERSION "\n");
}

TEST(ShotTool, AWindowLargerThanTheFrameIsCutAndSaidSo) {
    TempFiles files;
    const std::string art = files.write(coloured_art(80, 40)), out = files.name(".png");
    const ToolRun r = run_tool(files, "--size 1000x1000 ART OUT", {{"ART", art}, {"OUT", out}});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "glyphora-shot: " + art + ": drew 1000x524 of the 1000x1000 cells asked for: "
                     "the viewer's frame holds at most 524288 cells (64 MiB)\n");
    EXPECT_EQ(size_of(read_png(out)), "8000x8384");
    const ToolRun fits = run_tool(files, "--size 1000x524 ART OUT", {{"ART", art}, {"OUT", out}});
    EXPECT_EQ(fits.code, 0);
    EXPECT_EQ(fits.err, "");
}

// "-" reads standard input and writes standard output; a FIFO is read to its
// end; a picture meant for standard output never lands on a terminal or over
// the art it is drawn from.
TEST(ShotTool, StandardStreamsAndFifos) {
    TempFiles files;
    const std::string art = files.write(coloured_art(80, 40)), out = files.name(".png"), fifo = files.name(".fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string tool = shell_quoted(tool_path()), a = shell_quoted(art), o = shell_quoted(out);
    const ToolRun direct = run_tool(files, "ART OUT", {{"ART", art}, {"OUT", out}});
    ASSERT_EQ(direct.code, 0);
    const Picture want = read_png(out);
    ASSERT_TRUE(want.ok);
    struct Case {
        std::string command;
        int code;
        std::string err;
        bool picture_on_output;
    } cases[] = {
        {"cat " + a + " | " + tool + " - - | cat", 0, "", true},
        {tool + " - - < " + a, 0, "", true},
        {"timeout 60 cat " + a + " > " + shell_quoted(fifo) + " & " + tool + " " + shell_quoted(fifo) + " -; wait", 0, "", true},
        {"cat " + a + " | " + tool + " --whole - " + o + " && cat " + o, 0, "", false},
        {tool + " " + a + " - >> " + a, 1, "glyphora-shot: cannot write -: it is " + art + " itself\n", false},
        {tool + " - " + a + " < " + a, 1, "glyphora-shot: cannot write " + art + ": it is - itself\n", false},
        {tool + " - - < /dev/null", 0, "", false},  // an empty piece: a blank window
    };
    const std::string art_bytes = slurp(art);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const ToolRun r = run_command(files, c.command);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err, c.err);
        if (c.picture_on_output) EXPECT_TRUE(png_from_bytes(r.out).rgb == want.rgb);
        else EXPECT_EQ(png_from_bytes(r.out).ok, c.code == 0);
        EXPECT_EQ(slurp(art), art_bytes) << "the art is untouched";
    }
    // script(1) gives the tool a terminal for its standard output.
    const ToolRun terminal = run_tool(files, "ART -", {{"ART", art}}, "script -qec");
    EXPECT_EQ(terminal.code, 2);
    EXPECT_NE(terminal.out.find("glyphora-shot: OUT is - (standard output), which is a terminal: redirect it to a "
                                "file or a program"), std::string::npos) << terminal.out;
    EXPECT_EQ(terminal.out.find("PNG"), std::string::npos) << "no picture on the terminal";
}

TEST(ShotTool, FolderGoesOnPastBadFiles) {
    TempFiles files;
    const std::string dir = files.folder();
    const std::string a = files.write(coloured_art(80, 30)), b = files.write("plain\nart\n", ".asc");
    const std::string empty = files.write(""), missing = files.name(".ans");
    // Files of the same name in other folders: the second of a name takes
    // NAME.EXT.png, a third has none left; a name only counts once written.
    const auto copy_elsewhere = [&](const std::string& from, const std::string& name_of) {
        const std::string copy = files.folder() + "/" + std::filesystem::path(name_of).filename().string();
        files.paths.push_back(copy);
        std::filesystem::copy_file(from, copy);
        return copy;
    };
    const std::string twin = copy_elsewhere(a, a), triplet = copy_elsewhere(a, a), art_named_empty = copy_elsewhere(b, empty);
    const auto picture = [&](const std::string& input, const char* tail) {
        return files.paths.emplace_back(dir + "/" + std::filesystem::path(input).stem().string() + tail);
    };
    const std::string out_a = picture(a, ".png"), out_b = picture(b, ".png"), out_twin = picture(a, ".ans.png"),
                      out_empty = picture(empty, ".png");
    const ToolRun r = run_tool(files, "--whole --out-dir DIR A MISSING B EMPTY TWIN TRIPLET ART_NAMED_EMPTY",
                               {{"DIR", dir}, {"A", a}, {"B", b}, {"MISSING", missing}, {"EMPTY", empty},
                                {"TWIN", twin}, {"TRIPLET", triplet}, {"ART_NAMED_EMPTY", art_named_empty}});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "glyphora-shot: cannot open " + missing + ": No such file or directory\n"
                     "glyphora-shot: " + empty + ": nothing to draw: the text is empty\n"
                     "glyphora-shot: cannot write " + out_twin + " for " + triplet + ": it is the picture of " + twin + "\n");
    EXPECT_EQ(size_of(read_png(out_a)), "640x480");
    EXPECT_EQ(size_of(read_png(out_b)), "40x32");
    EXPECT_TRUE(read_png(out_twin).rgb == read_png(out_a).rgb);
    EXPECT_EQ(size_of(read_png(out_empty)), "40x32");
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) made.push_back(entry.path().string());
    EXPECT_EQ(made.size(), 4u) << "only the four pictures";

    const ToolRun good = run_tool(files, "--out-dir DIR A B", {{"DIR", dir}, {"A", a}, {"B", b}});
    EXPECT_EQ(good.code, 0);
    EXPECT_EQ(good.err, "");
    const ToolRun no_dir = run_tool(files, "--out-dir DIR A", {{"DIR", a}, {"A", a}});
    EXPECT_EQ(no_dir.code, 1);
    EXPECT_EQ(no_dir.err, "glyphora-shot: cannot write into " + a + ": Not a directory\n");
}

TEST(ShotTool, SamplesFolderInOneRun) {
    TempFiles files;
    const std::string dir = files.folder(), samples = std::string(GLYPHORA_SOURCE_DIR) + "/samples/";
    const std::string ans = files.paths.emplace_back(dir + "/glyphora.png");
    const std::string asc = files.paths.emplace_back(dir + "/glyphora.asc.png");
    const ToolRun r = run_tool(files, "--whole --out-dir DIR ANS ASC",
                               {{"DIR", dir}, {"ANS", samples + "glyphora.ans"}, {"ASC", samples + "glyphora.asc"}});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    const Picture colour = read_png(ans), plain = read_png(asc);
    ASSERT_TRUE(colour.ok && plain.ok);
    EXPECT_GT(colour.colours().size(), 2u) << "the colour piece";
    EXPECT_EQ(plain.colours().size(), 2u) << "the plain piece: white on black";
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
    EXPECT_NE(shown.out.find("\r\x1b[K0/12 pieces"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\r\x1b[K12/12 pieces"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.rfind("\r\x1b[K"), std::string::npos);
    const ToolRun quiet = run_tool(files, "--out-dir DIR" + few, {{"DIR", dir}}, tty);
    EXPECT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.out.find("/3 pieces"), std::string::npos) << quiet.out;
    const ToolRun piped = run_tool(files, "--out-dir DIR" + many + few, {{"DIR", dir}});
    EXPECT_EQ(piped.err, "");
}
