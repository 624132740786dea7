#pragma once
// The one loaded file: its bytes, the decoded text with one attribute byte per
// character, a copy wrapped at a fixed column, and the line metrics the view
// derives its scroll ranges from.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "document/row_index.h"
#include "document/sauce.h"

// Blanks that cursor-forward sequences may add to one document, in total, are
// bounded by the file's own size: kBlanksPerFileByte for each byte it has, at
// least kMinForwardBlanks, never more than kMaxForwardBlanks. Real art stays
// far below (an ESC[79C is 5 bytes for 79 blanks; even ESC[255C is 42 per
// byte), while a hostile file of a few bytes could otherwise ask for gigabytes
// (ESC[2000000000C), each blank held four times: text, attributes and their
// wrapped copies. The sequence that reaches the budget is cut to it, later
// ones add nothing, and decoding goes on.
// The fuzz build lowers the first two (GLYPHORA_BLANKS_PER_FILE_BYTE,
// GLYPHORA_MIN_FORWARD_BLANKS): the rule is the same, but a run of the view
// fuzzer no longer decodes and wraps megabytes of blanks on every open.
#ifndef GLYPHORA_BLANKS_PER_FILE_BYTE
#define GLYPHORA_BLANKS_PER_FILE_BYTE 64u
#endif
#ifndef GLYPHORA_MIN_FORWARD_BLANKS
#define GLYPHORA_MIN_FORWARD_BLANKS (1u << 20)
#endif
constexpr uint32_t kBlanksPerFileByte = GLYPHORA_BLANKS_PER_FILE_BYTE;
constexpr uint32_t kMinForwardBlanks = GLYPHORA_MIN_FORWARD_BLANKS;
constexpr uint32_t kMaxForwardBlanks = 64u << 20;

constexpr uint32_t forward_blank_budget(uint64_t file_size) {
    const uint64_t scaled = file_size * kBlanksPerFileByte;  // no wrap: files are < 2^32 bytes
    return scaled < kMinForwardBlanks   ? kMinForwardBlanks
           : scaled > kMaxForwardBlanks ? kMaxForwardBlanks
                                        : static_cast<uint32_t>(scaled);
}

// Largest file load accepts: its decoded text, even with every permitted blank,
// must still be countable in 32 bits, and so must its widest line, which
// counts one more for the end of the text.
constexpr uint64_t kMaxFileSize = 0xFFFFFFFEull - kMaxForwardBlanks;

constexpr uint32_t kPathSize = 260;

// How a load reads ANSI: by Glyphora's own rules (the program's, the
// default), or as the standard and the art scene read it (standard_decode.h).
constexpr int32_t kGlyphoraReading = 0;
constexpr int32_t kStandardReading = 1;
constexpr uint32_t kWrapColumn = 81;

class Document {
public:
    std::FILE* file_handle = nullptr;
    int32_t wrap_enabled = 0;
    int32_t is_ansi = 0;
    int32_t plain_only = 0;
    char* file_name = nullptr;
    uint8_t* raw_bytes = nullptr;
    uint8_t* text = nullptr;
    uint8_t* wrapped_text = nullptr;
    uint8_t* attrs = nullptr;
    uint8_t* wrapped_attrs = nullptr;
    uint32_t line_count = 0;
    uint32_t wrapped_line_count = 0;
    uint32_t max_line_width = 0;
    uint32_t wrap_column = 0;
    uint32_t text_length = 1;
    uint32_t wrapped_length = 0;
    // A load keeps at most this many characters of text: a picture of the
    // top of a piece needs no more, and a hostile file then costs no more.
    uint32_t text_limit = UINT32_MAX;
    // Chosen by the front end before a load.
    int32_t reading = kGlyphoraReading;
    // The standard reading's screen width: 0 takes SAUCE's width, else 80.
    uint32_t columns = 0;
    // What the last load in the standard reading found: the screen's width,
    // whether the file was read as ANSI (else as plain text), its SAUCE
    // record, and whether the screen's bounds dropped anything.
    uint32_t screen_columns = 0;
    int32_t read_as_ansi = 0;
    int32_t screen_cut = 0;
    Sauce sauce;
    // The record from the end of a file of which a load is given only the
    // start (a thumbnail's read): its width and iCE flag count when the
    // bytes themselves hold no record. Set by the front end; found false if none.
    Sauce tail_sauce;
    // Where rows start in text and in the wrapped copy, kept in step with them.
    RowIndex text_rows;
    RowIndex wrapped_rows;

    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // 1 when the file named by file_name was read (and decoded), 0 when it
    // cannot be loaded (cannot be opened, is a directory, has no size, is
    // larger than kMaxFileSize, or its buffers cannot be allocated); on 0
    // nothing changes. A short read loads the bytes that were read.
    int32_t load();
    // load for bytes already in memory (standard input, a browser's file):
    // takes `bytes`, of which the first `size` are the file, as load takes
    // what it read. 0, changing nothing, when bytes is null or the text's
    // buffers cannot be allocated.
    int32_t load_bytes(std::unique_ptr<uint8_t[]> bytes, uint32_t size);
    // Rebuilds wrapped_text/wrapped_attrs from text at the given column; a
    // column below 2 wraps as 2. A text with no row past the column is its
    // own wrapped copy (wrapped_text is text, and wrapped_attrs attrs for an
    // ANSI text); a later load leaves that copy valid until the next wrap. When the copy cannot be sized in 32 bits or
    // allocated, the wrapped copy is left empty: wrapped_length and
    // wrapped_line_count 0, over the previous (still valid) buffers.
    void wrap(uint32_t column);

private:
    int32_t load_standard(std::unique_ptr<uint8_t[]>& bytes, uint32_t size);

public:

    // Storage behind the pointer fields above. text points at raw_store for a
    // plain file and at text_store for an ANSI one, whose buffers (and
    // attrs_store's) may hold more than text_length: they are sized before
    // decoding, for the file and a quarter more, or when that is too little
    // exactly for the file plus its blanks.
    std::unique_ptr<char[]> name_store;
    std::unique_ptr<uint8_t[]> raw_store;
    std::unique_ptr<uint8_t[]> text_store;
    std::unique_ptr<uint8_t[]> attrs_store;
    std::unique_ptr<uint8_t[]> wrapped_text_store;
    std::unique_ptr<uint8_t[]> wrapped_attrs_store;
};
