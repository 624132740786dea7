#pragma once
// The bytes of a file to render, read as far as the picture needs: a named
// file, a FIFO or "-" (standard input), each to its end or to a limit.
#include <cstdint>
#include <memory>
#include <string>

struct InputBytes {
    std::unique_ptr<uint8_t[]> bytes;  // never null after a successful read
    uint32_t size = 0;
};

// Reads `file` ("-" standard input) into `input`: all of it, or only its first `limit` bytes when
// limit is below kMaxFileSize. False with the reason in `error` (a folder, a
// file larger than the viewer takes, the system's reason) otherwise.
bool read_input(const std::string& file, uint64_t limit, InputBytes& input, std::string& error);
