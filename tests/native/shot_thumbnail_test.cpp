// Thumbnails: the top of the piece at full width, at most square, scaled down
// by area averaging (never up) so the longer side is at most the size asked.
#include <cmath>
#include <random>

#include "tests/native/shot_support.h"
#include "tools/shot/area_scale.h"
#include "tools/shot/shot_render.h"
#include "tools/shot/thumbnail_size.h"

using namespace shot_support;

TEST(ShotThumbnail, CropAndSizeRules) {
    const uint32_t crops[][3] = {  // columns, rows -> rows taken
        {80, 30, 30}, {80, 40, 40}, {80, 600, 40}, {81, 600, 40}, {1, 9, 1}, {3, 9, 1}, {4, 9, 2}, {1000, 2, 2},
    };
    for (const auto& c : crops) EXPECT_EQ(thumbnail_rows(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
    const uint32_t sizes[][5] = {  // width, height, longest -> width, height
        {640, 640, 256, 256, 256}, {640, 160, 256, 256, 64}, {160, 640, 256, 64, 256},
        {640, 480, 640, 640, 480}, {640, 480, 1000, 640, 480},  // never scaled up
        {8, 16, 1, 1, 1}, {5000, 16, 100, 100, 1},               // no side below 1
        {3, 2, 2, 2, 1}, {1000000, 999999, 7, 7, 7},
    };
    for (const auto& s : sizes) {
        const PixelSize got = thumbnail_size(PixelSize{s[0], s[1]}, s[2]);
        EXPECT_EQ(std::to_string(got.width) + "x" + std::to_string(got.height),
                  std::to_string(s[3]) + "x" + std::to_string(s[4])) << s[0] << "x" << s[1] << " in " << s[2];
    }
}

TEST(ShotThumbnail, AreaAveragingMatchesTheCoveredAreas) {
    // Against a direct sum of covered areas in floating point.
    RGBQUAD colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{uint8_t(i * 5), uint8_t(i * 11), uint8_t(255 - i), 0};
    std::mt19937 random(7);
    const uint32_t shapes[][4] = {{2, 1, 1, 1}, {3, 3, 2, 2}, {10, 7, 3, 5}, {13, 11, 13, 4}, {64, 48, 17, 9}, {5, 5, 5, 5}};
    for (const auto& s : shapes) {
        SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " to " + std::to_string(s[2]) + "x" +
                     std::to_string(s[3]));
        const uint32_t sw = s[0], sh = s[1], ow = s[2], oh = s[3];
        std::vector<uint8_t> pixels(sw * sh);
        for (uint8_t& p : pixels) p = uint8_t(random() % 256);
        AreaScaler scaler;
        ASSERT_TRUE(scaler.start(sw, sh, ow, oh));
        std::vector<uint8_t> got;
        for (uint32_t y = 0; y < sh; ++y) {
            EXPECT_EQ(scaler.finished_row(), nullptr);
            scaler.add_row(&pixels[y * sw], colours);
            if (const uint8_t* row = scaler.finished_row()) got.insert(got.end(), row, row + 3 * ow);
        }
        ASSERT_EQ(got.size(), size_t(ow) * oh * 3) << "rows handed out";
        const auto overlap = [](double a0, double a1, double b0, double b1) {
            return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
        };
        const double fx = double(sw) / ow, fy = double(sh) / oh;
        for (uint32_t oy = 0; oy < oh; ++oy) {
            for (uint32_t ox = 0; ox < ow; ++ox) {
                double sum[3] = {0, 0, 0};
                for (uint32_t y = 0; y < sh; ++y) {
                    for (uint32_t x = 0; x < sw; ++x) {
                        const double area = overlap(x, x + 1, ox * fx, (ox + 1) * fx) * overlap(y, y + 1, oy * fy, (oy + 1) * fy);
                        const RGBQUAD& c = colours[pixels[y * sw + x]];
                        sum[0] += area * c.rgbRed, sum[1] += area * c.rgbGreen, sum[2] += area * c.rgbBlue;
                    }
                }
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(got[(oy * ow + ox) * 3 + k], sum[k] / (fx * fy), 0.5 + 1e-6) << ox << "," << oy;
            }
        }
    }
    AreaScaler scaler;
    EXPECT_FALSE(scaler.start(4, 4, 5, 4)) << "scaled up";
    EXPECT_FALSE(scaler.start(4, 4, 0, 4));
}

TEST(ShotThumbnail, PicturesAreTheTopAtFullWidthScaledDown) {
    TempFiles files;
    const std::string tall = files.write(coloured_art(80, 600)), short_one = files.write(coloured_art(80, 10));
    struct Case {
        std::string file;
        uint32_t px, top;
        const char* size;
        int colour_type;
        uint32_t window_rows;  // 0: the picture is scaled, not the window itself
    } cases[] = {
        {tall, 256, 0, "256x256", PNG_COLOR_TYPE_RGB, 0},
        {short_one, 256, 0, "256x64", PNG_COLOR_TYPE_RGB, 0},
        {short_one, 640, 0, "640x160", PNG_COLOR_TYPE_PALETTE, 10},
        {tall, 5000, 0, "640x640", PNG_COLOR_TYPE_PALETTE, 40},
        {tall, 5000, 100, "640x640", PNG_COLOR_TYPE_PALETTE, 40},
        {tall, 5000, 590, "640x640", PNG_COLOR_TYPE_PALETTE, 40},  // as far as a 40-row window goes
        {tall, 1, 0, "1x1", PNG_COLOR_TYPE_RGB, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.px) + " top " + std::to_string(c.top));
        ShotRequest r;
        r.mode = ShotMode::thumbnail;
        r.thumbnail_px = c.px;
        r.has_top = c.top != 0;
        r.top = c.top;
        const std::string out = files.name(".png");
        std::string error;
        ASSERT_TRUE(render_shot(r, c.file, out, error)) << error;
        const Picture got = read_png(out);
        EXPECT_EQ(size_of(got), c.size);
        EXPECT_EQ(got.colour_type, c.colour_type);
        if (c.window_rows) {
            EXPECT_TRUE(got.rgb == window_picture(c.file, 80, c.window_rows, false, c.top).rgb);
        }
    }
    // Scaled, the picture is the average of the crop: a 40-row window's.
    ShotRequest r;
    r.mode = ShotMode::thumbnail;
    r.thumbnail_px = 1;
    const std::string out = files.name(".png");
    std::string error;
    ASSERT_TRUE(render_shot(r, tall, out, error));
    const Picture window = window_picture(tall, 80, 40);
    for (int k = 0; k < 3; ++k) {
        double sum = 0;
        for (size_t i = k; i < window.rgb.size(); i += 3) sum += window.rgb[i];
        EXPECT_NEAR(read_png(out).rgb[k], sum / (window.rgb.size() / 3), 0.5 + 1e-6);
    }
}

