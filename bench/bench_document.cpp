// Throughput of the Document's hot paths on generated inputs, each beside a
// memcpy of the same number of bytes in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/ansi_decode.h"
#include "document/document.h"
#include "document/line_measure.h"
#include "document/line_wrap.h"
#include "document/standard_decode.h"

namespace {

enum class Kind { kTypicalArt, kDenseColour, kPlainText, kOneLongLine, kLargeArt };
constexpr int kKinds = 5;

constexpr size_t kTargetBytes = 8u << 20;
constexpr size_t kLongLineBytes = 16u << 20;
// A large file, as opened for real: beyond the caches and the allocator's reuse.
constexpr size_t kLargeBytes = 64u << 20;
constexpr int kArtColumns = 80;

// Small deterministic generator, so every run times the same bytes.
struct Random {
    uint32_t state = 12345;
    uint32_t next(uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    }
};

std::string colour(Random& r) {
    switch (r.next(4)) {
        case 0: return "\x1b[0;1;3" + std::to_string(r.next(8)) + "m";
        case 1: return "\x1b[3" + std::to_string(r.next(8)) + "m";
        case 2: return "\x1b[4" + std::to_string(r.next(8)) + ";3" + std::to_string(r.next(8)) + "m";
        default: return "\x1b[0m";
    }
}

// Colourful 80-column art: CR LF lines of shaded blocks, box lines and words,
// with a colour change every few characters and cursor-forward gaps.
std::string typical_art(size_t bytes) {
    static const char kGlyphs[] = "\xdb\xdb\xb2\xb1\xb0\xdc\xdf\xc4\xcd\xb3 abcdefgh";
    Random r;
    std::string out;
    while (out.size() < bytes) {
        int col = 0;
        while (col < kArtColumns) {
            const int left = kArtColumns - col;
            if (r.next(5) == 0) {
                const int gap = 1 + static_cast<int>(r.next(std::min(left, 20)));
                out += "\x1b[" + std::to_string(gap) + "C";
                col += gap;
                continue;
            }
            out += colour(r);
            const int run = std::min(left, 2 + static_cast<int>(r.next(10)));
            for (int i = 0; i < run; ++i) out += kGlyphs[r.next(sizeof kGlyphs - 1)];
            col += run;
        }
        out += "\x1b[0m\r\n";
    }
    return out;
}

std::string dense_colour() {
    Random r;
    std::string out;
    while (out.size() < kTargetBytes) {
        for (int col = 0; col < kArtColumns; col += 2)
            out += "\x1b[3" + std::to_string(r.next(8)) + "m\xdc\xdf";
        out += "\r\n";
    }
    return out;
}

std::string plain_text() {
    static const char* const kWords[] = {"the", "viewer", "shows", "art", "in", "colour",
                                         "blocks", "and", "shades", "of", "code", "page"};
    Random r;
    std::string out;
    while (out.size() < kTargetBytes) {
        std::string line;
        while (line.size() < 70) line += std::string(kWords[r.next(12)]) + " ";
        out += line + "\r\n";
    }
    return out;
}

std::string one_long_line() {
    std::string out(kLongLineBytes, ' ');
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>('a' + i % 26);
    return out;
}

// One generated input with its decoded form (the raw bytes for plain text).
struct Input {
    std::string raw;
    std::vector<uint8_t> text;
    std::vector<uint8_t> attrs;  // empty for plain text
    std::string file;            // the same bytes on disk, for load

