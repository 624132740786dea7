// The bundled art and the program's pictures: the generator reproduces the
// committed files byte for byte, and the files have the layouts the resource
// compiler and Windows expect, in the Viewer's own colours.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "document/document.h"
#include "render/viewer.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = GLYPHORA_SOURCE_DIR;

const char* const kGeneratedFiles[] = {
    "samples/glyphora.ans", "samples/glyphora.asc", "resources/about.ans",
    "resources/about.bmp",  "resources/app.ico",    "resources/app_small.ico",
    "resources/document.ico",
};

std::vector<uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

fs::path build_dir() {
    if (const char* dir = std::getenv("GLYPHORA_BUILD_DIR")) return dir;
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// Runs the generator and returns its exit status.
int run_generator(const std::string& arguments) {
    const fs::path tool = build_dir() / "glyphora-assets";
    const int status = std::system(("\"" + tool.string() + "\" " + arguments + " 2>/dev/null").c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

class ScratchDir {
public:
    ScratchDir() {
        path = fs::temp_directory_path() /
               ("glyphora-assets-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

Viewer& initialised_viewer() {
    static Viewer* viewer = [] {
        auto* v = new Viewer;
        v->init();
        return v;
    }();
    return *viewer;
}

const uint8_t* viewer_colour_bytes() {
    return reinterpret_cast<const uint8_t*>(initialised_viewer().bitmap_info.bmiColors);
}

// A Document loaded from a file of the repository; the path buffer outlives it.
struct LoadedFile {
    explicit LoadedFile(const char* relative) : path((kSourceDir / relative).string()) {
        path_buffer.assign(path.begin(), path.end());
        path_buffer.push_back('\0');
        document.file_name = path_buffer.data();
        loaded = document.load();
    }
    std::string path;
    std::vector<char> path_buffer;
    Document document;
    int32_t loaded = 0;
};

TEST(AssetsGenerator, RewritesTheCommittedFilesByteForByte) {
    ScratchDir out;
    ASSERT_EQ(run_generator("\"" + out.path.string() + "\""), 0) << "glyphora-assets failed or is missing";
    for (const char* name : kGeneratedFiles) {
        const std::vector<uint8_t> made = read_bytes(out.path / name);
        ASSERT_FALSE(made.empty()) << name << " was not written";
        EXPECT_TRUE(made == read_bytes(kSourceDir / name))
            << name << " differs from the generator's output; after a change to the art, the font "
                       "or the palette, run glyphora-assets on the repository and commit the result";
    }
}

TEST(AssetsGenerator, FailsWithoutAFolderOrWhenItCannotWrite) {
    EXPECT_NE(run_generator(""), 0);
    ScratchDir out;
    std::ofstream(out.path / "file") << "not a folder";
    EXPECT_NE(run_generator("\"" + (out.path / "file").string() + "\""), 0);
}

TEST(AboutPicture, IsA360By260BitmapWithTheViewersColourTable) {
    const std::vector<uint8_t> bmp = read_bytes(kSourceDir / "resources/about.bmp");
    ASSERT_GE(bmp.size(), 1078u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 6), 0u);
    EXPECT_EQ(le32(bmp, 10), 14u + 40u + 1024u);
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(le32(bmp, 18), 360u);
    EXPECT_EQ(le32(bmp, 22), 260u);  // positive: rows bottom first
    EXPECT_EQ(le16(bmp, 26), 1u);
    EXPECT_EQ(le16(bmp, 28), 8u);
    EXPECT_EQ(le32(bmp, 30), 0u);  // BI_RGB
    EXPECT_EQ(le32(bmp, 34), 360u * 260u);
    const uint32_t colours_used = le32(bmp, 46);
    EXPECT_TRUE(colours_used == 0 || colours_used == 256);
    EXPECT_EQ(bmp.size(), 1078u + 360u * 260u);
    EXPECT_EQ(0, std::memcmp(&bmp[54], viewer_colour_bytes(), 1024));
}

TEST(AboutPicture, IsTheAboutArtAsGlyphoraDrawsItCentredOnBlack) {
    const std::vector<uint8_t> bmp = read_bytes(kSourceDir / "resources/about.bmp");
    ASSERT_EQ(bmp.size(), 1078u + 360u * 260u);
    auto pixel = [&](uint32_t x, uint32_t y) { return bmp[1078 + size_t(259 - y) * 360 + x]; };

    Viewer viewer;
    viewer.init();
    viewer.resize(45, 16);
    std::string path = (kSourceDir / "resources/about.ans").string();
    ASSERT_EQ(viewer.open(path.data()), 1);
    viewer.compose();
    ASSERT_EQ(viewer.frame_width, 360u);
    ASSERT_EQ(viewer.frame_height, 256u);

    for (uint32_t x = 0; x < 360; ++x) {
        for (uint32_t y : {0u, 1u, 258u, 259u}) ASSERT_EQ(pixel(x, y), 0) << x << "," << y;
        for (uint32_t y = 0; y < 256; ++y)
            ASSERT_EQ(pixel(x, y + 2), viewer.frame[size_t(y) * 360 + x]) << x << "," << y;
    }
    std::set<uint8_t> colours(bmp.begin() + 1078, bmp.end());
    EXPECT_GE(colours.size(), 8u);
}

struct IconCase {
    const char* file;
    std::vector<uint32_t> depths;
};

class IconFile : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconFile, HoldsThirtyTwoPixelImagesInTheViewersColours) {
    const IconCase& c = GetParam();
    const std::vector<uint8_t> ico = read_bytes(kSourceDir / "resources" / c.file);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(le16(ico, 4), c.depths.size());

    std::vector<std::vector<uint8_t>> pictures;  // each image as palette indices
    size_t expected_offset = 6 + 16 * c.depths.size();
    for (size_t i = 0; i < c.depths.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const size_t entry = 6 + 16 * i;
        const uint32_t bits = c.depths[i];
        const uint32_t table = bits == 4 ? 16 : 256;
        const uint32_t xor_stride = 32 * bits / 8;
        const uint32_t image_bytes = 40 + table * 4 + 32 * xor_stride + 32 * 4;
        EXPECT_EQ(ico[entry], 32);
        EXPECT_EQ(ico[entry + 1], 32);
        EXPECT_EQ(ico[entry + 2], bits == 4 ? 16 : 0);
        EXPECT_EQ(ico[entry + 3], 0);
        EXPECT_EQ(le16(ico, entry + 4), 1u);
        EXPECT_EQ(le16(ico, entry + 6), bits);
        ASSERT_EQ(le32(ico, entry + 8), image_bytes);
        ASSERT_EQ(le32(ico, entry + 12), expected_offset);
        const size_t at = expected_offset;
        expected_offset += image_bytes;
        ASSERT_LE(expected_offset, ico.size());

        EXPECT_EQ(le32(ico, at), 40u);
        EXPECT_EQ(le32(ico, at + 4), 32u);
        EXPECT_EQ(le32(ico, at + 8), 64u);  // colour image and mask together
        EXPECT_EQ(le16(ico, at + 12), 1u);
        EXPECT_EQ(le16(ico, at + 14), bits);
        EXPECT_EQ(le32(ico, at + 16), 0u);
        const uint32_t colours_used = le32(ico, at + 32);
        EXPECT_TRUE(colours_used == 0 || colours_used == table);

        const uint8_t* colours = &ico[at + 40];
        const uint8_t* viewer = viewer_colour_bytes();
        if (bits == 4) {
            EXPECT_EQ(0, std::memcmp(colours, viewer, 8 * 4)) << "normal colours";
            EXPECT_EQ(0, std::memcmp(colours + 8 * 4, viewer + 64 * 4, 8 * 4)) << "bright colours";
        } else {
            EXPECT_EQ(0, std::memcmp(colours, viewer, 1024));
        }

        const size_t xor_at = at + 40 + table * 4;
        const size_t and_at = xor_at + 32 * xor_stride;
        std::vector<uint8_t> picture(32 * 32);
        size_t opaque = 0;
        for (uint32_t y = 0; y < 32; ++y) {
            for (uint32_t x = 0; x < 32; ++x) {
                const size_t row = 31 - y;  // rows bottom first
                uint8_t index = bits == 4 ? uint8_t(ico[xor_at + row * 16 + x / 2] >> (x % 2 ? 0 : 4) & 15)
                                          : ico[xor_at + row * 32 + x];
                if (bits == 4 && index >= 8) index = uint8_t(index + 56);  // bright: 64-71
                const bool transparent = (ico[and_at + row * 4 + x / 8] >> (7 - x % 8)) & 1;
                if (transparent) {
                    EXPECT_EQ(index, 0) << "transparent pixel " << x << "," << y << " must be black";
                } else {
                    ++opaque;
                }
                picture[y * 32 + x] = transparent ? 0xFF : index;
            }
        }
        EXPECT_GT(opaque, 32u * 32u / 2);
        pictures.push_back(picture);
    }
    EXPECT_EQ(expected_offset, ico.size());
    // The 16-colour image of the program icon is the same picture as its 256-colour one.
    for (size_t i = 1; i < pictures.size(); ++i) EXPECT_EQ(pictures[i], pictures[0]);
}

INSTANTIATE_TEST_SUITE_P(Resources, IconFile,
                         ::testing::Values(IconCase{"app.ico", {4, 8}},
                                           IconCase{"app_small.ico", {8}},
                                           IconCase{"document.ico", {8}}));

// Every line ends in CR LF, and no CR stands alone.
void expect_crlf_lines(const std::vector<uint8_t>& bytes) {
    size_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(bytes[i - 1], '\r') << "LF without CR at byte " << i;
            ++lines;
        }
        if (bytes[i] == '\r') {
            ASSERT_LT(i + 1, bytes.size());
            EXPECT_EQ(bytes[i + 1], '\n') << "CR without LF at byte " << i;
        }
    }
    EXPECT_GT(lines, 0u);
}

struct ArtCase {
    const char* file;
    uint32_t columns;  // at most, without the line end
    uint32_t min_rows;
    uint32_t max_rows;
};

class AnsiArt : public ::testing::TestWithParam<ArtCase> {};

TEST_P(AnsiArt, IsRealAnsiThatFitsItsWidthAndShowsEveryGlyph) {
    const ArtCase& c = GetParam();
    const std::vector<uint8_t> raw = read_bytes(kSourceDir / c.file);
    ASSERT_GT(raw.size(), 4u);
    EXPECT_EQ(raw[0], 0x1B);
    EXPECT_EQ(std::string(raw.end() - 4, raw.end()), "\x1b[0m");
    expect_crlf_lines(raw);

    LoadedFile art(c.file);
    ASSERT_EQ(art.loaded, 1);
    const Document& doc = art.document;
    ASSERT_EQ(doc.is_ansi, 1);
    EXPECT_LE(doc.max_line_width, c.columns + 1);
    EXPECT_GE(doc.line_count, c.min_rows);
    EXPECT_LE(doc.line_count, c.max_rows);

    // Until its first colour the decoder draws black on black, and a glyph in
    // the colour of its own background cannot be seen at all.
    for (uint32_t i = 0; i < doc.text_length; ++i) {
        const uint8_t ch = doc.text[i];
        if (ch == ' ' || ch == '\r' || ch == '\n' || ch == 0xDB) continue;
        const uint8_t a = doc.attrs[i];
        const bool bright = a & 0x40;
        const uint8_t fg = a & 7;
        const uint8_t bg = (a >> 3) & 7;
        EXPECT_FALSE(!bright && fg == bg) << "invisible glyph " << int(ch) << " at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Bundled, AnsiArt,
                         ::testing::Values(ArtCase{"samples/glyphora.ans", 80, 31, 60},
                                           ArtCase{"resources/about.ans", 45, 16, 16}));

TEST(SampleArt, FirstScreenIsColourfulAndScrollingShowsMore) {
    Viewer viewer;
    viewer.init();
    std::string path = (kSourceDir / "samples/glyphora.ans").string();
    ASSERT_EQ(viewer.open(path.data()), 1);
    ASSERT_EQ(viewer.view_cols, 84u);
    ASSERT_EQ(viewer.view_rows, 30u);
    viewer.compose();
    const size_t pixels = size_t(viewer.frame_width) * viewer.frame_height;
    const std::vector<uint8_t> first(viewer.frame.get(), viewer.frame.get() + pixels);
    EXPECT_GE(std::set<uint8_t>(first.begin(), first.end()).size(), 12u);

    viewer.scroll_vertical(2, 29);
    EXPECT_GT(viewer.top_row, 0u);
    const std::vector<uint8_t> scrolled(viewer.frame.get(), viewer.frame.get() + pixels);
    EXPECT_NE(first, scrolled);
}

TEST(SampleArt, PlainSampleIsCodePageTextWithoutEscapes) {
    const std::vector<uint8_t> raw = read_bytes(kSourceDir / "samples/glyphora.asc");
    ASSERT_FALSE(raw.empty());
    for (uint8_t b : raw) EXPECT_NE(b, 0x1B);
    expect_crlf_lines(raw);
    LoadedFile plain("samples/glyphora.asc");
    ASSERT_EQ(plain.loaded, 1);
    EXPECT_EQ(plain.document.is_ansi, 0);
    EXPECT_LE(plain.document.max_line_width, 81u);
    size_t drawing = 0;  // shades, lines and blocks
    for (uint8_t b : raw) drawing += b >= 0xB0 && b <= 0xDF;
    EXPECT_GT(drawing, 100u);
}

}  // namespace
