// --whole: the picture is exactly the shown text, as large as a window that
// shows all of it, composed in bands or at once alike; a text with nothing to
// draw, or too large a picture for PNG, is an error that says so.
#include "tests/native/shot_support.h"
#include "tools/shot/shot_render.h"

using namespace shot_support;

namespace {

ShotRequest whole(bool wrap) {
    ShotRequest r;
    r.mode = ShotMode::whole;
    r.wrap = wrap;
    return r;
}

}  // namespace

TEST(ShotWhole, SizeIsTheShownTextInCells) {
    const std::string long_line(100, 'x');
    struct Case {
        const char* what;
        std::string text;
        bool wrap;
        const char* cells;  // columns x rows, or the start of the error after the file name
    } cases[] = {
        {"plain, last line ended", "abc\nde\n", false, "3x2"},
        {"plain, last line open", "abc\nde", false, "3x2"},
        {"plain, widest last", "ab\ncdefg", false, "5x2"},
        {"blank lines count", "a\n\n\nb\n", false, "1x4"},
        {"the start view's size", coloured_art(84, 30), false, "84x30"},
        {"CR LF", "ab\r\ncd\r\n", false, "2x2"},
        {"CR only: each CR takes the next byte", "ab\rcd\ref", false, "2x3"},
        {"CR CR is one end", "ab\r\rX", false, "2x2"},
        {"three CRs take the last byte", "ab\r\r\rX", false, "2x2"},
        {"final CR", "ab\r", false, "2x1"},
        {"ANSI colours and forward blanks", "\x1b[1;31mab\x1b[5Ccd\r\n\x1b[0mxyz", false, "9x2"},
        {"ANSI trailing line end only", "\x1b[32mabc\n", false, "3x1"},
        {"unwrapped long line", long_line + "\n" + "ab", false, "100x2"},
        {"wrapped long line", long_line + "\n" + "ab", true, "80x3"},
        {"wrapped ANSI", "\x1b[33m" + long_line + long_line, true, "80x3"},
        {"wrapped short text", "abc\n", true, "3x1"},
        {"empty file", "", false, "nothing to draw: the text is empty"},
        {"empty wrapped", "", true, "nothing to draw: the text is empty"},
        {"only escape sequences", "\x1b[31m\x1b[0m", false, "nothing to draw: the text is empty"},
        {"only line ends", "\n\r\n\n", false, "nothing to draw: the lines are empty"},
    };
    TempFiles files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string art = files.write(c.text), out = files.name(".png");
        std::string error;
        const bool written = render_shot(whole(c.wrap), art, out, error);
        if (std::isdigit(static_cast<unsigned char>(c.cells[0]))) {
            ASSERT_TRUE(written) << error;
            uint32_t columns = 0, rows = 0;
            std::sscanf(c.cells, "%ux%u", &columns, &rows);
            const Picture got = read_png(out);
            EXPECT_EQ(size_of(got), std::to_string(columns * 8) + "x" + std::to_string(rows * 16));
            const Picture want = window_picture(art, columns, rows, c.wrap);
            EXPECT_TRUE(got.rgb == want.rgb) << "differs from the window of that size";
        } else {
            EXPECT_FALSE(written);
            EXPECT_EQ(error, art + ": " + c.cells);
            EXPECT_NE(access(out.c_str(), F_OK), 0);
        }
    }
}

TEST(ShotWhole, BandsJoinIntoTheOneWindowPicture) {
    TempFiles files;
    const std::string art = files.write(coloured_art(97, 45) + "tail");
    const Picture want = window_picture(art, 97, 46);
    ASSERT_EQ(size_of(want), "776x736");
    // From one row a band to a whole frame, uneven last bands included.
    for (uint32_t band_rows : {1u, 2u, 7u, 45u, 46u, 100u}) {
        SCOPED_TRACE(band_rows);
        ShotTuning tuning;
        tuning.band_bytes = band_rows * 97 * 128;
        tuning.max_bands = UINT32_MAX;
        const std::string out = files.name(".png");
        std::string error;
        ASSERT_TRUE(render_shot(whole(false), art, out, error, tuning)) << error;
        const Picture got = read_png(out);
        EXPECT_EQ(size_of(got), size_of(want));
        EXPECT_TRUE(got.rgb == want.rgb) << "the bands differ from one window";
    }
}

TEST(ShotWhole, PictureTooLargeForPngIsSaidSo) {
    TempFiles files;
    // 125,001 columns are 1,000,008 pixels: one frame holds them, PNG does not.
    const std::string art = files.write(std::string(125001, '#')), out = files.name(".png");
    std::string error;
    EXPECT_FALSE(render_shot(whole(false), art, out, error));
    EXPECT_EQ(error, art + ": an image of 1000008 x 16 pixels is too large for PNG (at most 1000000 pixels a side)");
    EXPECT_NE(access(out.c_str(), F_OK), 0);
    ShotRequest window;
    window.sized = true;
    window.columns = 125001;
    window.rows = 1;
    EXPECT_FALSE(render_shot(window, art, out, error));
    EXPECT_NE(error.find("too large for PNG"), std::string::npos) << error;
}
