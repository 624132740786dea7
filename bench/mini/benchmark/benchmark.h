#pragma once
// The part of Google Benchmark's interface that bench/*.cpp use, timed by the
// standard clock, for the 32-bit Windows build (Debian ships Google Benchmark
// for the native system only). Same loop, same flags for filter, minimum time
// and repetitions; it prints time per iteration and bytes per second.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond };

class State {
public:
    struct __attribute__((unused)) Value {};
    struct Iterator {
        State* state;
        int64_t left;
        bool operator!=(const Iterator&) const {
            if (left > 0) return true;
            state->stop();
            return false;
        }
        void operator++() { --left; }
        Value operator*() const { return {}; }
    };
    explicit State(int64_t iterations) : iterations_(iterations) {}
    Iterator begin() {
        start_ = std::chrono::steady_clock::now();
        return {this, iterations_};
    }
    Iterator end() { return {this, 0}; }
    int64_t iterations() const { return iterations_; }
    void SetBytesProcessed(int64_t bytes) { bytes_ = bytes; }
    void SkipWithError(const char* message) { error_ = message; }

    double seconds = 0;
    int64_t bytes_ = 0;
    const char* error_ = nullptr;

private:
    void stop() { seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }
    int64_t iterations_;
    std::chrono::steady_clock::time_point start_;
};

struct Registered {
    std::string name;
    std::function<void(State&)> run;
    TimeUnit unit = kNanosecond;
    Registered* Unit(TimeUnit u) {
        unit = u;
        return this;
    }
};

inline std::vector<Registered*>& registry() {
    static std::vector<Registered*> all;
    return all;
}

inline Registered* add(const std::string& name, std::function<void(State&)> run) {
    registry().push_back(new Registered{name, std::move(run)});
    return registry().back();
}

template <class T>
inline void DoNotOptimize(const T& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}
inline void ClobberMemory() { asm volatile("" : : : "memory"); }

struct Options {
    std::string filter = ".";
    double min_time = 0.5;
    int repetitions = 1;
    bool aggregates_only = false;
};

inline Options& options() {
    static Options o;
    return o;
}

inline void Initialize(int* argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* flag) {
            const std::string f = std::string(flag) + "=";
            return a.compare(0, f.size(), f) == 0 ? a.substr(f.size()) : std::string();
        };
        if (!value("--benchmark_filter").empty()) options().filter = value("--benchmark_filter");
        else if (!value("--benchmark_min_time").empty()) options().min_time = std::atof(value("--benchmark_min_time").c_str());
        else if (!value("--benchmark_repetitions").empty()) options().repetitions = std::atoi(value("--benchmark_repetitions").c_str());
        else if (!value("--benchmark_report_aggregates_only").empty())
            options().aggregates_only = value("--benchmark_report_aggregates_only") == "true";
        else argv[kept++] = argv[i];
    }
    *argc = kept;
}

inline bool ReportUnrecognizedArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::fprintf(stderr, "unrecognized argument: %s\n", argv[i]);
    return argc > 1;
}

inline void report(const Registered& b, const std::string& suffix, double seconds_per_iteration, int64_t iterations,
                   double bytes_per_second) {
    const double scale = b.unit == kMicrosecond ? 1e6 : b.unit == kMillisecond ? 1e3 : 1e9;
    const char* unit = b.unit == kMicrosecond ? "us" : b.unit == kMillisecond ? "ms" : "ns";
    std::printf("%-48s %12.0f %s %10lld", (b.name + suffix).c_str(), seconds_per_iteration * scale, unit,
                static_cast<long long>(iterations));
    if (bytes_per_second > 0) std::printf(" bytes_per_second=%.4gM/s", bytes_per_second / 1048576.0);
    std::printf("\n");
    std::fflush(stdout);
}

// Grows the iteration count until a run lasts the minimum time, as Google
// Benchmark does, then repeats that run.
inline void RunSpecifiedBenchmarks() {
    const std::regex filter(options().filter);
    for (Registered* b : registry()) {
        if (!std::regex_search(b->name, filter)) continue;
        std::vector<double> per_iteration, rates;
        int64_t n = 1;
        bool failed = false;
        for (int rep = 0; rep < std::max(options().repetitions, 1) && !failed; ++rep) {
            for (;;) {
                State s(n);
                b->run(s);
                if (s.error_) {
                    std::printf("%-48s ERROR: %s\n", b->name.c_str(), s.error_);
                    failed = true;
                    break;
                }
                if (s.seconds >= options().min_time || n >= 1000000000) {
                    per_iteration.push_back(s.seconds / double(n));
                    rates.push_back(s.bytes_ > 0 && s.seconds > 0 ? double(s.bytes_) / s.seconds : 0);
                    if (!options().aggregates_only) report(*b, "", per_iteration.back(), n, rates.back());
                    break;
                }
                const double grow = s.seconds > 0 ? 1.4 * options().min_time / s.seconds : 10;
                n = std::max<int64_t>(n + 1, int64_t(double(n) * std::min(grow, 10.0)));
            }
        }
        if (per_iteration.size() > 1) {
            auto mean = [](const std::vector<double>& v) { double t = 0; for (double x : v) t += x; return t / v.size(); };
            auto median = [](std::vector<double> v) { std::sort(v.begin(), v.end()); return v[v.size() / 2]; };
            report(*b, "_mean", mean(per_iteration), n, mean(rates));
            report(*b, "_median", median(per_iteration), n, median(rates));
        }
    }
}

inline void Shutdown() {}

}  // namespace benchmark

#define GLYPHORA_BENCH_CONCAT2(a, b) a##b
#define GLYPHORA_BENCH_CONCAT(a, b) GLYPHORA_BENCH_CONCAT2(a, b)
#define BENCHMARK(fn) \
    static ::benchmark::Registered* GLYPHORA_BENCH_CONCAT(bench_, __COUNTER__) = ::benchmark::add(#fn, fn)
#define BENCHMARK_CAPTURE(fn, label, ...)                                                  \
    static ::benchmark::Registered* GLYPHORA_BENCH_CONCAT(bench_, __COUNTER__) = ::benchmark::add( \
        #fn "/" #label, [](::benchmark::State& st) { fn(st, __VA_ARGS__); })
#define BENCHMARK_MAIN()                                      \
    int main(int argc, char** argv) {                         \
        ::benchmark::Initialize(&argc, argv);                 \
        if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1; \
        ::benchmark::RunSpecifiedBenchmarks();                \
        return 0;                                             \
    }
