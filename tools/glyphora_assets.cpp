// glyphora-assets ROOT: writes the bundled art and the program's pictures into
// ROOT (the repository, or any folder), the same bytes on every run:
//   samples/glyphora.ans, samples/glyphora.asc   our sample art
//   resources/about.ans                          the About picture's art
//   resources/about.bmp                          that art drawn by Glyphora itself
//   resources/app.ico, app_small.ico, document.ico
// The pictures come from the built-in font and the Viewer's colour table, so a
// change to either shows up as a difference in the committed files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "render/viewer.h"
#include "tools/assets/cell_canvas.h"
#include "tools/assets/icons.h"
#include "tools/assets/image_files.h"
#include "tools/assets/sample_art.h"

namespace {

constexpr uint32_t kAboutWidth = 360;
constexpr uint32_t kAboutHeight = 260;

bool write_file(const std::filesystem::path& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "glyphora-assets: cannot write %s\n", path.string().c_str());
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "glyphora-assets: cannot write %s\n", path.string().c_str());
        std::remove(path.string().c_str());
        return false;
    }
    return true;
}

bool write_file(const std::filesystem::path& path, const std::string& bytes) {
    return write_file(path, bytes.data(), bytes.size());
}

bool write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    return write_file(path, bytes.data(), bytes.size());
}

// Opens the art as the program does and composes it in a view of exactly its
// size; the picture is that view, centred on black.
bool render_about(Viewer& viewer, const std::filesystem::path& art, assets::IndexedImage& image) {
    std::string path = art.string();
    std::vector<char> path_buffer(path.begin(), path.end());
    path_buffer.push_back('\0');
    viewer.resize(assets::kAboutCols, assets::kAboutRows);
    if (!viewer.open(path_buffer.data())) {
        std::fprintf(stderr, "glyphora-assets: cannot open %s\n", path.c_str());
        return false;
    }
    viewer.paint(1);
    image.width = kAboutWidth;
    image.height = kAboutHeight;
    image.pixels.assign(size_t{kAboutWidth} * kAboutHeight, 0);
    const uint32_t top = (kAboutHeight - viewer.frame_height) / 2;
    const uint32_t left = (kAboutWidth - viewer.frame_width) / 2;
    for (uint32_t y = 0; y < viewer.frame_height; ++y)
        std::memcpy(&image.pixels[size_t(top + y) * kAboutWidth + left],
                    &viewer.frame[size_t(y) * viewer.frame_width], viewer.frame_width);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyphora-assets ROOT\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::error_code error;
    std::filesystem::create_directories(root / "samples", error);
    std::filesystem::create_directories(root / "resources", error);

    Viewer viewer;
    viewer.init();
    if (!viewer.frame || !viewer.document) {
        std::fprintf(stderr, "glyphora-assets: out of memory\n");
        return 1;
    }
    const RGBQUAD* colours = viewer.bitmap_info.bmiColors;

    const std::filesystem::path about_art = root / "resources" / "about.ans";
    assets::IndexedImage about;
    const bool ok =
        write_file(root / "samples" / "glyphora.ans", assets::to_ansi(assets::draw_sample())) &&
        write_file(root / "samples" / "glyphora.asc", assets::plain_sample()) &&
        write_file(about_art, assets::to_ansi(assets::draw_about())) &&
        render_about(viewer, about_art, about) &&
        write_file(root / "resources" / "about.bmp", assets::bmp_file(about, colours)) &&
        write_file(root / "resources" / "app.ico",
                   assets::ico_file({assets::app_icon(4), assets::app_icon(8)}, colours)) &&
        write_file(root / "resources" / "app_small.ico",
                   assets::ico_file({assets::app_small_icon()}, colours)) &&
        write_file(root / "resources" / "document.ico",
                   assets::ico_file({assets::document_icon()}, colours));
    return ok ? 0 : 1;
}
