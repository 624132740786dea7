// glyphora-shot's pictures of arbitrary files: a window's view, a thumbnail,
// or the whole piece (up to a bounded picture), through the tool's own
// render_shot. It is built with the tool's own limits (the frame, the blank
// budget), not the fuzz build's smaller ones: run with a per-input time limit
// and a memory limit (-timeout, -rss_limit_mb), a file that makes a picture
// cost far more than the picture needs is a finding.
//
// Input: five bytes choose the picture, the rest is the file.
//   0: mode (window, whole, thumbnail) in its low bits, then --wrap, --size,
//      --top and --left flags
//   1, 2: a window's columns and rows (1-256), or a thumbnail's size in
//      pixels (1-1024)
//   3, 4: --top (and --left), little-endian
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/shot/shot_render.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/text_extent.h"

namespace {

constexpr size_t kHeaderBytes = 5;
// A whole piece is drawn only when it has at most this many cells: --whole
// takes time in proportion to its picture, by design.
constexpr uint64_t kWholeCells = 32768;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

const std::string& scratch(const char* tail) {
    static const std::string art = "/tmp/glyphora_fuzz_shot_" + std::to_string(::getpid()) + ".ans";
    static const std::string png = "/tmp/glyphora_fuzz_shot_" + std::to_string(::getpid()) + ".png";
    return tail[0] == 'a' ? art : png;
}

bool write_file(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

bool small_enough_whole(const ShotRequest& r, const std::string& art) {
    ShotView view;
    std::string error;
    if (!view.open(art, nullptr, r.wrap, error)) return false;
    const Viewer& v = *view.viewer;
    const TextExtent extent = shown_extent(v.cur_text, v.cur_length, v.doc_cols);
    return uint64_t(extent.columns) * extent.rows <= kWholeCells;
}

// Width and height from the PNG's header.
bool png_size(const std::string& path, uint32_t& width, uint32_t& height) {
    uint8_t head[24];
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const bool read = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::fclose(f);
    const auto word = [&](int at) {
        return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    width = word(16);
    height = word(20);
    return read;
}

}  // namespace

// The memory limit is to catch a picture's own cost: AddressSanitizer's
// quarantine of freed blocks (256 MiB unless told) would otherwise fill it
// over a long replay of frames and bands that were each freed in time.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return 0;
    ShotRequest r;
    const uint8_t flags = data[0];
    r.mode = flags % 3 == 0 ? ShotMode::window : flags % 3 == 1 ? ShotMode::whole : ShotMode::thumbnail;
    r.wrap = flags & 0x04;
    // Both readings; the standard one at times on a screen of its own width.
    r.standard = flags & 0x40;
    r.screen_columns = r.standard && (flags & 0x80) ? 1u + data[2] : 0;
    const uint32_t top = data[3] | uint32_t(data[4]) << 8;
    if (r.mode == ShotMode::window) {
        r.sized = flags & 0x08;
        r.columns = r.sized ? 1u + data[1] : kStartViewCols;
        r.rows = r.sized ? 1u + data[2] : kStartViewRows;
        r.has_top = flags & 0x10;
        r.has_left = flags & 0x20;
        r.left = top * 7;
    } else if (r.mode == ShotMode::thumbnail) {
        r.thumbnail_px = 1u + (data[1] | uint32_t(data[2] & 3) << 8);
        r.has_top = flags & 0x10;
    }
    r.top = r.has_top ? top : 0;

    const std::string& art = scratch("art");
    const std::string& png = scratch("png");
    if (!write_file(art, data + kHeaderBytes, size - kHeaderBytes)) return 0;
    if (r.mode != ShotMode::whole || small_enough_whole(r, art)) {
        // What is looked for is the composing, not zlib's work.
        ShotTuning tuning;
        tuning.compression.level = 0;
        std::string error;
        if (render_shot(r, art, png, error, tuning)) {
            uint32_t width = 0, height = 0;
            check(png_size(png, width, height), "a written PNG has its header");
            if (r.mode == ShotMode::thumbnail)
                check(width >= 1 && height >= 1 && width <= r.thumbnail_px && height <= r.thumbnail_px,
                      "a thumbnail fits its size");
            if (r.mode == ShotMode::window)
                check(width == r.columns * 8 && height <= r.rows * 16, "a window's picture is its size");
        }
    }
    std::remove(art.c_str());
    std::remove(png.c_str());
    return 0;
}
