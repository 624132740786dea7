// glyphora-shot run as a program: its PNG shows what a window sized, wrapped and
// scrolled the same way shows; a bad argument line gives one usage line, a failed
// open or write one line naming the file, and neither leaves an image.
#include <png.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "tests/native/view_fixture.h"

class SnapshotTool : public ViewFixture {
public:
    // Runs the tool beside this test binary on a coloured ANSI file (A in `args`)
    // and a PNG (B): its exit status, with its stderr kept in `err`.
    int shot(const std::string& args) {
        std::string text;
        for (int row = 0; row < 60; ++row) {
            text += "\x1b[" + std::to_string(row % 2) + ";3" + std::to_string(row % 8) + ";4" +
                    std::to_string(row % 7) + "m";
            for (int col = 0; col < 130; ++col) text += char(33 + (row * 7 + col) % 222);
            text += "\r\n";
        }
        art = write_file(text), out = keep_path(art + ".png");
        const auto tool = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "glyphora-shot";
        std::string command = "'" + tool.string() + "'";
        std::istringstream words(args);
        for (std::string w; words >> w;)
            command += " " + (w == "A" ? "'" + art + "'" : w == "B" ? "'" + out + "'" : w);
        const int raw = std::system((command + " 2>'" + keep_path(art + ".err") + "'").c_str());
        std::ifstream in(art + ".err");
        err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string art, out, err;
};

TEST_F(SnapshotTool, ImageIsWhatTheWindowShowsAndFailuresLeaveNone) {
    // The size comes before the open, the rest after, as in the program.
    const char* const cases[][3] = {
        {"A B", "", ""},
        {"--wrap --top 50 --size 40x10 --left 7 A B", "R40x10", "W1 V3:50 H3:7"},
        {"--left 4000000000 --size 320x90 --top 4000000000 A B", "R320x90", "V3:4000000000 H3:4000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        ASSERT_TRUE(shot(c[0]) == 0 && err.empty()) << err;
        viewer.init();
        HWND window = attach();
        run(c[1]);
        ASSERT_EQ(viewer.open(&art[0]), 1);
        run(c[2]);
        viewer.paint(1);
        const PresentedImage* shown = presented_image(window);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(shown && png_image_begin_read_from_file(&image, out.c_str()));
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image)), want;
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        for (uint8_t i : shown->pixels) {
            const RGBQUAD& colour = shown->colours[i];
            want.insert(want.end(), {colour.rgbRed, colour.rgbGreen, colour.rgbBlue});
        }
        EXPECT_TRUE(image.width == shown->width && rgb == want) << "the images differ";
        EXPECT_GT(std::set<uint8_t>(shown->pixels.begin(), shown->pixels.end()).size(), 4u) << "colours";
    }
    // A bad argument line, then a file that cannot be opened or an image that cannot be written.
    for (const char* args : {"", "ONE", "A B C", "--size", "--size 80 A B", "--size 80x A B", "--size x25 A B",
                             "--size 80x25x3 A B", "--size -80x25 A B", "--size 80X25 A B", "--top A B",
                             "--size 4294967296x1 A B", "--top -1 A B", "--top 1.5 A B", "--left '' A B",
                             "--left 99999999999 A B", "--zoom 2 A B", "--wrap=1 A B", "A --top",
                             "/nonexistent/art.ans B", "A /nonexistent/out.png"}) {
        const char* named = std::strstr(args, "/nonexistent/");
        const std::string start = named ? "glyphora-shot: cannot " : "usage: glyphora-shot ";
        const std::string file = named ? std::string(named, std::strcspn(named, " ")) : start;
        const int code = shot(args);
        EXPECT_TRUE(named ? code != 0 : code == 2) << args << " exit " << code;
        EXPECT_TRUE(err.rfind(start, 0) == 0 && err.find(file) != std::string::npos) << args << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << args << ": " << err;
        EXPECT_NE(access(out.c_str(), F_OK), 0) << args;
    }
}