// In the standard reading a thumbnail is as wide as the screen, never
// wrapped, and a file read only in part still takes its width from the SAUCE
// record at its end.
TEST(ShotThumbnail, StandardReadingKeepsTheScreensWidth) {
    TempFiles files;
    std::string record = "SAUCE00" + std::string("Wide").append(31, ' ') + std::string(40, ' ') + "19960412";
    record += std::string(4, '\0') + "\x01\x01" + std::string("\xA0\x00", 2) + std::string(6, '\0') + std::string(2, '\0');
    record += std::string(22, '\0');
    ASSERT_EQ(record.size(), 128u);
    std::string row = "\x1b[41m" + std::string(80, 'X') + "\x1b[44m" + std::string(80, 'X');
    std::string rows;
    for (int i = 0; i < 9000; ++i) rows += row;  // past what a thumbnail reads
    const struct { std::string file; uint32_t columns; const char* size; } cases[] = {
        {files.write("\x1b[0m" + rows + "\x1a" + record), 0, "1000x1000"},  // 160 from the record
        {files.write("\x1b[0m" + rows.substr(0, 40 * row.size()) + "\x1a" + record), 0, "1000x500"},
        {files.write("\x1b[0m" + rows + "\x1a" + record), 40, "320x320"},  // --columns wins
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ShotRequest r;
        r.mode = ShotMode::thumbnail;
        r.thumbnail_px = 1000;
        r.standard = true;
        r.screen_columns = c.columns;
        const std::string out = files.name(".png");
        std::string error;
        ASSERT_TRUE(render_shot(r, c.file, out, error)) << error;
        EXPECT_EQ(size_of(read_png(out)), c.size);
    }
}
