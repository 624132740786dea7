#pragma once
// What the snapshot tool's tests share: art files written on demand, PNGs
// decoded back with libpng, and the picture a window shows of the same file.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"

namespace shot_support {

// Files made by a test, removed when it ends.
class TempFiles {
public:
    ~TempFiles() {
        for (auto it = paths.rbegin(); it != paths.rend(); ++it) std::remove(it->c_str());
    }
    std::string name(const std::string& tail) {
        return paths.emplace_back(::testing::TempDir() + "glyphora_shot_" + std::to_string(getpid()) + "_" +
                                  std::to_string(paths.size()) + tail);
    }
    std::string write(const std::string& bytes, const std::string& tail = ".ans") {
        const std::string path = name(tail);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_TRUE(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && !std::fclose(f)) << path;
        return path;
    }
    std::string folder() {
        const std::string path = name("_dir");
        EXPECT_EQ(mkdir(path.c_str(), 0755), 0) << path;
        return path;
    }
    std::list<std::string> paths;
};

// `rows` lines of `columns` characters, every line in other colours, as ANSI.
inline std::string coloured_art(int columns, int rows) {
    std::string text;
    for (int row = 0; row < rows; ++row) {
        text += "\x1b[" + std::to_string(row % 2) + ";3" + std::to_string(row % 8) + ";4" +
                std::to_string(row % 7) + "m";
        for (int col = 0; col < columns; ++col) text += char(33 + (row * 7 + col) % 222);
        text += "\r\n";
    }
    return text;
}

struct Picture {
    bool ok = false;
    uint32_t width = 0, height = 0;
    int colour_type = -1, bit_depth = 0, palette_size = 0;
    std::vector<uint8_t> rgb;  // red, green, blue per pixel, top row first

    std::set<uint32_t> colours() const {
        std::set<uint32_t> seen;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) seen.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
        return seen;
    }
};

// Reads the PNG in `f` into `p` with libpng's own row reader, expanded to RGB.
inline bool decode_png(std::FILE* f, Picture& p) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    p.width = png_get_image_width(png, info);
    p.height = png_get_image_height(png, info);
    p.colour_type = png_get_color_type(png, info);
    p.bit_depth = png_get_bit_depth(png, info);
    png_colorp palette = nullptr;
    if (p.colour_type == PNG_COLOR_TYPE_PALETTE) png_get_PLTE(png, info, &palette, &p.palette_size);
    png_set_expand(png);
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const bool rgb = png_get_rowbytes(png, info) == size_t(p.width) * 3;
    if (rgb) {
        p.rgb.resize(size_t(p.width) * p.height * 3);
        for (uint32_t y = 0; y < p.height; ++y) png_read_row(png, p.rgb.data() + size_t(y) * p.width * 3, nullptr);
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return rgb;
}

inline Picture read_png(const std::string& path) {
    Picture p;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return p;
    p.ok = decode_png(f, p);
    std::fclose(f);
    if (!p.ok) p = Picture();
    return p;
}

// What a window shows of `file`: sized to columns x rows (when given) before
// the open, wrapped and scrolled after it, as the program does it.
inline Picture window_picture(const std::string& file, uint32_t columns, uint32_t rows, bool wrap = false,
                              uint32_t top = 0, uint32_t left = 0) {
    auto viewer = std::make_unique<Viewer>();
    viewer->init();
    HWND window = create_virtual_window();
    viewer->attach(GetDC(window), window);
    viewer->update_vscroll();
    viewer->update_hscroll();
    if (columns) viewer->resize(columns, rows);
    std::string path = file;
    Picture p;
    if (!viewer->open(&path[0])) return p;
    if (wrap) viewer->set_wrap(1);
    if (top) viewer->scroll_vertical(kScrollAbsolute, top);
    if (left) viewer->scroll_horizontal(kScrollAbsolute, left);
    viewer->paint(1);
    const PresentedImage* shown = presented_image(window);
    if (!shown) return p;
    p.ok = true;
    p.width = shown->width;
    p.height = shown->height;
    for (uint8_t i : shown->pixels) {
        const RGBQUAD& c = shown->colours[i];
        p.rgb.insert(p.rgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    return p;
}

inline std::string size_of(const Picture& p) {
    return p.ok ? std::to_string(p.width) + "x" + std::to_string(p.height) : "none";
}

// A PNG held in memory (read from a pipe), decoded as read_png decodes a file.
inline Picture png_from_bytes(const std::string& bytes) {
    Picture p;
    std::FILE* f = bytes.empty() ? nullptr : fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (!f) return p;
    p.ok = decode_png(f, p);
    std::fclose(f);
    if (!p.ok) p = Picture();
    return p;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The tool built beside this test binary.
inline std::string tool_path() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "glyphora-shot").string();
}

inline std::string shell_quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ToolRun {
    int code = -1;
    std::string out, err;
};

// `command` run by bash (a pipeline fails when any of its commands does), with
// no input and its output and errors kept.
inline ToolRun run_command(TempFiles& files, const std::string& command) {
    const std::string out = files.name(".out"), err = files.name(".err");
    const int raw = std::system(("bash -o pipefail -c " + shell_quoted(command) + " </dev/null >" +
                                 shell_quoted(out) + " 2>" + shell_quoted(err)).c_str());
    return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

// The tool with `args` (words; $NAME replaced from `names`), run through
// `wrapper` (a command that takes the tool's command line and a file) if given.
inline ToolRun run_tool(TempFiles& files, const std::string& args, const std::map<std::string, std::string>& names,
                        const std::string& wrapper = "") {
    std::string command = shell_quoted(tool_path());
    std::istringstream words(args);
    for (std::string w; words >> w;) command += " " + shell_quoted(names.count(w) ? names.at(w) : w);
    if (!wrapper.empty()) command = wrapper + " " + shell_quoted(command) + " /dev/null";
    return run_command(files, command);
}

}  // namespace shot_support
