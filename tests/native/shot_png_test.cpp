// Palette PNGs: written a row at a time from the frame, with only the colours
// the picture uses at the fewest bits that hold them, and read back by libpng
// as exactly what the window shows.

#include "platform/png_image.h"
#include "tests/native/shot_support.h"
#include "tools/shot/shot_render.h"

using namespace shot_support;

TEST(ShotPng, WindowPictureReadsBackAsTheWindow) {
    TempFiles files;
    const std::string art = files.write(coloured_art(130, 60)), plain = files.write("plain\ntext\n", ".asc");
    struct Case {
        std::string file;
        const char* args;  // COLSxROWS (0x0: none), wrap, top, left
        int bit_depth;
    } cases[] = {
        {art, "0x0 0 0 0", 4},
        {art, "40x10 1 50 7", 4},
        {art, "320x90 0 4000000000 4000000000", 4},
        {plain, "0x0 0 0 0", 1},
        {plain, "3x1 0 0 0", 1},
        {plain, "2x1 0 0 9", 1},  // nothing but paper: one entry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ShotRequest r;
        int wrap = 0;
        std::sscanf(c.args, "%ux%u %d %u %u", &r.columns, &r.rows, &wrap, &r.top, &r.left);
        r.sized = r.columns != 0;
        r.wrap = wrap != 0;
        r.has_top = r.top != 0;
        r.has_left = r.left != 0;
        const std::string out = files.name(".png");
        std::string error;
        ASSERT_TRUE(render_shot(r, c.file, out, error)) << error;
        const Picture got = read_png(out);
        const Picture want = window_picture(c.file, r.columns, r.rows, r.wrap, r.top, r.left);
        ASSERT_TRUE(got.ok && want.ok);
        EXPECT_EQ(size_of(got), size_of(want));
        EXPECT_TRUE(got.rgb == want.rgb) << "the pictures differ";
        EXPECT_EQ(got.colour_type, PNG_COLOR_TYPE_PALETTE);
        EXPECT_EQ(size_t(got.palette_size), want.colours().size()) << "unused or repeated colours";
        EXPECT_EQ(got.bit_depth, c.bit_depth);
    }
}

namespace {

struct Pattern {
    uint32_t width, colours;
    std::vector<uint8_t> row;
    static const uint8_t* row_of(void* context, uint32_t y) {
        Pattern& p = *static_cast<Pattern*>(context);
        for (uint32_t x = 0; x < p.width; ++x) p.row[x] = uint8_t(255 - (x * 7 + y) % p.colours);
        return p.row.data();
    }
};

}  // namespace

TEST(ShotPng, EveryBitDepthPacksRowsOfAnyWidth) {
    // Colours of all-distinct entries, so each index is its own palette entry.
    RGBQUAD colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0};
    TempFiles files;
    const int depths[][2] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {256, 8}};
    for (const auto& d : depths) {
        for (uint32_t width : {1u, 3u, 7u, 9u, 13u, 300u}) {
            SCOPED_TRACE(std::to_string(d[0]) + " colours, width " + std::to_string(width));
            Pattern pattern{width, uint32_t(d[0]), std::vector<uint8_t>(width)};
            const uint32_t height = 40;
            UsedIndices used;
            for (uint32_t y = 0; y < height; ++y) mark_used_indices(Pattern::row_of(&pattern, y), width, used);
            const PngPalette palette = fold_palette(colours, used);
            const std::string out = files.name(".png");
            std::string error;
            ASSERT_TRUE(write_palette_png(out.c_str(), PngRows{width, height, Pattern::row_of, &pattern}, palette,
                                          PngCompression(), error)) << error;
            const Picture got = read_png(out);
            ASSERT_TRUE(got.ok);
            EXPECT_EQ(got.bit_depth, std::min(d[1], 8));
            std::vector<uint8_t> want;
            for (uint32_t y = 0; y < height; ++y) {
                const uint8_t* row = Pattern::row_of(&pattern, y);
                for (uint32_t x = 0; x < width; ++x)
                    want.insert(want.end(), {colours[row[x]].rgbRed, colours[row[x]].rgbGreen, colours[row[x]].rgbBlue});
            }
            EXPECT_TRUE(got.rgb == want);
            EXPECT_EQ(size_t(got.palette_size), got.colours().size());
        }
    }
}

TEST(ShotPng, FailedWritesSayWhyAndKeepTheEarlierFile) {
    TempFiles files;
    const std::string art = files.write(coloured_art(20, 4)), out = files.name(".png");
    std::string error;
    ShotRequest r;
    ASSERT_TRUE(render_shot(r, art, out, error)) << error;
    const Picture before = read_png(out);
    struct Case {
        std::string output, message;
    } cases[] = {
        {files.name("_missing_dir/out.png"), "No such file or directory"},
        {::testing::TempDir(), "Is a directory"},
        {art, "it is " + art + " itself"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(render_shot(r, art, c.output, error));
        EXPECT_EQ(error, "cannot write " + c.output + ": " + c.message);
    }
    // A piece that cannot be drawn leaves the earlier picture whole.
    r.mode = ShotMode::whole;
    EXPECT_FALSE(render_shot(r, files.write(""), out, error));
    EXPECT_TRUE(read_png(out).rgb == before.rgb);
}
