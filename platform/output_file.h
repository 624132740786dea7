#pragma once
// Where a picture is written, as shell redirection and cp write: a file or a
// new name is replaced whole, never seen half-written (a temporary beside it,
// renamed over it); a symlink's target is replaced so and the link kept; a
// FIFO, a character device and "-" (standard output) are written straight
// through; a block device or a socket is refused. What is written is judged
// by the file opened, never by a name looked at before. The temporary is
// removed on failure and when a signal that can be caught ends the program
// (SIGKILL cannot). Threads may each have outputs open, up to
// kMaxOpenOutputs at once: the handler removes every temporary, waiting for
// one that another thread is making or renaming at that moment.
#include <cstddef>
#include <string>

constexpr int kMaxOpenOutputs = 256;

struct OutputFile {
    int fd = -1;
    bool standard = false;  // standard output: left open at the end
    std::string temp;       // the temporary, when `target` is replaced through one
    std::string target;
    int temp_slot = -1;     // where the signal handler finds the temporary
};

// "-" names the standard stream: standard input as a file to read, standard
// output as one to write.
bool is_standard_stream(const std::string& name);

// Opens `path` for writing. False with the reason in `error` (a folder, a
// block device or socket, the system's reason), nothing made.
bool open_output(const char* path, OutputFile& out, std::string& error);

// Writes all `size` bytes; false with errno set.
bool write_output(OutputFile& out, const void* data, size_t size);

// Closes the output and puts a temporary in place of its target. False with
// the reason in `error`, the temporary removed and the target as it was.
bool finish_output(OutputFile& out, std::string& error);

// Closes the output and removes the temporary, if any.
void discard_output(OutputFile& out);
