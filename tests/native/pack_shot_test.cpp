// glyphora-shot on packs: each member's picture is its extracted file's, no
// name writes outside DIR/PACK, hostile packs are bounded and explained, and
// any number of jobs gives the same pictures and messages.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "pack_support.h"
#include "tools/shot/pack_batch.h"

namespace {

using namespace shot_support;
using namespace pack_support;

// A run's peak memory on any pack; the sanitizers' shadow memory and
// quarantine come on top of the program's own.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakKiB = 512 << 10;
#else
constexpr long kPeakKiB = 256 << 10;
#endif

// Every file under `root`, as paths relative to it, with their bytes.
std::map<std::string, std::string> tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = std::filesystem::relative(entry.path(), root).string();
        files[relative] = entry.is_regular_file() ? slurp(entry.path().string()) : std::string("<folder>");
    }
    return files;
}

TEST(PackShot, FolderAndPictureNames) {
    const struct {
        const char *dir, *pack;
        bool whole;
        const char* folder;
    } folders[] = {
        {"out", "art/pack.zip", false, "out/pack"},  {"out/", "PACK.ZIP", false, "out/PACK"},
        {"out", "a/pack.zip", true, "out/pack.zip"}, {"out", ".zip", false, "out/.zip"},
        {"out", "..zip", false, "out/..zip"},        {"out", "...zip", false, "out/...zip"},
        {"out", "x.tar.zip", false, "out/x.tar"},
    };
    for (const auto& f : folders) EXPECT_EQ(pack_folder(f.dir, f.pack, f.whole), f.folder) << f.pack;
    const struct {
        const char *path, *name;
    } names[] = {
        {"../../escape.ans", "escape.ans"}, {"/etc/passwd.ans", "passwd.ans"}, {"..\\..\\win.ans", "win.ans"},
        {"C:\\drive.ans", "drive.ans"},     {"C:drive.asc", "C:drive.asc"},    {"ctl\x1b[31m\x07.ans", "ctl_[31m_.ans"},
        {"del\x7f.nfo", "del_.nfo"},        {"c1\xc2\x9b.diz", "c1_.diz"},      {"\xc2\xa0nbsp.txt", "\xc2\xa0nbsp.txt"},
        {"deep/er/CON.ans", "CON.ans"},
    };
    for (const auto& n : names) EXPECT_EQ(member_picture_name(n.path), n.name) << n.path;
    for (const char* pack : {"a.zip", "A.ZIP", "b.Zip"}) EXPECT_TRUE(is_pack_name(pack)) << pack;
    for (const char* file : {"a.ans", "zip", "a.zip.ans", "-"}) EXPECT_FALSE(is_pack_name(file)) << file;
}

TEST(PackShot, EachPictureIsItsExtractedFiles) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs(), zip = packs + "/real.zip";
    // The members and the pictures they take: sub-folders are left out, and
    // a later member of a taken name takes NAME.EXT.png.
    const struct {
        const char *member, *picture;
    } members[] = {
        {"glyphora.ans", "glyphora.png"},      {"text/glyphora.asc", "glyphora.asc.png"},
        {"art/LOGO.NFO", "LOGO.png"},          {"FILE_ID.DIZ", "FILE_ID.png"},
        {"a/piece.ans", "piece.png"},          {"b/piece.ans", "piece.ans.png"},
        {"c/piece.asc", "piece.asc.png"},      {"b\u00e4r.ans", "b\u00e4r.png"},
        {"\u017c\u00f3\u0142w.asc", "\u017c\u00f3\u0142w.png"}, {"\u251c\u00f1.ans", "\u251c\u00f1.png"},
    };
    // Extracted by Python's own ZIP reader, each into its own folder under its own name.
    const std::string extracted = folders.make();
    std::string script = "import zipfile,os,sys\nz=zipfile.ZipFile(sys.argv[1])\n";
    for (size_t i = 0; i < std::size(members); ++i)
        script += "os.makedirs(sys.argv[2]+'/" + std::to_string(i) + "')\nopen(sys.argv[2]+'/" + std::to_string(i) +
                  "/'+os.path.basename('" + members[i].member + "'),'wb').write(z.read('" + members[i].member + "'))\n";
    const std::string script_file = files.write(script, ".py");
    ASSERT_EQ(run_command(files, "python3 " + shell_quoted(script_file) + " " + shell_quoted(zip) + " " +
                                     shell_quoted(extracted)).code, 0);
    for (const char* mode : {"", "--whole", "--thumbnail 256", "--size 40x12 --wrap --top 3", "--thumbnail 64 --top 2"}) {
        const std::string dir = folders.make();
        const ToolRun r = run_tool(files, std::string(mode) + " --jobs 2 --out-dir DIR PACK", {{"DIR", dir}, {"PACK", zip}});
        EXPECT_EQ(r.code, 0) << mode << ": " << r.err;
        EXPECT_EQ(tree(dir).size(), 1 + std::size(members)) << mode << ": only the folder and its pictures";
        for (size_t i = 0; i < std::size(members); ++i) {
            const std::string file = extracted + "/" + std::to_string(i) + "/" +
                                     std::filesystem::path(members[i].member).filename().string();
            const std::string alone = files.name(".png");
            ASSERT_EQ(run_tool(files, std::string(mode) + " FILE OUT", {{"FILE", file}, {"OUT", alone}}).code, 0) << file;
            const std::string picture = slurp(dir + "/real/" + members[i].picture);
            EXPECT_FALSE(picture.empty()) << members[i].picture;
            EXPECT_TRUE(picture == slurp(alone)) << mode << ": " << members[i].member;
        }
    }
}

