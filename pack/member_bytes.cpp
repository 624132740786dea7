#include "pack/member_bytes.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace {

// The old DOS methods by name, so a person knows what the pack holds.
std::string method_refusal(uint32_t method) {
    const std::string number = std::to_string(method);
    if (method == 1) return "unsupported method: shrink (1)";
    if (method >= 2 && method <= 5) return "unsupported method: reduce (" + number + ")";
    if (method == 6) return "unsupported method: implode (6)";
    return "unsupported method " + number;
}

constexpr unsigned kRawChunk = 64u << 10;

// Data that goes on past its declared size is cut there, and named so: a
// bomb stops at that byte. Data that breaks or stops short is only corrupt:
// where a broken stream stops depends on the inflater, and readers differ.
bool runs_on(uint64_t size, std::string& reason) {
    reason = "corrupt at byte " + std::to_string(size);
    return false;
}

bool corrupt(std::string& reason) {
    reason = "corrupt";
    return false;
}

// Stored data is its own bytes: they may only stop short or run on.
bool copy_stored(uint64_t size, ReadRaw read, void* context, uint8_t* out, uint64_t& produced,
                 std::string& reason) {
    for (;;) {
        const uint64_t room = size + 1 - produced;
        const long got = read(context, out + produced, unsigned(std::min<uint64_t>(room, kRawChunk)));
        if (got < 0) return corrupt(reason);
        if (got == 0) break;
        produced += uint64_t(got);
        if (produced > size) return runs_on(size, reason);
    }
    return produced == size || corrupt(reason);
}

// Deflated data is inflated into room for one byte past `size`: a byte there
// means the stream goes on past what the directory declared.
bool inflate_data(uint64_t size, ReadRaw read, void* context, uint8_t* out, uint64_t& produced,
                  std::string& reason) {
    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kRawChunk]);
    z_stream z{};
    if (!chunk || inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        reason = "out of memory";
        return false;
    }
    z.next_out = out;
    int result = Z_OK;
    bool input_ended = false;
    while (result == Z_OK) {
        if (z.avail_in == 0 && !input_ended) {
            const long got = read(context, chunk.get(), kRawChunk);
            if (got < 0) break;
            input_ended = got == 0;
            z.next_in = chunk.get();
            z.avail_in = unsigned(got);
        }
        const uint64_t room = size + 1 - (uint64_t(z.next_out - out));
        z.avail_out = unsigned(std::min<uint64_t>(room, 1u << 30));
        result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_BUF_ERROR && !input_ended) result = Z_OK;  // wants more input
        if (uint64_t(z.next_out - out) > size) break;
    }
    produced = uint64_t(z.next_out - out);
    inflateEnd(&z);
    if (produced > size) return runs_on(size, reason);
    if (result != Z_STREAM_END || produced != size) return corrupt(reason);
    return true;
}

}  // namespace

std::string member_refusal(uint32_t flags, uint32_t method, uint64_t size) {
    if (flags & kZipEncryptedFlag) return "encrypted";
    if (method != kMethodStored && method != kMethodDeflated) return method_refusal(method);
    if (size > kMaxMemberSize) return "larger than 64 MiB";
    return "";
}

bool unpack_member(uint32_t method, uint64_t size, uint32_t crc, ReadRaw read, void* context, PackBytes& out,
                   std::string& reason) {
    out = PackBytes();
    // Room is taken as the data arrives, page by page, so a member that
    // declares 64 MiB and breaks early costs what it gave.
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size + 1]);
    if (!bytes) {
        reason = "out of memory";
        return false;
    }
    uint64_t produced = 0;
    const bool whole = method == kMethodStored ? copy_stored(size, read, context, bytes.get(), produced, reason)
                                               : inflate_data(size, read, context, bytes.get(), produced, reason);
    if (!whole) return false;
    if (crc32(0, bytes.get(), unsigned(size)) != crc) {
        reason = "bad CRC";
        return false;
    }
    out.bytes = std::move(bytes);
    out.size = uint32_t(size);
    return true;
}
