#pragma once
// A member's bytes as a file of its own would hold them: stored or deflated
// data unpacked, never past the size the directory declares, its CRC checked.
#include <cstdint>
#include <memory>
#include <string>

// Art is small and a gallery holds many pieces: a member declared larger is
// refused before anything is inflated, so a ZIP bomb costs no more than this.
constexpr uint64_t kMaxMemberSize = 64u << 20;

constexpr uint32_t kMethodStored = 0;
constexpr uint32_t kMethodDeflated = 8;
constexpr uint32_t kZipEncryptedFlag = 1u << 0;

struct PackBytes {
    std::unique_ptr<uint8_t[]> bytes;  // never null after a successful read
    uint32_t size = 0;
};

// Why a member with these directory fields cannot be read ("encrypted", the
// unsupported method, "larger than 64 MiB"), or "" when it may be.
std::string member_refusal(uint32_t flags, uint32_t method, uint64_t size);

// Hands out the member's raw (compressed) bytes: how many it put in `into`
// (at most `room`), 0 at their end, -1 when they cannot be read.
using ReadRaw = long (*)(void* context, uint8_t* into, unsigned room);

// Unpacks a member the directory lets through (member_refusal() is ""): its
// `size` bytes into `out`, or false with the reason: "bad CRC", "corrupt at
// byte N" when the data breaks off or goes on past `size` (N the bytes it
// gave before, at most `size`).
bool unpack_member(uint32_t method, uint64_t size, uint32_t crc, ReadRaw read, void* context, PackBytes& out,
                   std::string& reason);
