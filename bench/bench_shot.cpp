// glyphora-shot's in-process work on typical art (80 columns, 45 rows, about
// 8 KB of ANSI) beside a memcpy of the picture: the whole run to a PNG file,
// and its stages (open and decode, compose, colours and deflate), the deflate
// under each zlib level, strategy and row filter worth weighing.
//
//   bench_shot --write-art DIR N   writes N such pieces into DIR (for timing
//                                  the program itself, e.g. with hyperfine)
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/png_image.h"
#include "tools/shot/shot_render.h"
#include "tools/shot/shot_view.h"

namespace {

// A piece like the art people keep: runs of blocks, shades, lines and
// letters, a new colour at about every other run, CR LF line ends.
std::string typical_art(uint32_t seed, uint32_t columns = 80, uint32_t rows = 45) {
    static const char kGlyphs[] = "\xDB\xDB\xDC\xDF\xB0\xB1\xB2\xC4\xCD   Ag*.";
    std::mt19937 rng(seed);
    std::string text = "\x1b[0m";
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns;) {
            if (rng() % 2 == 0)
                text += "\x1b[" + std::to_string(rng() % 2) + ";3" + std::to_string(rng() % 8) + ";4" +
                        std::to_string(rng() % 8) + "m";
            const char glyph = kGlyphs[rng() % (sizeof kGlyphs - 1)];
            for (uint32_t run = 1 + rng() % 12; run > 0 && c < columns; --run, ++c) text += glyph;
        }
        text += "\r\n";
    }
    return text;
}

std::string write_piece(const std::string& path, uint32_t seed) {
    const std::string art = typical_art(seed);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(art.data(), 1, art.size(), f);
        std::fclose(f);
    }
    return path;
}

const std::string& art_path() {
    static const std::string path = write_piece("/tmp/bench_shot_" + std::to_string(getpid()) + ".ans", 1);
    return path;
}

const std::string& png_path() {
    static const std::string path = "/tmp/bench_shot_" + std::to_string(getpid()) + ".png";
    return path;
}

ShotRequest whole_request() {
    ShotRequest r;
    r.mode = ShotMode::whole;
    return r;
}

// The floor: copying the picture's bytes once.
void BM_MemcpyPicture(benchmark::State& state) {
    const size_t bytes = 640 * 45 * 16;
    std::vector<uint8_t> from(bytes, 7), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}
BENCHMARK(BM_MemcpyPicture);