TEST(PackShot, NoNameWritesOutsideItsFolder) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs();
    // DIR inside a folder of its own, so that anything written beside or
    // above DIR/escaping shows.
    const std::string root = folders.make(), dir = root + "/out/deeper";
    std::filesystem::create_directories(dir);
    const ToolRun r = run_tool(files, "--out-dir DIR PACK", {{"DIR", dir}, {"PACK", packs + "/escaping.zip"}});
    EXPECT_EQ(r.code, 0) << r.err;
    std::set<std::string> made;
    for (const auto& [path, bytes] : tree(root)) made.insert(path);
    const std::set<std::string> expected = {
        "out", "out/deeper", "out/deeper/escaping",
        "out/deeper/escaping/escape.png", "out/deeper/escaping/absolute.png", "out/deeper/escaping/backslash.png",
        "out/deeper/escaping/drive.png", "out/deeper/escaping/C:drive2.png", "out/deeper/escaping/CON.png",
        "out/deeper/escaping/NUL.png", "out/deeper/escaping/up.png", "out/deeper/escaping/ctl_]0;x__.png",
        "out/deeper/escaping/deep.png", "out/deeper/escaping/.ans.png", "out/deeper/escaping/.asc.png"};
    EXPECT_EQ(made, expected);
}

TEST(PackShot, APackFolderThatLinksElsewhereIsNotWrittenThrough) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs(), dir = folders.make(), elsewhere = folders.make();
    const std::string link = files.paths.emplace_back(dir + "/real");
    std::filesystem::create_directory_symlink(elsewhere, link);
    const ToolRun r = run_tool(files, "--out-dir DIR PACK", {{"DIR", dir}, {"PACK", packs + "/real.zip"}});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "glyphora-shot: cannot write into " + link + ": Not a directory\n");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

// The lines glyphora-shot writes for a pack's unreadable members: those of
// its maker's list, in its order, the pack named before each; an empty
// member reads well and, as an empty file, has nothing to draw.
std::string member_errors(const std::string& pack, const std::string& listed) {
    std::string lines;
    std::istringstream in(listed);
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        const std::string said = line.compare(tab, 7, "\terror\t") == 0 ? line.substr(tab + 7)
                                 : line.compare(tab, 6, "\tok\t0\t") == 0 ? "nothing to draw: the text is empty"
                                                                        : "";
        if (!said.empty()) lines += "glyphora-shot: " + pack + ": " + line.substr(0, tab) + ": " + said + "\n";
    }
    return lines;
}

