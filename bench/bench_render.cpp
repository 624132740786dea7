// Composition against the two floors it cannot beat: clearing the frame
// (memset) and reading the text once (memchr). Each case runs beside its floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "render/viewer.h"

namespace {

constexpr uint32_t kDeepTextBytes = 16u << 20;

struct ShownArt {
    std::vector<uint8_t> text;
    std::vector<uint8_t> attrs;
    uint32_t line_ends = 0;
};

// Lines of shades, blocks and letters in changing colours, ended by CR LF or LF.
ShownArt colourful_art(uint32_t columns, uint32_t min_bytes, bool crlf) {
    static const uint8_t kGlyphs[] = {0xDB, 0xDC, 0xDF, 0xB0, 0xB1, 0xB2, 0xC4, 0xCD, 'A', 'g', ' ', '*'};
    std::mt19937 rng(81);
    ShownArt art;
    uint8_t attr = 0x07;
    while (art.text.size() < min_bytes) {
        for (uint32_t c = 0; c < columns; ++c) {
            if (rng() % 6 == 0) attr = uint8_t(rng() & 0x7F);
            art.text.push_back(kGlyphs[rng() % sizeof kGlyphs]);
            art.attrs.push_back(attr);
        }
        if (crlf) {
            art.text.push_back('\r');
            art.attrs.push_back(attr);
        }
        art.text.push_back('\n');
        art.attrs.push_back(attr);
        ++art.line_ends;
    }
    return art;
}

std::unique_ptr<Viewer> viewer_showing(const ShownArt& art, uint32_t cols, uint32_t rows, uint32_t top_row) {
    auto v = std::make_unique<Viewer>();
    v->init();
    v->cur_text = art.text.data();
    v->cur_attrs = art.attrs.data();
    v->cur_length = static_cast<uint32_t>(art.text.size());
    v->document->is_ansi = 1;
    v->view_cols = cols;
    v->view_rows = rows;
    v->frame_width = cols * kCellWidth;
    v->frame_height = rows * kCellHeight;
    v->top_row = top_row;
    v->bottom_row = top_row + rows - 1;
    v->left_col = 0;
    v->right_col = cols - 1;
    return v;
}

void compose_view(benchmark::State& state, uint32_t cols, uint32_t rows) {
    const ShownArt art = colourful_art(cols, 200 * (cols + 2), true);
    auto v = viewer_showing(art, cols, rows, 0);
    for (auto _ : state) {
        v->compose();
        benchmark::DoNotOptimize(v->frame.get());
        benchmark::ClobberMemory();
    }
}

void memset_frame(benchmark::State& state, uint32_t cols, uint32_t rows) {
    std::vector<uint8_t> frame(kFrameBytes);
    for (auto _ : state) {
        std::memset(frame.data(), 0, size_t(cols) * kCellWidth * rows * kCellHeight);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}

void BM_Compose_84x30(benchmark::State& state) { compose_view(state, 84, 30); }
void BM_Memset_84x30(benchmark::State& state) { memset_frame(state, 84, 30); }
void BM_Compose_160x64(benchmark::State& state) { compose_view(state, 160, 64); }
void BM_Memset_160x64(benchmark::State& state) { memset_frame(state, 160, 64); }

// The view's first row is the text's last: composition scans all 16 MiB.
void deep_row(benchmark::State& state, bool crlf) {
    const ShownArt art = colourful_art(80, kDeepTextBytes, crlf);
    auto v = viewer_showing(art, 84, 30, art.line_ends);
    for (auto _ : state) {
        v->compose();
        benchmark::DoNotOptimize(v->frame.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(art.text.size()));
}

void BM_ComposeDeepRow_LF(benchmark::State& state) { deep_row(state, false); }
void BM_ComposeDeepRow_CRLF(benchmark::State& state) { deep_row(state, true); }

// One memchr over the same text for a byte it does not hold.
void BM_MemchrScan_16MiB(benchmark::State& state) {
    const ShownArt art = colourful_art(80, kDeepTextBytes, true);
    for (auto _ : state) {
        const void* hit = std::memchr(art.text.data(), 0x01, art.text.size());
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(art.text.size()));
}

BENCHMARK(BM_Compose_84x30);
BENCHMARK(BM_Memset_84x30);
BENCHMARK(BM_Compose_160x64);
BENCHMARK(BM_Memset_160x64);
BENCHMARK(BM_ComposeDeepRow_LF)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeDeepRow_CRLF)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemchrScan_16MiB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
