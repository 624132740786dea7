#pragma once
// The bytes of a file to render, read as far as the picture needs: a named
// file, a FIFO or "-" (standard input), each to its end or to a limit.
#include <cstdint>
#include <memory>
#include <string>

#include "document/document.h"
#include "document/sauce.h"

struct InputBytes {
    std::unique_ptr<uint8_t[]> bytes;  // never null after a successful read
    uint32_t size = 0;
    // The SAUCE record at the end of a file read only in part (its record
    // describes the whole file); found false otherwise.
    Sauce end_sauce;
};

// What a read takes besides how much of the file: the largest file or stream
// it accepts whole, and whether only a file will do.
struct InputRules {
    uint64_t largest = kMaxFileSize;
    // A FIFO or device named as the file is refused at once, before anything
    // waits on it (a thumbnailer must not hang); standard input is still read.
    bool only_files = false;
};

// Reads `file` ("-" standard input) into `input`: all of it when limit is at
// least rules.largest, else only its first `limit` bytes. A file or stream
// larger than rules.largest read whole is refused, a stream once one byte
// past it has come and with no more than that held. False with the reason in
// `error` (a folder, a file larger than the viewer takes, not a file where
// only one will do, the system's reason) otherwise. A file read in part also
// gives the record at its end, read through the same open file.
bool read_input(const std::string& file, uint64_t limit, InputBytes& input, std::string& error,
                const InputRules& rules = InputRules());
