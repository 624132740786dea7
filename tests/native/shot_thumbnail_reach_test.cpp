// What a thumbnail reads of its file (the rows down to --top and 1000 more, at
// 82 characters a row, from at most 16 bytes a character) and when it shows
// the wrapped view: when a row it reads passes the wrap column.
#include "tests/native/shot_support.h"
#include "tools/shot/shot_render.h"
#include "tools/shot/thumbnail_size.h"

using namespace shot_support;

namespace {

// A thumbnail of `file` as large as its crop (never scaled), or none.
Picture thumbnail(TempFiles& files, const std::string& file, uint32_t px = 5000, uint32_t top = 0,
                  std::string* error_out = nullptr) {
    ShotRequest r;
    r.mode = ShotMode::thumbnail;
    r.thumbnail_px = px;
    r.has_top = top != 0;
    r.top = top;
    const std::string out = files.name(".png");
    std::string error;
    const bool ok = render_shot(r, file, out, error);
    if (error_out) *error_out = error;
    return ok ? read_png(out) : Picture();
}

// The pixels of `p` in its top-left columns x rows cells.
std::vector<uint8_t> cells(const Picture& p, uint32_t columns, uint32_t rows) {
    std::vector<uint8_t> part;
    const uint32_t width = std::min(p.width, columns * kCellWidth), height = std::min(p.height, rows * kCellHeight);
    for (uint32_t y = 0; y < height; ++y) {
        const auto row = p.rgb.begin() + size_t(y) * p.width * 3;
        part.insert(part.end(), row, row + size_t(width) * 3);
    }
    return part;
}

// Plain rows of `columns` characters, each ended by `end`, the characters
// varying so that a row that moves changes the picture.
std::string rows_of(uint32_t columns, uint32_t rows, const std::string& end, uint32_t seed = 0) {
    std::string text;
    for (uint32_t row = 0; row < rows; ++row) {
        for (uint32_t col = 0; col < columns; ++col) text += char(33 + (seed + row * 7 + col) % 90);
        text += end;
    }
    return text;
}

}  // namespace

TEST(ShotThumbnailReach, WrappedWhenARowPassesTheWrapColumn) {
    TempFiles files;
    // The record some files carry after their SUB byte: one text row of 128.
    const std::string record = "\x1a" "SAUCE00" + std::string(121, 'r');
    struct Case {
        const char* what;
        std::string text;
        const char* size;  // the crop's pixels: columns x 8, rows x 16
        bool wrapped;
    } cases[] = {
        {"no line ends", rows_of(16000, 1, ""), "640x640", true},
        {"80-column art, then a long record row", coloured_art(80, 10) + record, "640x192", true},
        {"a long row below a short piece", rows_of(30, 3, "\n") + rows_of(200, 1, "\n"), "640x96", true},
        {"80 columns", coloured_art(80, 12), "640x192", false},
        {"81 characters and CR LF", rows_of(81, 4, "\r\n"), "640x128", true},
        // Lone CRs: the wrap's count runs on past them and would move these
        // rows, but none of them passes 80 characters.
        {"rows ended by lone CRs", rows_of(60, 30, "\r"), "480x480", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = files.write(c.text);
        const Picture got = thumbnail(files, file);
        ASSERT_EQ(size_of(got), c.size);
        const uint32_t columns = got.width / kCellWidth, rows = got.height / kCellHeight;
        // The crop is the window of its size on the view it comes from, and
        // not the other view, wherever the two differ.
        const Picture wrapped = window_picture(file, columns, rows, true);
        const Picture unwrapped = window_picture(file, columns, rows, false);
        EXPECT_TRUE(got.rgb == (c.wrapped ? wrapped : unwrapped).rgb);
        if (c.what != std::string("80 columns")) {
            EXPECT_FALSE(wrapped.rgb == unwrapped.rgb);
        }
        // And what --wrap shows in a window of the start size, where they overlap.
        if (c.wrapped) {
            const Picture start_view = window_picture(file, kStartViewCols, kStartViewRows, true);
            EXPECT_TRUE(cells(got, kStartViewCols, kStartViewRows) == cells(start_view, columns, rows));
        }
    }
    // Scaled as any thumbnail: a square's worth of wrapped rows is a square.
    const std::string endless = files.write(rows_of(16000, 1, ""), ".asc");
    EXPECT_EQ(size_of(thumbnail(files, endless, 256)), "256x256");
}

TEST(ShotThumbnailReach, ReadsTheRowsDownToTopAndAThousandMore) {
    TempFiles files;
    // 80-column rows of 82 characters each, then a row that would wrap the
    // view if it were read: it is, when it starts inside the reach.
    const std::string wide = rows_of(200, 1, "\r\n", 1);
    struct Case {
        uint32_t rows_before, top;
        bool wrapped;
    } cases[] = {
        {kThumbnailReadRows, 0, false}, {kThumbnailReadRows - 1, 0, true},
        {kThumbnailReadRows + 5, 5, false}, {kThumbnailReadRows + 5, 6, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows_before) + " rows, top " + std::to_string(c.top));
        const std::string file = files.write(rows_of(80, c.rows_before, "\r\n") + wide, ".asc");
        const Picture got = thumbnail(files, file, 5000, c.top);
        ASSERT_TRUE(got.ok);
        EXPECT_EQ(size_of(got), "640x640");
        EXPECT_TRUE(got.rgb == window_picture(file, 80, 40, c.wrapped, c.top).rgb);
    }
    // ANSI art takes bytes of its own for colours: at most 16 a character.
    const uint32_t reach = kThumbnailReadRows * kThumbnailRowCharacters * kThumbnailBytesPerCharacter;
    std::string silent;
    while (silent.size() < reach) silent += "\x1b[0m";  // no characters at all
    std::string error;
    const Picture none = thumbnail(files, files.write(silent + "abcdefgh"), 5000, 0, &error);
    EXPECT_FALSE(none.ok);
    EXPECT_NE(error.find("nothing to draw: the text is empty"), std::string::npos) << error;
    silent.resize(reach - 4);  // one sequence fewer: four characters fit
    EXPECT_EQ(size_of(thumbnail(files, files.write(silent + "abcdefgh"))), "32x16");
}