TEST(PackShot, HostilePacksAreBoundedAndExplained) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs();
    const std::string not_a_zip = ": not a ZIP pack, or its directory is cut short or lies outside it\n";
    const struct {
        const char* pack;
        int code;
        std::string err;  // "" for the member errors its list holds
    } cases[] = {
        {"real", 0, ""},      {"methods", 1, ""},  {"bombs", 1, ""},   {"overlap", 1, ""},
        {"zip64", 0, ""},     {"comment", 0, ""},  {"many", 0, ""},    {"escaping", 0, ""},
        {"truncated", 1, "glyphora-shot: cannot read PACK" + not_a_zip},
        {"outside", 1, "glyphora-shot: cannot read PACK" + not_a_zip},
    };
    for (const auto& c : cases) {
        const std::string dir = folders.make(), zip = packs + "/" + c.pack + ".zip";
        std::string err = c.err.empty() ? member_errors(zip, slurp(packs + "/" + c.pack + ".expected")) : c.err;
        if (err.find("PACK") != std::string::npos) err.replace(err.find("PACK"), 4, zip);
        const ToolRun r = run_command(files, "timeout 60 " + shell_quoted(tool_path()) + " --thumbnail 64 --out-dir " +
                                                 shell_quoted(dir) + " " + shell_quoted(zip));
        EXPECT_EQ(r.code, c.code) << c.pack << ": " << r.err;
        EXPECT_EQ(r.err, err) << c.pack;
    }
    // Every run so far, its largest: a bomb is never inflated past its
    // declared size, nor a member over 64 MiB at all.
    struct rusage used {};
    getrusage(RUSAGE_CHILDREN, &used);
    EXPECT_LT(used.ru_maxrss, kPeakKiB) << "KiB at most in one run";
}

TEST(PackShot, LongNamesFailAloneAndSaySo) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs(), dir = folders.make();
    const ToolRun r = run_tool(files, "--out-dir DIR PACK", {{"DIR", dir}, {"PACK", packs + "/long_names.zip"}});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << "one line for each name of 64 KiB";
    EXPECT_NE(r.err.find(": File name too long\n"), std::string::npos);
    EXPECT_EQ(tree(dir + "/long_names").size(), 1u) << "short.png is made all the same";
    EXPECT_FALSE(slurp(dir + "/long_names/short.png").empty());
}

TEST(PackShot, AnyNumberOfJobsMakesTheSamePicturesAndMessages) {
    TempFiles files;
    TempFolders folders(files);
    const std::string packs = test_packs();
    // Files of one name in several folders, beside packs: names taken in the
    // order of the command line, whichever job gets there first.
    const std::string art = coloured_art(60, 12);
    std::string inputs;
    for (int i = 0; i < 4; ++i) {
        const std::string folder = folders.make();
        const std::string file = files.paths.emplace_back(folder + "/same.ans");
        std::ofstream(file, std::ios::binary) << art.substr(size_t(i) * 3);
        inputs += " " + file + " " + files.write(art.substr(size_t(i)), ".asc");
    }
    inputs += " " + files.name(".ans");  // missing
    for (const char* pack : {"real", "methods", "many", "escaping", "bombs", "overlap", "real"})
        inputs += " " + packs + "/" + pack + ".zip";
    std::map<std::string, std::string> first;
    std::string first_err;
    for (const char* jobs : {"1", "2", "5"}) {
        const std::string dir = folders.make();
        const ToolRun r = run_tool(files, std::string("--thumbnail 96 --jobs ") + jobs + " --out-dir DIR" + inputs,
                                   {{"DIR", dir}});
        EXPECT_EQ(r.code, 1) << jobs;
        std::string err = r.err;
        for (size_t at; (at = err.find(dir)) != std::string::npos;) err.replace(at, dir.size(), "DIR");
        const std::map<std::string, std::string> made = tree(dir);
        EXPECT_GT(made.size(), 40u);
        EXPECT_TRUE(made.count("real.zip/piece.ans.png")) << "the second real.zip takes DIR/real.zip";
        if (first.empty()) {
            first = made;
            first_err = err;
            continue;
        }
        EXPECT_TRUE(made == first) << jobs << " jobs";
        EXPECT_EQ(err, first_err) << jobs << " jobs";
    }
}

TEST(PackShot, JobsOptionIsChecked) {
    TempFiles files;
    TempFolders folders(files);
    const struct {
        const char* args;
        const char* problem;
    } cases[] = {
        {"--jobs 0 --out-dir . a", "--jobs 0: expected a number from 1 to 256"},
        {"--jobs 257 --out-dir . a", "--jobs 257: expected a number from 1 to 256"},
        {"--jobs x --out-dir . a", "--jobs x: expected a number from 1 to 256"},
        {"--jobs 2 --jobs 2 --out-dir . a", "--jobs given twice"},
        {"--jobs 2 a b.png", "--jobs makes pictures at once for --out-dir; one FILE OUT.png is one picture"},
    };
    for (const auto& c : cases) {
        const ToolRun r = run_tool(files, c.args, {});
        EXPECT_EQ(r.code, 2) << c.args;
        EXPECT_EQ(r.err.rfind(std::string("glyphora-shot: ") + c.problem + "\n", 0), 0u) << r.err;
    }
}

}  // namespace
