// glyphora-shot run as a program: the PNG it writes is what a window shows
// after the same file is opened and painted, and failures leave no file.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <fstream>

#include "platform/virtual_window.h"
#include "render/viewer.h"

namespace {

const std::string kTemp = ::testing::TempDir() + "glyphora_shot_" + std::to_string(getpid());

// Runs the tool beside this test binary: its exit status, and its stderr in `err`.
int run_shot(const std::string& args, std::string& err) {
    char self[PATH_MAX] = {};
    const std::string exe(self, std::max<ssize_t>(readlink("/proc/self/exe", self, sizeof self - 1), 0));
    const std::string tool = exe.substr(0, exe.rfind('/')) + "/glyphora-shot";
    const int raw = std::system(("'" + tool + "' " + args + " 2>'" + kTemp + ".err'").c_str());
    std::ifstream in(kTemp + ".err");
    err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(SnapshotTool, WritesWhatTheWindowShowsAndNothingOnFailure) {
    const std::string art = kTemp + ".ans", out = kTemp + ".png";
    std::ofstream(art, std::ios::binary) << "\x1b[1;31;44mRed\x1b[0;32m\xDB\xB1\r\n\x1b[33;45mrow two\n\tX";
    std::string err;
    // An unopenable file, then an unwritable image: one line naming it, no image.
    const std::string failing[][2] = {{"/nonexistent/art.ans '" + out + "'", "/nonexistent/art.ans"},
                                      {"'" + art + "' /nonexistent/dir/out.png", "/nonexistent/dir/out.png"}};
    for (const auto& f : failing) {
        EXPECT_NE(run_shot(f[0], err), 0) << f[0];
        EXPECT_TRUE(err.find(f[1]) != std::string::npos && err.find('\n') == err.size() - 1) << err;
        EXPECT_NE(access(out.c_str(), F_OK), 0);
    }
    ASSERT_EQ(run_shot("'" + art + "' '" + out + "'", err), 0) << err;
    EXPECT_TRUE(err.empty()) << err;

    // The same file through the same steps in this process.
    Viewer viewer;
    viewer.init();
    HWND window = create_virtual_window();
    viewer.attach(GetDC(window), window);
    std::vector<char> path(art.begin(), art.end());
    path.resize(kPathSize, '\0');
    ASSERT_EQ(viewer.open(path.data()), 1);
    viewer.paint(1);
    const PresentedImage* shown = presented_image(window);
    ASSERT_TRUE(shown && shown->pixels.size() == 672u * 480u);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, out.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    std::remove(art.c_str()), std::remove(out.c_str()), std::remove((kTemp + ".err").c_str());
    ASSERT_TRUE(image.width == 672 && image.height == 480) << image.width << "x" << image.height;
    size_t differing = 0, bright_red_or_blue = 0;
    for (size_t i = 0; i < shown->pixels.size(); ++i) {
        const RGBQUAD& c = shown->colours[shown->pixels[i]];
        differing += rgb[3 * i] != c.rgbRed || rgb[3 * i + 1] != c.rgbGreen || rgb[3 * i + 2] != c.rgbBlue;
        bright_red_or_blue += shown->pixels[i] == 65 || shown->pixels[i] == 32;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(bright_red_or_blue, 0u);  // the file's colours reached the image
}

}  // namespace
