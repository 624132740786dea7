#include "platform/output_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Short, so that beside any valid name it still is one; hidden, so that a
// folder listing does not show it while it is written.
constexpr char kTempPattern[] = ".glyphora-shot-XXXXXX";

// The signals that end a run by default and can be caught: a closed
// terminal, ^C and ^\, kill, a reader gone, timers, the CPU and file size
// limits (ulimit -t, -f), the user's and the real-time ones. SIGKILL cannot
// be caught, and a fault of the program's own (SIGSEGV and the like) is left
// to end it as it is.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGPIPE, SIGALRM, SIGXCPU, SIGXFSZ,
                                  SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSTKFLT};

template <typename Each>
void for_each_ending_signal(Each each) {
    for (int signal_number : kEndingSignals) each(signal_number);
    for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) each(signal_number);
}

void add_ending_signals(sigset_t& set) {
    for_each_ending_signal([&set](int signal_number) { sigaddset(&set, signal_number); });
}

// The temporaries being written, one slot for each output open at once (the
// jobs of a run write several), where the signal handler can reach them
// without allocating or locking. A slot is free, busy (its name or file
// changing, for a moment) or armed (its file exists under its name).
enum : int { kSlotFree, kSlotBusy, kSlotArmed };
struct TempSlot {
    std::atomic<int> state{kSlotFree};
    char name[PATH_MAX + 1];
};
TempSlot g_temps[kMaxOpenOutputs];
// Set by the handler before it looks: a slot taken after it is given up.
std::atomic<int> g_ending{0};

void remove_temp_and_end(int signal_number) {
    g_ending.store(1);
    for (TempSlot& slot : g_temps) {
        // A busy slot is another thread's, between two system calls: its
        // file is renamed, removed or armed in a moment.
        while (slot.state.load() == kSlotBusy) {
            const struct timespec pause {0, 100000};
            nanosleep(&pause, nullptr);
        }
        if (slot.state.load() == kSlotArmed) unlink(slot.name);
    }
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(signal_number, &default_action, nullptr);
    raise(signal_number);  // delivered as the handler returns: the program ends as it would have
}

void catch_ending_signals() {
    static std::atomic<bool> caught{false};
    if (caught.exchange(true)) return;
    for_each_ending_signal([](int signal_number) {
        struct sigaction present {};
        // A signal ignored (nohup, a background job) or handled elsewhere is left so.
        if (sigaction(signal_number, nullptr, &present) != 0 || (present.sa_flags & SA_SIGINFO) ||
            present.sa_handler != SIG_DFL)
            return;
        struct sigaction action {};
        action.sa_handler = remove_temp_and_end;
        sigemptyset(&action.sa_mask);
        add_ending_signals(action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    });
}

// Holds the ending signals back in this thread while a temporary's name and
// its existence change together: the handler, which waits for such a change
// to end, never runs in the middle of its own thread's.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        add_ending_signals(held);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

private:
    sigset_t before_;
};

