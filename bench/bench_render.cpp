// Composition against the two floors it cannot beat: clearing the frame
// (memset) and reading the text once (memchr). Each case runs beside its floor.
// Also the line scan at each width the program can be built with.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "document/line_scan.h"
#include "document/row_index.h"
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

// A large plain text shown as the Document's own, so composition finds its
// first row through the Document's row index: the same cost at any depth.
constexpr uint64_t kLargeTextBytes = 256u << 20;

// 80-column lines ending in CR LF, copied from a few hundred distinct ones, so
// that it is quick to make even on a slow machine.
const std::vector<uint8_t>& large_plain_text() {
    static std::vector<uint8_t> text;
    if (!text.empty()) return text;
    const ShownArt lines = colourful_art(80, 300 * 82, true);
    text.resize(kLargeTextBytes);
    for (uint64_t at = 0; at < text.size(); at += lines.text.size())
        std::memcpy(&text[at], lines.text.data(), std::min<uint64_t>(lines.text.size(), text.size() - at));
    return text;
}

uint32_t line_ends(const std::vector<uint8_t>& text) {
    return uint32_t(std::count(text.begin(), text.end(), uint8_t('\n')));
}

std::unique_ptr<Viewer> viewer_of_document_text(std::vector<uint8_t>& text, uint32_t top_row) {
    auto v = std::make_unique<Viewer>();
    v->init();
    Document& doc = *v->document;
    doc.text = text.data();
    doc.text_length = uint32_t(text.size());
    doc.is_ansi = 0;
    doc.text_rows.describe(doc.text, doc.text_length);
    v->cur_text = doc.text;
    v->cur_length = doc.text_length;
    v->view_cols = 84, v->view_rows = 30;
    v->frame_width = 84 * kCellWidth, v->frame_height = 30 * kCellHeight;
    v->top_row = top_row, v->bottom_row = top_row + 29;
    v->left_col = 0, v->right_col = 83;
    return v;
}

// Deep: the last full view, moved up to the row before an index entry, which
// is the longest walk from one.
void compose_large(benchmark::State& state, bool deep) {
    std::vector<uint8_t>& text = const_cast<std::vector<uint8_t>&>(large_plain_text());
    const uint32_t last_view = line_ends(text) - 29;
    auto v = viewer_of_document_text(text, deep ? last_view / kRowStep * kRowStep - 1 : 0);
    v->compose();  // the first composition fills the index
    for (auto _ : state) {
        v->compose();
        benchmark::DoNotOptimize(v->frame.get());
        benchmark::ClobberMemory();
    }
}

void BM_ComposeFirstRow_256MiB(benchmark::State& state) { compose_large(state, false); }
void BM_ComposeDeepest_256MiB(benchmark::State& state) { compose_large(state, true); }

// What the first composition at the last row costs: filling the index.
void BM_RowIndexFill_256MiB(benchmark::State& state) {
    const std::vector<uint8_t>& text = large_plain_text();
    const uint32_t last = line_ends(text);
    RowIndex index;
    for (auto _ : state) {
        index.describe(text.data(), uint32_t(text.size()));
        benchmark::DoNotOptimize(index.row_start(last));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// The row search at each width, through 16 MiB, beside the memchr floor.
void skip_all_rows(benchmark::State& state, uint64_t (*skip)(const uint8_t*, uint64_t, uint64_t, uint64_t)) {
    const ShownArt art = colourful_art(80, kDeepTextBytes, true);
    for (auto _ : state) benchmark::DoNotOptimize(skip(art.text.data(), art.text.size(), 0, art.line_ends));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(art.text.size()));
}

// The line-end search at each width, through 16 MiB without a line end.
void find_no_line_end(benchmark::State& state, uint64_t (*find)(const uint8_t*, uint64_t, uint64_t)) {
    const std::vector<uint8_t> text(kDeepTextBytes, 'x');
    for (auto _ : state) benchmark::DoNotOptimize(find(text.data(), 0, text.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

#if defined(GLYPHORA_HAVE_SSE2_SCAN)
BENCHMARK_CAPTURE(skip_all_rows, sse2, scan_sse2::skip_rows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(find_no_line_end, sse2, scan_sse2::find_line_end)->Unit(benchmark::kMicrosecond);
#endif
BENCHMARK_CAPTURE(skip_all_rows, words64, scan_words64::skip_rows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(find_no_line_end, words64, scan_words64::find_line_end)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(skip_all_rows, words32, scan_words32::skip_rows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(find_no_line_end, words32, scan_words32::find_line_end)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_Compose_84x30);
BENCHMARK(BM_Memset_84x30);
BENCHMARK(BM_Compose_160x64);
BENCHMARK(BM_Memset_160x64);
BENCHMARK(BM_ComposeDeepRow_LF)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeDeepRow_CRLF)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemchrScan_16MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFirstRow_256MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeDeepest_256MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RowIndexFill_256MiB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
