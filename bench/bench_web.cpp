// The native side of the web page's benchmark (bench/web_bench.sh): the same
// cases as the page measures, on the same Viewer with a presenting virtual
// window, as the page runs it. Opening 64 MiB of art (a bundled sample repeated
// to 64 MiB, bytes copied into a fresh buffer first, as the page copies them
// into its module's memory) and one scroll step (a key, composition and
// presentation) at 84x30 and 240x67 cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"

namespace {

constexpr size_t kOpenBytes = 64u << 20;

std::vector<uint8_t> repeated_sample(const char* name, size_t size) {
    InputBytes sample;
    std::string error;
    std::vector<uint8_t> bytes(size);
    if (!read_input(std::string(GLYPHORA_SOURCE_DIR) + "/samples/" + name, kMaxFileSize, sample, error))
        return bytes;
    for (size_t at = 0; sample.size > 0 && at < size; at += sample.size)
        std::memcpy(&bytes[at], sample.bytes.get(), std::min<size_t>(sample.size, size - at));
    return bytes;
}

std::unique_ptr<Viewer> started_viewer(uint32_t cols, uint32_t rows) {
    auto v = std::make_unique<Viewer>();
    v->init();
    const HWND window = create_virtual_window();
    v->attach(GetDC(window), window);
    v->update_vscroll();
    v->update_hscroll();
    v->resize(cols, rows);
    return v;
}

bool open_copy(Viewer& v, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    const int opened = v.open_bytes(std::move(copy), static_cast<uint32_t>(bytes.size()));
    v.paint(1);
    return opened == 1;
}

void BM_open_64mib(benchmark::State& state, const char* sample) {
    const std::vector<uint8_t> bytes = repeated_sample(sample, kOpenBytes);
    auto v = started_viewer(84, 30);
    for (auto _ : state) {
        if (!open_copy(*v, bytes)) state.SkipWithError("the open failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK_CAPTURE(BM_open_64mib, ansi, "glyphora.ans")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_open_64mib, plain, "glyphora.asc")->Unit(benchmark::kMillisecond)->UseRealTime();

// Down through the text and back, a key at a time, each step presented.
void BM_scroll_step(benchmark::State& state) {
    const uint32_t cols = static_cast<uint32_t>(state.range(0));
    const uint32_t rows = static_cast<uint32_t>(state.range(1));
    auto v = started_viewer(cols, rows);
    if (!open_copy(*v, repeated_sample("glyphora.ans", 1u << 20))) state.SkipWithError("the open failed");
    uint32_t key = kKeyDown;
    for (auto _ : state) {
        if (v->top_row == 0) key = kKeyDown;
        if (v->bottom_row >= v->doc_rows) key = kKeyUp;
        apply_scroll_request(*v, key_scroll_request(key, v->view_cols, v->view_rows));
    }
}
BENCHMARK(BM_scroll_step)->Args({84, 30})->Args({240, 67})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
