#pragma once
// A ZIP pack of art, read through libzip: its members listed with what the
// directory says of them, and each art member's bytes read on request. The
// pack is read where it lies (a file, or bytes in memory), never whole.
#include <cstdint>
#include <string>
#include <vector>

#include "pack/member_bytes.h"

// A hostile directory could name millions of members, or members with names
// of 64 KiB: a pack whose directory is larger is refused as a whole before it
// is read (65,535 members with names of 200 bytes take 16 MiB).
constexpr uint64_t kMaxDirectoryBytes = 16u << 20;

struct PackMember {
    std::string path;     // in UTF-8, as the pack names it
    std::string problem;  // why it cannot be read, when its directory entry already tells; else ""
    uint64_t size = 0;
    uint64_t compressed_size = 0;
    uint32_t crc = 0;
    uint32_t method = 0;
    uint64_t index = 0;  // in the pack's directory
};

class PackReader {
public:
    PackReader() = default;
    PackReader(const PackReader&) = delete;
    PackReader& operator=(const PackReader&) = delete;
    ~PackReader();

    // Opens the pack in the file `path`, or in the `size` bytes at `data`
    // (which must outlive the reader). False with the message in `error`
    // when it cannot be read as a ZIP at all.
    bool open_file(const std::string& path, std::string& error);
    bool open_memory(const uint8_t* data, uint64_t size, std::string& error);

    // Its art members, sorted by path (as bytes), each with the problem its
    // directory entry shows: encryption, a method, a size over the limit, or
    // data that overlaps another member's ("corrupt"). False with the
    // message in `error` when the directory itself is damaged or too large.
    bool list_art(std::vector<PackMember>& art, std::string& error);

    // The member's bytes, or false with the reason (its problem, or what
    // reading it found: "corrupt", "corrupt at byte N", "bad CRC").
    bool read(const PackMember& member, PackBytes& out, std::string& reason);

    // The bytes libzip reads through; public for its callbacks.
    struct Source {
        int fd = -1;
        const uint8_t* data = nullptr;
        uint64_t size = 0;
        uint64_t position = 0;
        int error_number = 0;
        // Set to catch the next read, which opening a member makes of its
        // local header: where the member's bytes start in the pack.
        bool watch = false;
        uint64_t header_start = 0;
        uint64_t data_start = 0;
    };
    Source source;

private:
    bool open_source(std::string& error);
    void* zip_ = nullptr;  // libzip's zip_t
};
