#pragma once
// The SAUCE record art files carry after their last byte: a 128-byte record
// at the very end of the file, optionally after a comment block, naming the
// piece and saying how wide a screen it was drawn for.
#include <cstdint>

#include "document/byte_span.h"

constexpr uint32_t kSauceRecordSize = 128;
constexpr uint32_t kSauceCommentLineSize = 64;

struct Sauce {
    bool found = false;
    // Text fields as stored, blanks at their ends dropped, zero-terminated.
    char title[36] = {};
    char author[21] = {};
    char group[21] = {};
    char date[9] = {};   // CCYYMMDD
    char font[23] = {};  // TInfoS: the font's name, for character files
    uint8_t data_type = 0;
    uint8_t file_type = 0;
    uint16_t tinfo1 = 0;
    uint8_t comment_lines = 0;
    uint8_t flags = 0;
    // Where the art ends: the start of the comment block when there is one
    // (with its COMNT mark), else of the record; the whole file without one.
    uint32_t art_size = 0;

    // Columns a character file was drawn for, or 0 when the record says none.
    uint32_t columns() const;
    // Blink gives bright backgrounds (iCE colours): flag bit 0 of a file
    // whose data type has that flag.
    bool ice_colours() const;
};

// The record at the end of `file`, when it is one: 128 bytes from the end,
// starting "SAUCE00". A record cut short, at another distance from the end or
// with another mark is no record: found is false and art_size the whole file.
Sauce read_sauce(ByteSpan file);