// Everything the program does for --whole after start-up, the file included.
void BM_WholeToPngFile(benchmark::State& state) {
    std::string error;
    for (auto _ : state) {
        if (!render_shot(whole_request(), art_path(), png_path(), error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_WholeToPngFile)->Unit(benchmark::kMicrosecond);

void BM_ThumbnailToPngFile(benchmark::State& state) {
    ShotRequest r;
    r.mode = ShotMode::thumbnail;
    r.thumbnail_px = 256;
    std::string error;
    for (auto _ : state) {
        if (!render_shot(r, art_path(), png_path(), error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_ThumbnailToPngFile)->Unit(benchmark::kMicrosecond);

// Stage: Viewer start-up, reading, decoding and wrapping the file.
void BM_StageOpen(benchmark::State& state) {
    std::string error;
    for (auto _ : state) {
        ShotView view;
        if (!view.open(art_path(), nullptr, false, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(view.viewer.get());
    }
}
BENCHMARK(BM_StageOpen)->Unit(benchmark::kMicrosecond);

// The typical piece, opened in a window of 80 x 45 cells.
void open_art(ShotView& view) {
    std::string error;
    view.open(art_path(), nullptr, false, error);
    view.viewer->resize(80, 45);
}

// Stage: composing the whole piece into the frame.
void BM_StageCompose(benchmark::State& state) {
    ShotView view;
    open_art(view);
    for (auto _ : state) {
        view.viewer->paint(1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StageCompose)->Unit(benchmark::kMicrosecond);

const uint8_t* frame_row(void* context, uint32_t y) {
    const Viewer& v = *static_cast<const Viewer*>(context);
    return v.frame.get() + uint64_t(y) * v.frame_width;
}

// The frame as a palette PNG at png_path(); a failure ends the benchmark.
void write_frame(Viewer& v, const PngPalette& palette, const PngCompression& compression,
                 benchmark::State& state) {
    std::string error;
    if (!write_palette_png(png_path().c_str(), PngRows{v.frame_width, v.frame_height, frame_row, &v}, palette,
                           compression, error))
        state.SkipWithError(error.c_str());
}

void count_png_bytes(benchmark::State& state) {
    std::FILE* f = std::fopen(png_path().c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    state.counters["png_bytes"] = double(std::ftell(f));
    std::fclose(f);
}

// Stage: the colours used, and the PNG written (deflate) with the settings in
// the arguments: level, strategy, filters, and 8 bits a pixel or as few as the
// colours allow. Reports the file's size.
void BM_StageColoursAndDeflate(benchmark::State& state) {
    ShotView view;
    open_art(view);
    Viewer& v = *view.viewer;
    PngCompression compression;
    compression.level = int(state.range(0));
    compression.strategy = int(state.range(1));
    compression.filters = int(state.range(2));
    for (auto _ : state) {
        UsedIndices used;
        mark_used_indices(v.frame.get(), size_t(v.frame_width) * v.frame_height, used);
        PngPalette palette = fold_palette(v.bitmap_info.bmiColors, used);
        if (state.range(3) == 8) palette.bit_depth = 8;
        write_frame(v, palette, compression, state);
    }
    count_png_bytes(state);
}
BENCHMARK(BM_StageColoursAndDeflate)
    ->Unit(benchmark::kMicrosecond)
    ->ArgNames({"level", "strategy", "filters", "bits"})
    ->ArgsProduct({{1, 3, 6, 9}, {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE}, {PNG_FILTER_NONE, PNG_ALL_FILTERS}, {0, 8}});

// zlib's memory at level 6: a smaller window and hash table are fewer fresh
// pages for a short process, at some cost in size. Arguments: window bits,
// memory level.
void BM_StageDeflateMemory(benchmark::State& state) {
    ShotView view;
    open_art(view);
    Viewer& v = *view.viewer;
    PngCompression compression;
    compression.window_bits = int(state.range(0));
    compression.memory_level = int(state.range(1));
    UsedIndices used;
    mark_used_indices(v.frame.get(), size_t(v.frame_width) * v.frame_height, used);
    const PngPalette palette = fold_palette(v.bitmap_info.bmiColors, used);
    for (auto _ : state) {
        write_frame(v, palette, compression, state);
    }
    count_png_bytes(state);
}
BENCHMARK(BM_StageDeflateMemory)
    ->Unit(benchmark::kMicrosecond)
    ->ArgNames({"window_bits", "memory_level"})
    ->ArgsProduct({{11, 12, 13, 14, 15}, {6, 7, 8}});

// The writer this tool used before: an RGB copy of the picture, then libpng.
void BM_RgbCopyAndDeflate(benchmark::State& state) {
    ShotView view;
    open_art(view);
    Viewer& v = *view.viewer;
    for (auto _ : state) {
        if (!write_indexed_png(png_path().c_str(), v.frame_width, v.frame_height, v.frame.get(),
                               v.bitmap_info.bmiColors))
            state.SkipWithError("cannot write");
    }
}
BENCHMARK(BM_RgbCopyAndDeflate)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write-art") == 0) {
        const int count = std::atoi(argv[3]);
        for (int i = 0; i < count; ++i) write_piece(std::string(argv[2]) + "/piece" + std::to_string(i) + ".ans", i + 1);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(art_path().c_str());
    std::remove(png_path().c_str());
    return 0;
}
