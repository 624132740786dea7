// glyphora-shot's view options: the PNG is the one a window sized, wrapped and
// scrolled the same way saves, and a bad option gives one usage line and no image.
#include <sys/wait.h>

#include <climits>
#include <fstream>

#include "tests/native/view_fixture.h"

static std::string slurp(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ViewShotOptions : public ViewFixture {
public:
    // Runs the tool on `args`, A and B standing for an ANSI file and the PNG:
    // its exit status, with stderr kept in `err`.
    int shot(const char* args) {
        std::string text;
        for (int row = 0; row < 60; ++row) {
            text += "\r\n\x1b[" + std::to_string(31 + row % 7) + ";4" + std::to_string(row % 8) + "m";
            for (int col = 0; col < 130; ++col) text += char('!' + (row * 7 + col) % 90);
        }
        art = write_file(text);
        out = keep_path(std::string(art) + ".png");
        char self[PATH_MAX] = {};
        const std::string exe(self, std::max<ssize_t>(readlink("/proc/self/exe", self, sizeof self - 1), 0));
        std::string command = "'" + exe.substr(0, exe.rfind('/')) + "/glyphora-shot'";
        std::istringstream words(args);
        for (std::string w; words >> w;) command += " " + (w == "A" || w == "B" ? "'" + std::string(w == "A" ? art : out) + "'" : w);
        const char* err_path = keep_path(std::string(art) + ".err");
        const int raw = std::system((command + " 2>'" + err_path + "'").c_str());
        err = slurp(err_path);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    char *art = nullptr, *out = nullptr;
    std::string err;
};

TEST_F(ViewShotOptions, BadOptionsGiveOneUsageLineAndNoImage) {
    for (const char* args : {"", "ONE", "A B C", "--size", "--size 80 A B", "--size 80x A B", "--size x25 A B",
                             "--size 80x25x3 A B", "--size -80x25 A B", "--size 80X25 A B", "--size 4294967296x1 A B",
                             "--top A B", "--top -1 A B", "--top 1.5 A B", "--left '' A B", "--left 99999999999 A B",
                             "--zoom 2 A B", "--wrap=1 A B", "A --top"}) {
        EXPECT_EQ(shot(args), 2) << args;
        EXPECT_TRUE(err.rfind("usage: glyphora-shot ", 0) == 0 && err.find('\n') == err.size() - 1) << args << ": " << err;
        EXPECT_NE(access(out, F_OK), 0) << args;
    }
}

TEST_F(ViewShotOptions, ImageIsTheWindowSizedWrappedAndScrolledTheSameWay) {
    // The size comes before the open, the rest after, as in the program.
    const char* const cases[][3] = {
        {"--size 100x40 A B", "R100x40", ""},
        {"--wrap --top 50 --size 40x10 --left 7 A B", "R40x10", "W1 V3:50 H3:7"},
        {"--left 4000000000 --size 320x90 --top 4000000000 A B", "R320x90", "V3:4000000000 H3:4000000000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        ASSERT_EQ(shot(c[0]), 0) << err;
        viewer.init();
        HWND window = attach();
        run(c[1]);
        ASSERT_EQ(viewer.open(art), 1);
        run(c[2]);
        viewer.paint(1);
        char* want = keep_path(std::string(out) + ".want.png");
        ASSERT_EQ(save_png(*presented_image(window), want), 1);
        EXPECT_TRUE(slurp(want) == slurp(out)) << "the images differ";
    }
}
