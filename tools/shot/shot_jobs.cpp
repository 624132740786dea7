#include "tools/shot/shot_jobs.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <atomic>
#include <thread>

unsigned default_jobs() {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 0) return unsigned(CPU_COUNT(&cpus));
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

void run_tasks(size_t count, unsigned jobs, const std::function<void(size_t, unsigned)>& task) {
    if (jobs <= 1 || count <= 1) {
        for (size_t i = 0; i < count; ++i) task(i, 0);
        return;
    }
    std::atomic<size_t> next{0};
    const auto work = [&](unsigned worker) {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal_number : {SIGHUP, SIGINT, SIGTERM}) sigaddset(&ending, signal_number);
        pthread_sigmask(SIG_BLOCK, &ending, nullptr);
        for (size_t i; (i = next.fetch_add(1)) < count;) task(i, worker);
    };
    std::vector<std::thread> threads;
    const unsigned used = unsigned(std::min<size_t>(jobs, count));
    for (unsigned w = 0; w < used; ++w) threads.emplace_back(work, w);
    for (std::thread& t : threads) t.join();
}

BatchReport::BatchReport(std::FILE* errors, bool progress, size_t total)
    : errors_(errors), progress_(progress), done_(total, 0), held_(total) {
    std::lock_guard<std::mutex> held(lock_);
    draw();
}

void BatchReport::write(const std::string& line) {
    if (progress_) std::fputs("\r\x1b[K", errors_);
    std::fprintf(errors_, "glyphora-shot: %s\n", line.c_str());
    draw();
}

void BatchReport::draw() {
    if (progress_) std::fprintf(errors_, "\r\x1b[K%zu/%zu pieces", finished_, done_.size());
    std::fflush(errors_);
}

void BatchReport::done(size_t piece, std::vector<std::string> lines) {
    std::lock_guard<std::mutex> held(lock_);
    ++finished_;
    done_[piece] = 1;
    held_[piece] = std::move(lines);
    bool wrote = false;
    for (; next_ < done_.size() && done_[next_]; ++next_) {
        for (const std::string& line : held_[next_]) write(line);
        wrote = wrote || !held_[next_].empty();
        held_[next_] = std::vector<std::string>();
    }
    if (!wrote) draw();
}

void BatchReport::finish() {
    std::lock_guard<std::mutex> held(lock_);
    if (progress_) std::fputs("\r\x1b[K", errors_);
    std::fflush(errors_);
}

void MemoryGate::enter(uint64_t bytes) {
    std::unique_lock<std::mutex> held(lock_);
    room_.wait(held, [&] { return used_ == 0 || used_ + bytes <= budget_; });
    used_ += bytes;
}

void MemoryGate::leave(uint64_t bytes) {
    {
        std::lock_guard<std::mutex> held(lock_);
        used_ -= bytes;
    }
    room_.notify_all();
}