    ByteSpan raw_span() const {
        return ByteSpan{reinterpret_cast<const uint8_t*>(raw.data()), static_cast<uint32_t>(raw.size())};
    }
    ByteSpan text_span() const { return ByteSpan{text.data(), static_cast<uint32_t>(text.size())}; }
};

const Input& input(Kind kind) {
    static std::unique_ptr<Input> inputs[kKinds];
    std::unique_ptr<Input>& slot = inputs[static_cast<int>(kind)];
    if (slot) return *slot;
    slot.reset(new Input);
    Input& in = *slot;
    switch (kind) {
        case Kind::kTypicalArt: in.raw = typical_art(kTargetBytes); break;
        case Kind::kLargeArt: in.raw = typical_art(kLargeBytes); break;
        case Kind::kDenseColour: in.raw = dense_colour(); break;
        case Kind::kPlainText: in.raw = plain_text(); break;
        case Kind::kOneLongLine: in.raw = one_long_line(); break;
    }
    if (kind != Kind::kPlainText && kind != Kind::kOneLongLine) {
        const uint64_t capacity = ansi_capacity(in.raw_span(), kMaxForwardBlanks);
        in.text.resize(capacity);
        in.attrs.resize(capacity);
        const uint32_t n = ansi_decode(in.raw_span(), kMaxForwardBlanks, in.text.data(), in.attrs.data(),
                                       static_cast<uint32_t>(capacity));
        in.text.resize(n);
        in.attrs.resize(n);
    } else {
        in.text.assign(in.raw.begin(), in.raw.end());
    }
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    in.file = std::string(dir) + "/glyphora_bench_" + std::to_string(getpid()) + "_" +
              std::to_string(static_cast<int>(kind));
    if (std::FILE* f = std::fopen(in.file.c_str(), "wb")) {
        std::fwrite(in.raw.data(), 1, in.raw.size(), f);
        std::fclose(f);
    }
    return in;
}

const uint8_t* attrs_or_null(const Input& in) { return in.attrs.empty() ? nullptr : in.attrs.data(); }

void BM_Memcpy(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    std::vector<uint8_t> out(in.raw.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.raw.data(), in.raw.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// One memchr through the file for a byte it does not hold.
void BM_Memchr(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    for (auto _ : state) benchmark::DoNotOptimize(std::memchr(in.raw.data(), 0x01, in.raw.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// The search for the room the decoded text needs, alone.
void BM_DecodeCapacity(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    for (auto _ : state) benchmark::DoNotOptimize(ansi_capacity(in.raw_span(), kMaxForwardBlanks));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// The decode as load runs it: into the first room, and only when that fills
// up, the exact room's search and a second decode (the allocations excluded).
void BM_Decode(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    const uint64_t room = std::max(ansi_capacity(in.raw_span(), kMaxForwardBlanks),
                                   ansi_first_capacity(in.raw_span(), kMaxForwardBlanks));
    std::vector<uint8_t> text(room), attrs(room);
    for (auto _ : state) {
        uint64_t capacity = ansi_first_capacity(in.raw_span(), kMaxForwardBlanks);
        uint32_t n = ansi_decode(in.raw_span(), kMaxForwardBlanks, text.data(), attrs.data(),
                                 static_cast<uint32_t>(capacity));
        if (n == capacity) {
            capacity = ansi_capacity(in.raw_span(), kMaxForwardBlanks);
            n = ansi_decode(in.raw_span(), kMaxForwardBlanks, text.data(), attrs.data(),
                            static_cast<uint32_t>(capacity));
        }
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

void BM_Measure(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    for (auto _ : state) benchmark::DoNotOptimize(measure_lines(in.text_span()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void BM_Wrap(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    const uint64_t capacity = wrapped_capacity(static_cast<uint32_t>(in.text.size()), kWrapColumn);
    std::vector<uint8_t> out(capacity), out_attrs(capacity);
    for (auto _ : state) {
        benchmark::DoNotOptimize(wrap_text(in.text_span(), attrs_or_null(in), kWrapColumn, out.data(),
                                           out_attrs.data(), static_cast<uint32_t>(capacity)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

void BM_MeasureAndWrap(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    const uint64_t capacity = wrapped_capacity(static_cast<uint32_t>(in.text.size()), kWrapColumn);
    std::vector<uint8_t> out(capacity), out_attrs(capacity);
    for (auto _ : state) {
        benchmark::DoNotOptimize(measure_lines(in.text_span()));
        benchmark::DoNotOptimize(wrap_text(in.text_span(), attrs_or_null(in), kWrapColumn, out.data(),
                                           out_attrs.data(), static_cast<uint32_t>(capacity)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.text.size()));
}

// What opening a file costs: read from a memory-backed file, decode, measure,
// allocate and wrap.
void BM_LoadAndWrap(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    Document doc;
    std::snprintf(doc.file_name, kPathSize, "%s", in.file.c_str());
    for (auto _ : state) {
        if (doc.load() != 1) state.SkipWithError("load failed");
        doc.wrap(kWrapColumn);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// A fresh read of the file into a new buffer: what any open pays first.
void BM_FreshRead(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[in.raw.size()]);
        std::FILE* f = std::fopen(in.file.c_str(), "rb");
        if (!f || std::fread(bytes.get(), 1, in.raw.size(), f) != in.raw.size()) state.SkipWithError("read failed");
        if (f) std::fclose(f);
        benchmark::DoNotOptimize(bytes.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// The standard reading's decode alone, on an 80-column screen with the
// bounds a load gives this file (the screen's allocations included).
void BM_StandardDecode(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    StandardSetup setup;
    setup.blank_budget = forward_blank_budget(in.raw.size());
    setup.max_rows = static_cast<uint32_t>(setup.blank_budget / (setup.columns + 1));
    for (auto _ : state) {
        StandardText screen = standard_decode(in.raw_span(), setup);
        // Generated rows fill all 80 columns and then end in CR LF, which
        // the standard reading draws as a blank row after each; a large
        // piece so reaches the screen's bound and is cut there.
        if (screen.failed) state.SkipWithError("no memory for the screen");
        benchmark::DoNotOptimize(screen.text.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

// Opening the file in the standard reading, as BM_LoadAndWrap does in Glyphora's.
void BM_StandardLoadAndWrap(benchmark::State& state, Kind kind) {
    const Input& in = input(kind);
    Document doc;
    doc.reading = kStandardReading;
    std::snprintf(doc.file_name, kPathSize, "%s", in.file.c_str());
    for (auto _ : state) {
        if (doc.load() != 1) state.SkipWithError("load failed");
        doc.wrap(kWrapColumn);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.raw.size()));
}

#define GLYPHORA_ANSI_BENCH(name, kind)                   \
    BENCHMARK_CAPTURE(BM_Memcpy, name, kind);             \
    BENCHMARK_CAPTURE(BM_DecodeCapacity, name, kind);     \
    BENCHMARK_CAPTURE(BM_Decode, name, kind);             \
    BENCHMARK_CAPTURE(BM_Measure, name, kind);            \
    BENCHMARK_CAPTURE(BM_Wrap, name, kind);               \
    BENCHMARK_CAPTURE(BM_LoadAndWrap, name, kind);       \
    BENCHMARK_CAPTURE(BM_FreshRead, name, kind);         \
    BENCHMARK_CAPTURE(BM_StandardDecode, name, kind);    \
    BENCHMARK_CAPTURE(BM_StandardLoadAndWrap, name, kind)

#define GLYPHORA_PLAIN_BENCH(name, kind)                  \
    BENCHMARK_CAPTURE(BM_Memcpy, name, kind);             \
    BENCHMARK_CAPTURE(BM_Measure, name, kind);            \
    BENCHMARK_CAPTURE(BM_Wrap, name, kind);               \
    BENCHMARK_CAPTURE(BM_MeasureAndWrap, name, kind);     \
    BENCHMARK_CAPTURE(BM_LoadAndWrap, name, kind)

GLYPHORA_ANSI_BENCH(typical_art, Kind::kTypicalArt);
GLYPHORA_ANSI_BENCH(dense_colour, Kind::kDenseColour);
GLYPHORA_PLAIN_BENCH(plain_text, Kind::kPlainText);
GLYPHORA_PLAIN_BENCH(one_long_line, Kind::kOneLongLine);
BENCHMARK_CAPTURE(BM_Memcpy, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Memchr, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadAndWrap, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FreshRead, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StandardDecode, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StandardLoadAndWrap, large_art, Kind::kLargeArt)->Unit(benchmark::kMillisecond);

void remove_files() {
    for (int k = 0; k < kKinds; ++k) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::remove((std::string(dir) + "/glyphora_bench_" + std::to_string(getpid()) + "_" +
                     std::to_string(k))
                        .c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    remove_files();
    return 0;
}
