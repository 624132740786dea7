#include "tools/shot/input_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "document/document.h"
#include "platform/output_file.h"

namespace {

std::unique_ptr<uint8_t[]> room(uint64_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[std::max<uint64_t>(bytes, 1)]);
}

std::string too_large() {
    return "larger than the viewer's limit of " + std::to_string(kMaxFileSize) + " bytes";
}

// Reads from fd into `input` until its end or until `wanted` bytes are in;
// a stream's size is not known, so the room doubles as it fills.
bool read_stream(int fd, uint64_t wanted, uint64_t known_size, InputBytes& input, std::string& error) {
    uint64_t capacity = std::min<uint64_t>(known_size ? known_size : 64u << 10, wanted);
    input.bytes = room(capacity);
    uint64_t size = 0;
    for (;;) {
        if (!input.bytes) {
            error = "out of memory";
            return false;
        }
        if (size == wanted) break;
        if (size == capacity) {
            const uint64_t grown = std::min<uint64_t>(capacity * 2 + 1, wanted);
            std::unique_ptr<uint8_t[]> bigger = room(grown);
            if (bigger) std::memcpy(bigger.get(), input.bytes.get(), size);
            input.bytes = std::move(bigger);
            capacity = grown;
            continue;
        }
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(capacity - size, 1u << 30));
        const ssize_t got = ::read(fd, input.bytes.get() + size, chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        size += uint64_t(got);
    }
    input.size = static_cast<uint32_t>(size);
    return true;
}

}  // namespace

bool read_input(const std::string& file, uint64_t limit, InputBytes& input, std::string& error) {
    input = InputBytes();
    const bool standard = is_standard_stream(file);
    const int fd = standard ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok) error = std::strerror(errno);
    if (ok && S_ISDIR(st.st_mode)) {
        error = std::strerror(EISDIR);
        ok = false;
    }
    const bool regular = ok && S_ISREG(st.st_mode);
    if (ok && regular && limit >= kMaxFileSize && uint64_t(st.st_size) > kMaxFileSize) {
        error = too_large();
        ok = false;
    }
    if (ok) {
        // One byte past the viewer's limit tells a stream that is too large.
        // A file's size is known: one read of it, as Document::load makes.
        uint64_t wanted = std::min<uint64_t>(limit, kMaxFileSize + 1);
        if (regular) wanted = std::min<uint64_t>(wanted, uint64_t(st.st_size));
        ok = read_stream(fd, wanted, regular ? wanted : 0, input, error);
        if (ok && input.size > kMaxFileSize) {
            error = too_large();
            ok = false;
        }
    }
    if (!standard) ::close(fd);
    if (!ok) input = InputBytes();
    return ok;
}
