#include "tools/shot/input_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/output_file.h"

namespace {

std::unique_ptr<uint8_t[]> room(uint64_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[std::max<uint64_t>(bytes, 1)]);
}

std::string too_large(uint64_t largest) {
    return "larger than the viewer's limit of " + std::to_string(largest) + " bytes";
}

// A stream's bytes while its size is unknown: mapped pages that grow by
// remapping, never by copying, so what is held is what was read and a page.
class StreamRoom {
public:
    ~StreamRoom() {
        if (base_) munmap(base_, capacity_);
    }
    uint8_t* grow(uint64_t wanted) {
        const uint64_t grown = std::max<uint64_t>(std::min<uint64_t>(capacity_ * 2, wanted), 64u << 10);
        void* moved = base_ ? mremap(base_, capacity_, grown, MREMAP_MAYMOVE)
                            : mmap(nullptr, grown, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (moved == MAP_FAILED) return nullptr;
        base_ = static_cast<uint8_t*>(moved);
        capacity_ = grown;
        return base_;
    }
    uint64_t capacity() const { return capacity_; }
    uint8_t* data() const { return base_; }

    // The first `size` bytes in a buffer of their own, each stretch given
    // back as it is copied, so the two together hold little more than one.
    std::unique_ptr<uint8_t[]> take(uint64_t size) {
        std::unique_ptr<uint8_t[]> bytes = room(size);
        constexpr uint64_t kStretch = 1u << 20;
        for (uint64_t done = 0; bytes && done < size; done += kStretch) {
            const uint64_t length = std::min(kStretch, size - done);
            std::memcpy(bytes.get() + done, base_ + done, length);
            madvise(base_ + done, length, MADV_DONTNEED);
        }
        return bytes;
    }

private:
    uint8_t* base_ = nullptr;
    uint64_t capacity_ = 0;
};

// One read into `to`, again when a signal cuts it short: bytes read, 0 at
// the end, -1 with errno set.
ssize_t read_some(int fd, uint8_t* to, uint64_t room_left) {
    for (;;) {
        const ssize_t got = ::read(fd, to, size_t(std::min<uint64_t>(room_left, 1u << 30)));
        if (got >= 0 || errno != EINTR) return got;
    }
}

// A file whose size is known: that many bytes at most, in one buffer.
bool read_known(int fd, uint64_t wanted, InputBytes& input, std::string& error) {
    input.bytes = room(wanted);
    if (!input.bytes) {
        error = "out of memory";
        return false;
    }
    uint64_t size = 0;
    while (size < wanted) {
        const ssize_t got = read_some(fd, input.bytes.get() + size, wanted - size);
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

// A stream, to its end or until `wanted` bytes are in; past `largest` it is
// refused before its bytes are copied.
bool read_stream(int fd, uint64_t wanted, uint64_t largest, InputBytes& input, std::string& error) {
    StreamRoom stream;
    uint64_t size = 0;
    while (size < wanted) {
        if (size == stream.capacity() && !stream.grow(wanted)) {
            error = "out of memory";
            return false;
        }
        const ssize_t got = read_some(fd, stream.data() + size, std::min(stream.capacity(), wanted) - size);
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        size += uint64_t(got);
    }
    if (size > largest) {
        error = too_large(largest);
        return false;
    }
    input.bytes = stream.take(size);
    input.size = static_cast<uint32_t>(size);
    if (!input.bytes) error = "out of memory";
    return input.bytes != nullptr;
}

}  // namespace

bool read_input(const std::string& file, uint64_t limit, InputBytes& input, std::string& error,
                const InputRules& rules) {
    input = InputBytes();
    const bool standard = is_standard_stream(file);
    // Where only a file will do, a FIFO's open must not wait for a writer.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (rules.only_files ? O_NONBLOCK : 0);
    const int fd = standard ? STDIN_FILENO : ::open(file.c_str(), flags);
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
    if (ok && !regular && !standard && rules.only_files) {
        error = "not a regular file: a thumbnail is drawn only from a file";
        ok = false;
    }
    const bool whole = limit >= rules.largest;
    if (ok && regular && whole && uint64_t(st.st_size) > rules.largest) {
        error = too_large(rules.largest);
        ok = false;
    }
    if (ok && regular) {
        // A file's size is known: one read of it, as Document::load makes.
        ok = read_known(fd, std::min<uint64_t>(limit, uint64_t(st.st_size)), input, error);
        uint8_t record[kSauceRecordSize];
        if (ok && limit < uint64_t(st.st_size) && uint64_t(st.st_size) >= sizeof record &&
            pread(fd, record, sizeof record, off_t(st.st_size - off_t(sizeof record))) == off_t(sizeof record))
            input.end_sauce = read_sauce(ByteSpan{record, sizeof record});
    } else if (ok) {
        // One byte past the largest tells a stream that is too large.
        ok = read_stream(fd, whole ? rules.largest + 1 : limit, rules.largest, input, error);
    }
    if (!standard) ::close(fd);
    if (!ok) input = InputBytes();
    return ok;
}
