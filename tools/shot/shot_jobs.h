#pragma once
// Pictures made on several threads at once: the tasks shared among them, the
// messages and progress line they write, and a bound on the bytes they hold.
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// One job per core this process may run on.
unsigned default_jobs();

// Runs task(index, worker) for every index below `count` on `jobs` threads
// (worker is 0 .. jobs - 1), each taking the next index in turn; returns when
// all are done. With one job the calling thread runs them. The threads hold
// back the signals that end the program, so the calling thread takes those
// (and removes the temporaries of pictures being written).
void run_tasks(size_t count, unsigned jobs, const std::function<void(size_t task, unsigned worker)>& task);

// A run's messages ("glyphora-shot: " and a line) in the order of its pieces,
// whatever order they are made in, so any number of jobs writes the same
// lines; and, with `progress` (a terminal), a line "DONE/TOTAL pieces" that
// each finished piece rewrites, erased before each message and at the end.
class BatchReport {
public:
    BatchReport(std::FILE* errors, bool progress, size_t total);

    // Piece `piece` is done, with its messages.
    void done(size_t piece, std::vector<std::string> lines);
    void finish();

private:
    void write(const std::string& line);
    void draw();

    std::mutex lock_;
    std::FILE* errors_;
    bool progress_;
    size_t finished_ = 0;
    size_t next_ = 0;  // the first piece whose messages are not written yet
    std::vector<char> done_;
    std::vector<std::vector<std::string>> held_;
};

// Bounds the bytes of pack members held at once: a piece waits until the
// pieces being made leave room for its bytes; when none is, it goes in,
// whatever its size.
class MemoryGate {
public:
    explicit MemoryGate(uint64_t budget) : budget_(budget) {}
    void enter(uint64_t bytes);
    void leave(uint64_t bytes);

private:
    std::mutex lock_;
    std::condition_variable room_;
    uint64_t budget_;
    uint64_t used_ = 0;
};
