// glyphora-shot's view options: the PNG matches a window sized, wrapped and
// scrolled the same way, and a bad option gives one usage line and no image.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/virtual_window.h"
#include "render/viewer.h"

namespace {

std::string tool_path() {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, n > 0 ? size_t(n) : 0);
    return path.substr(0, path.rfind('/')) + "/glyphora-shot";
}

std::string temp_path(const std::string& name) {
    return ::testing::TempDir() + "glyphora_view_shot_" + std::to_string(getpid()) + "_" + name;
}

struct ShotResult {
    int status;
    std::string err;
};

ShotResult run_shot(const std::string& args) {
    const std::string err_file = temp_path("stderr.txt");
    const int raw =
        std::system(("'" + tool_path() + "' " + args + " 2>'" + err_file + "'").c_str());
    std::ifstream in(err_file);
    std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(err_file.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

class ViewShotOptions : public ::testing::Test {
protected:
    void SetUp() override {
        art = temp_path("art.ans");
        out = temp_path("out.png");
        std::ofstream file(art, std::ios::binary);
        file << "\x1b[0m";
        for (int row = 0; row < 60; ++row) {
            file << "\x1b[" << 31 + row % 7 << ";4" << row % 8 << "m";
            for (int col = 0; col < 130; ++col) file << char('!' + (row * 7 + col) % 90);
            file << "\r\n";
        }
    }
    void TearDown() override {
        std::remove(art.c_str());
        std::remove(out.c_str());
    }
    std::string art, out;
};

const char* const kBadArguments[] = {
    "",
    "ONE",
    "A B C",
    "--size",
    "--size 80 A B",
    "--size 80x A B",
    "--size x25 A B",
    "--size 80x25x3 A B",
    "--size -80x25 A B",
    "--size 80X25 A B",
    "--size 4294967296x1 A B",
    "--top A B",
    "--top -1 A B",
    "--top 1.5 A B",
    "--left '' A B",
    "--left 99999999999 A B",
    "--zoom 2 A B",
    "--wrap=1 A B",
    "A --top",
};

TEST_F(ViewShotOptions, BadOptionsGiveOneUsageLine) {
    for (const char* args : kBadArguments) {
        // The file and output exist, so only the options can be at fault.
        std::string line = args;
        for (size_t at; (at = line.find(" A B")) != std::string::npos;)
            line.replace(at, 4, " '" + art + "' '" + out + "'");
        const ShotResult run = run_shot(line);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err.rfind("usage: glyphora-shot ", 0), 0u) << args << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << ": " << run.err;
        EXPECT_NE(access(out.c_str(), F_OK), 0) << args;
    }
}

struct OptionCase {
    const char* args;
    uint32_t columns, rows;
    bool wrap;
    bool has_top;
    uint32_t top;
    bool has_left;
    uint32_t left;
};

const OptionCase kOptionCases[] = {
    {"", 84, 30, false, false, 0, false, 0},
    {"--size 100x40", 100, 40, false, false, 0, false, 0},
    {"--top 20 --left 30", 84, 30, false, true, 20, true, 30},
    {"--wrap --top 50", 84, 30, true, true, 50, false, 0},
    {"--size 40x10 --wrap --left 7", 40, 10, true, false, 0, true, 7},
    {"--left 4000000000 --size 320x90 --top 4000000000", 320, 90, false, true, 4000000000u, true,
     4000000000u},
};

TEST_F(ViewShotOptions, ImageIsTheWindowSizedWrappedAndScrolledTheSameWay) {
    for (const OptionCase& c : kOptionCases) {
        SCOPED_TRACE(c.args);
        const ShotResult run = run_shot(std::string(c.args) + " '" + art + "' '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;

        Viewer viewer;
        viewer.init();
        HWND window = create_virtual_window();
        viewer.attach(GetDC(window), window);
        viewer.update_vscroll();
        viewer.update_hscroll();
        viewer.resize(c.columns, c.rows);
        std::vector<char> path(art.begin(), art.end());
        path.resize(kPathSize, '\0');
        ASSERT_EQ(viewer.open(path.data()), 1);
        if (c.wrap) viewer.set_wrap(1);
        if (c.has_top) viewer.scroll_vertical(3, c.top);
        if (c.has_left) viewer.scroll_horizontal(3, c.left);
        viewer.paint(1);
        const PresentedImage* expected = presented_image(window);
        ASSERT_NE(expected, nullptr);

        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, out.c_str()));
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        ASSERT_EQ(image.width, c.columns * 8);
        ASSERT_EQ(image.height, c.rows * 16);
        ASSERT_EQ(expected->pixels.size(), size_t{image.width} * image.height);
        size_t differing = 0;
        for (size_t i = 0; i < expected->pixels.size(); ++i) {
            const RGBQUAD& q = expected->colours[expected->pixels[i]];
            differing += rgb[3 * i] != q.rgbRed || rgb[3 * i + 1] != q.rgbGreen ||
                         rgb[3 * i + 2] != q.rgbBlue;
        }
        EXPECT_EQ(differing, 0u);
        std::remove(out.c_str());
    }
}

TEST_F(ViewShotOptions, ScrolledImagesDiffer) {
    // Guards the comparison above: the options change what is shown.
    std::vector<std::vector<uint8_t>> images;
    for (const char* args : {"", "--top 1", "--left 1", "--wrap"}) {
        ASSERT_EQ(run_shot(std::string(args) + " '" + art + "' '" + out + "'").status, 0);
        std::ifstream in(out, std::ios::binary);
        images.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    for (size_t i = 0; i < images.size(); ++i)
        for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i << j;
}

}  // namespace