bool fail(std::string& error, int error_number) {
    error = std::strerror(error_number);
    return false;
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the link `path` is one of /proc's, such as /proc/self/fd/1 behind
// /dev/stdout: it reaches an open file, whose name its text only reports.
bool system_link(const std::string& path) {
    struct statfs fs {};
    return statfs(folder_of(path).c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// The name `path` leads to once its symlinks are followed by name: a link to
// a missing file leads to that file's name, as redirection writes through
// it. `through_system` tells that a link of /proc's was on the way. False
// with errno set when a link cannot be read or there are more than the
// system follows.
bool follow_links(std::string& path, bool& through_system) {
    through_system = false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        if (system_link(path)) through_system = true;
        char text[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), text, sizeof text);
        if (length <= 0 || size_t(length) >= sizeof text) {
            if (length >= 0) errno = ENAMETOOLONG;
            return false;
        }
        const std::string next(text, size_t(length));
        path = next[0] == '/' ? next : folder_of(path) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// The file behind `found` (an O_PATH descriptor of `path`, described by
// `st`) opened for writing: through /proc, which reaches that very file;
// without /proc by name, kept only when it is still the same file.
int reopen_for_writing(int found, const char* path, const struct stat& st) {
    constexpr int kFlags = O_WRONLY | O_CLOEXEC | O_NOCTTY;
    const int fd = open(("/proc/self/fd/" + std::to_string(found)).c_str(), kFlags);
    if (fd >= 0 || errno != ENOENT) return fd;
    const int by_name = open(path, kFlags);
    struct stat now {};
    if (by_name < 0 || (fstat(by_name, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino))
        return by_name;
    close(by_name);
    errno = EAGAIN;
    return -1;
}

// Marks the armed slot of `out` busy while its file is renamed or removed.
TempSlot& busy_slot(const OutputFile& out) {
    TempSlot& slot = g_temps[out.temp_slot];
    slot.state.store(kSlotBusy);
    return slot;
}

void release_slot(OutputFile& out) {
    g_temps[out.temp_slot].state.store(kSlotFree);
    out.temp_slot = -1;
    out.temp.clear();
}

void remove_temp(OutputFile& out) {
    if (out.temp.empty()) return;
    EndingSignalsHeld held;
    busy_slot(out);
    unlink(out.temp.c_str());
    release_slot(out);
}

// A free slot, made busy; -1 when every one is taken or the program is
// ending.
int claim_slot() {
    for (int i = 0; i < kMaxOpenOutputs; ++i) {
        int expected = kSlotFree;
        if (!g_temps[i].state.compare_exchange_strong(expected, kSlotBusy)) continue;
        if (g_ending.load() == 0) return i;
        g_temps[i].state.store(kSlotFree);
        return -1;
    }
    return -1;
}

// A temporary beside `target`, with the permissions of the file it replaces
// (`existing`) or of a new file.
bool open_temporary(const std::string& target, const struct stat* existing, OutputFile& out,
                    std::string& error) {
    const std::string folder = folder_of(target);
    const std::string pattern = folder + (folder.back() == '/' ? "" : "/") + kTempPattern;
    if (pattern.size() > PATH_MAX) return fail(error, ENAMETOOLONG);
    catch_ending_signals();
    {
        EndingSignalsHeld held;
        const int slot = claim_slot();
        if (slot < 0) return fail(error, EMFILE);
        TempSlot& temp = g_temps[slot];
        std::memcpy(temp.name, pattern.c_str(), pattern.size() + 1);
        out.fd = mkostemp(temp.name, O_CLOEXEC);
        if (out.fd < 0) {
            const int reason = errno;
            temp.state.store(kSlotFree);
            return fail(error, reason);
        }
        temp.state.store(kSlotArmed);
        out.temp_slot = slot;
        out.temp = temp.name;
        out.target = target;
    }
    mode_t mode;
    if (existing) {
        // Kept where the system allows it, as writing into the file would;
        // where it does not, the picture is written all the same.
        [[maybe_unused]] const int owned = fchown(out.fd, existing->st_uid, existing->st_gid);
        mode = existing->st_mode & 0777;
    } else {
        // The mask is read once: reading it means setting it, and jobs on
        // other threads must never see it cleared.
        static const mode_t mask = [] {
            const mode_t m = umask(0);
            umask(m);
            return m;
        }();
        mode = 0666 & ~mask;
    }
    if (fchmod(out.fd, mode) != 0) {
        const int reason = errno;
        discard_output(out);
        return fail(error, reason);
    }
    return true;
}

}  // namespace

bool is_standard_stream(const std::string& name) {
    return name == "-";
}

bool open_output(const char* path, OutputFile& out, std::string& error) {
    out = OutputFile();
    if (is_standard_stream(path)) {
        out.fd = STDOUT_FILENO;
        out.standard = true;
        return true;
    }
    // Opened first, then judged by what was opened: a name looked at and then
    // opened may lead somewhere else the second time (a link changed between).
    const int found = open(path, O_PATH | O_CLOEXEC);
    if (found < 0 && errno != ENOENT) return fail(error, errno);
    std::string target = path;
    bool through_system = false;
    if (found < 0) return follow_links(target, through_system) ? open_temporary(target, nullptr, out, error)
                                                               : fail(error, errno);
    struct stat st {};
    const bool known = fstat(found, &st) == 0;
    const int reason = errno;
    if (!known || S_ISDIR(st.st_mode) || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        close(found);
        if (known && !S_ISDIR(st.st_mode)) {
            error = "not a file, a FIFO or a character device";
            return false;
        }
        return fail(error, known ? EISDIR : reason);
    }
    // Opening for writing is also the test that the person may write it: a
    // file they may not is neither written into nor replaced.
    out.fd = reopen_for_writing(found, path, st);
    close(found);
    if (out.fd < 0) return fail(error, errno);
    if (!S_ISREG(st.st_mode)) return true;
    // A link only the system can follow (/dev/stdout, /proc/self/fd/1) names
    // no file that could be replaced: the file it reaches is written into.
    // Its text may name that file, but a file replaced under an open
    // descriptor (a shell's >> log) would take everything written after.
    struct stat named {};
    if (!follow_links(target, through_system) || through_system || lstat(target.c_str(), &named) != 0 ||
        named.st_dev != st.st_dev || named.st_ino != st.st_ino) {
        if (ftruncate(out.fd, 0) == 0) return true;
        const int truncate_reason = errno;
        discard_output(out);
        return fail(error, truncate_reason);
    }
    close(out.fd);
    out.fd = -1;
    return open_temporary(target, &st, out, error);
}

bool write_output(OutputFile& out, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(out.fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

bool finish_output(OutputFile& out, std::string& error) {
    const int fd = out.fd;
    out.fd = -1;
    if (out.standard) return true;
    if (close(fd) != 0) {
        const int reason = errno;
        remove_temp(out);
        return fail(error, reason);
    }
    if (out.temp.empty()) return true;
    int reason = 0;
    {
        EndingSignalsHeld held;
        busy_slot(out);
        if (rename(out.temp.c_str(), out.target.c_str()) != 0) {
            reason = errno;
            unlink(out.temp.c_str());
        }
        release_slot(out);
    }
    return reason == 0 || fail(error, reason);
}

void discard_output(OutputFile& out) {
    if (out.fd >= 0 && !out.standard) close(out.fd);
    out.fd = -1;
    remove_temp(out);
}
