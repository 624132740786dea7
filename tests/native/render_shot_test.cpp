// glyphora-shot run as a program: the PNG it writes is what a window shows
// after the same file is opened and painted, and failures leave no file.
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

std::string build_dir() {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? size_t(n) : 0);
    return path.substr(0, path.rfind('/'));
}

std::string temp_path(const std::string& name) {
    return ::testing::TempDir() + "glyphora_shot_" + std::to_string(getpid()) + "_" + name;
}

struct ShotRun {
    int status;
    std::string err;
};

ShotRun run_shot(const std::string& args) {
    const std::string err_file = temp_path("stderr.txt");
    const std::string command = "'" + build_dir() + "/glyphora-shot' " + args + " 2>'" + err_file + "'";
    const int raw = std::system(command.c_str());
    std::ifstream in(err_file);
    std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(err_file.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

TEST(SnapshotTool, UnopenableFileGivesOneLineAndNoImage) {
    const std::string out = temp_path("missing.png");
    const ShotRun run = run_shot("/nonexistent/art.ans '" + out + "'");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("/nonexistent/art.ans"), std::string::npos) << run.err;
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(exists(out));
}

TEST(SnapshotTool, WrongArgumentsShowUsage) {
    const ShotRun run = run_shot("");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage"), std::string::npos) << run.err;
}

TEST(SnapshotTool, UnwritableOutputFails) {
    const std::string art = temp_path("plain.asc");
    std::ofstream(art) << "hello\n";
    const ShotRun run = run_shot("'" + art + "' /nonexistent/dir/out.png");
    std::remove(art.c_str());
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("/nonexistent/dir/out.png"), std::string::npos) << run.err;
}

TEST(SnapshotTool, WritesWhatTheWindowShows) {
    const std::string art = temp_path("art.ans");
    const std::string out = temp_path("art.png");
    std::ofstream(art, std::ios::binary) << "\x1b[1;31;44mRed\x1b[0;32m\xDB\xB1\r\n\x1b[33;45mrow two\n\tX";
    const ShotRun run = run_shot("'" + art + "' '" + out + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;

    // The same file through the same steps in this process.
    Viewer viewer;
    viewer.init();
    HWND window = create_virtual_window();
    viewer.attach(GetDC(window), window);
    std::vector<char> path(art.begin(), art.end());
    path.resize(kPathSize, '\0');
    ASSERT_EQ(viewer.open(path.data()), 1);
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
    std::remove(art.c_str());
    std::remove(out.c_str());
    ASSERT_EQ(image.width, 672u);
    ASSERT_EQ(image.height, 480u);
    ASSERT_EQ(expected->pixels.size(), 672u * 480u);
    size_t differing = 0;
    for (size_t i = 0; i < expected->pixels.size(); ++i) {
        const RGBQUAD& c = expected->colours[expected->pixels[i]];
        if (rgb[3 * i] != c.rgbRed || rgb[3 * i + 1] != c.rgbGreen || rgb[3 * i + 2] != c.rgbBlue)
            ++differing;
    }
    EXPECT_EQ(differing, 0u);
    // Bright red ink on blue paper reached the image.
    bool bright_red = false, blue = false;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bright_red |= rgb[i] == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
        blue |= rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 128;
    }
    EXPECT_TRUE(bright_red);
    EXPECT_TRUE(blue);
}

}  // namespace
