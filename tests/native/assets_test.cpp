// The bundled art and the program's pictures: the generator reproduces the
// committed files byte for byte, in the layouts Windows and the resource
// compiler expect, in the Viewer's own colours.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/viewer.h"

namespace {

namespace fs = std::filesystem;
const fs::path kSourceDir = GLYPHORA_SOURCE_DIR;
constexpr uint8_t kEsc = 0x1B;

std::vector<uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

// Runs glyphora-assets with the arguments and returns its exit status.
int run_generator(const std::string& arguments) {
    const char* dir = std::getenv("GLYPHORA_BUILD_DIR");
    const fs::path tool = (dir ? fs::path(dir) : fs::read_symlink("/proc/self/exe").parent_path()) / "glyphora-assets";
    const int status = std::system(("\"" + tool.string() + "\" " + arguments + " 2>/dev/null").c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

const uint8_t* viewer_colours() {
    static Viewer* viewer = [] { auto* v = new Viewer; v->init(); return v; }();
    return reinterpret_cast<const uint8_t*>(viewer->bitmap_info.bmiColors);
}

TEST(AssetsGenerator, RewritesTheCommittedFilesByteForByte) {
    const fs::path out = fs::temp_directory_path() / ("glyphora-assets-" + std::to_string(::getpid()));
    fs::remove_all(out);
    fs::create_directories(out);
    ASSERT_EQ(run_generator("\"" + out.string() + "\""), 0) << "glyphora-assets failed or is missing";
    for (const char* name : {"samples/glyphora.ans", "samples/glyphora.asc", "resources/about.ans",
                             "resources/about.bmp", "resources/app.ico", "resources/app_small.ico",
                             "resources/document.ico"}) {
        const std::vector<uint8_t> made = read_bytes(out / name);
        EXPECT_FALSE(made.empty()) << name << " was not written";
        EXPECT_TRUE(made == read_bytes(kSourceDir / name))
            << name << " differs; after changing the art, font or palette, run glyphora-assets on the repository";
    }
    // A plain file where the folder should be cannot be written into; no folder at all is a usage error.
    std::ofstream(out / "file") << "not a folder";
    EXPECT_NE(run_generator("\"" + (out / "file").string() + "\""), 0);
    EXPECT_NE(run_generator(""), 0);
    fs::remove_all(out);
}

TEST(AssetsFiles, AboutPictureIs360By260With256ViewerColours) {
    const std::vector<uint8_t> bmp = read_bytes(kSourceDir / "resources/about.bmp");
    ASSERT_EQ(bmp.size(), 14u + 40u + 1024u + 360u * 260u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
    const struct { size_t at; uint32_t value; bool wide; } fields[] = {  // height > 0: rows bottom first
        {2, uint32_t(bmp.size()), true}, {10, 1078, true}, {14, 40, true}, {18, 360, true}, {22, 260, true},
        {26, 1, false}, {28, 8, false}, {30, 0, true}, {34, 360 * 260, true}};
    for (const auto& f : fields) EXPECT_EQ(f.wide ? le32(bmp, f.at) : le16(bmp, f.at), f.value) << "offset " << f.at;
    EXPECT_TRUE(le32(bmp, 46) == 0 || le32(bmp, 46) == 256);
    EXPECT_EQ(0, std::memcmp(&bmp[54], viewer_colours(), 1024));
}

TEST(AssetsFiles, IconsHoldThirtyTwoPixelImagesInTheViewersColours) {
    const struct { const char* file; std::vector<uint32_t> depths; } icons[] = {
        {"app.ico", {4, 8}}, {"app_small.ico", {8}}, {"document.ico", {8}}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.file);
        const std::vector<uint8_t> ico = read_bytes(kSourceDir / "resources" / icon.file);
        ASSERT_GE(ico.size(), 6u);
        EXPECT_EQ(le16(ico, 0), 0u);
        EXPECT_EQ(le16(ico, 2), 1u);  // an icon, not a cursor
        ASSERT_EQ(le16(ico, 4), icon.depths.size());
        size_t offset = 6 + 16 * icon.depths.size();
        for (size_t i = 0; i < icon.depths.size(); ++i) {
            const size_t entry = 6 + 16 * i;
            const uint32_t bits = icon.depths[i], table = bits == 4 ? 16 : 256;
            const uint32_t size = 40 + table * 4 + 32 * 32 * bits / 8 + 32 * 4;
            EXPECT_EQ(le16(ico, entry), 32u | 32u << 8) << "32x32 pixels";
            EXPECT_EQ(ico[entry + 2], bits == 4 ? 16 : 0) << "colour count";
            EXPECT_EQ(le16(ico, entry + 6), bits) << "image " << i;
            ASSERT_EQ(le32(ico, entry + 8), size);
            ASSERT_EQ(le32(ico, entry + 12), offset);
            ASSERT_LE(offset + size, ico.size());
            EXPECT_EQ(le32(ico, offset), 40u);
            EXPECT_EQ(le32(ico, offset + 4), 32u);
            EXPECT_EQ(le32(ico, offset + 8), 64u);  // colour image and mask together
            EXPECT_EQ(le16(ico, offset + 14), bits);
            const uint8_t* colours = &ico[offset + 40];
            if (bits == 4) {  // the eight normal colours, then the eight bright ones
                EXPECT_EQ(0, std::memcmp(colours, viewer_colours(), 32));
                EXPECT_EQ(0, std::memcmp(colours + 32, viewer_colours() + 64 * 4, 32));
            } else {
                EXPECT_EQ(0, std::memcmp(colours, viewer_colours(), 1024));
            }
            offset += size;
        }
        EXPECT_EQ(offset, ico.size());
    }
}

TEST(AssetsFiles, SamplesAreAnsiOrPlainWithCrLfLines) {
    const struct { const char* name; bool ansi; } samples[] = {
        {"samples/glyphora.ans", true}, {"resources/about.ans", true}, {"samples/glyphora.asc", false}};
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.name);
        const std::vector<uint8_t> raw = read_bytes(kSourceDir / sample.name);
        ASSERT_GT(raw.size(), 4u);
        if (sample.ansi) EXPECT_EQ(raw[0], kEsc);
        else EXPECT_EQ(std::memchr(raw.data(), kEsc, raw.size()), nullptr);
        size_t lines = 0;
        for (size_t i = 0; i < raw.size(); ++i) {
            lines += raw[i] == '\n';
            EXPECT_TRUE(raw[i] != '\n' || (i > 0 && raw[i - 1] == '\r')) << "LF alone at " << i;
            EXPECT_TRUE(raw[i] != '\r' || (i + 1 < raw.size() && raw[i + 1] == '\n')) << "CR alone at " << i;
        }
        EXPECT_GT(lines, 15u);
    }
}

}  // namespace
