// What a failed open costs beside a large document that stays on show: a
// cancelled Open dialog, a missing file, a folder. It should not depend on the
// document's size at all, in either wrap mode.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/virtual_window.h"
#include "render/viewer.h"

namespace {

constexpr uint32_t kArtBytes = 64u << 20;

// 64 MiB of ANSI art: 80-column rows of colour changes and blocks.
std::string write_art() {
    std::string path = "/tmp/glyphora_bench_failed_open_" + std::to_string(::getpid()) + ".ans";
    std::string art;
    art.reserve(kArtBytes + 256);
    uint32_t n = 0;
    while (art.size() < kArtBytes) {
        for (int c = 0; c < 10; ++c) art += "\x1b[3" + std::to_string(n++ % 8) + "m\xdb\xdb\xb1\xb1 ab ";
        art += "\r\n";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) std::fwrite(art.data(), 1, art.size(), f), std::fclose(f);
    return path;
}

std::string art;

void BM_FailedOpenBesideLargeArt(benchmark::State& state) {
    if (art.empty()) art = write_art();
    Viewer viewer;
    viewer.init();
    HWND window = create_virtual_window();
    viewer.attach(GetDC(window), window);
    if (!viewer.open(&art[0])) {
        state.SkipWithError("the art did not open");
        return;
    }
    viewer.set_wrap(int(state.range(0)));
    static char missing[] = "/nonexistent/glyphora.ans";
    static char empty[] = "";
    static char folder[] = "/tmp";
    char* const paths[] = {empty, missing, folder};
    char* path = paths[state.range(1)];
    for (auto _ : state) benchmark::DoNotOptimize(viewer.open(path));
    state.SetLabel(std::to_string(viewer.document->text_length >> 20) + " MiB shown");
}
BENCHMARK(BM_FailedOpenBesideLargeArt)
    ->ArgNames({"wrapped", "path"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (!art.empty()) std::remove(art.c_str());
    return 0;
}
