#pragma once
// The standard reading of ANSI art, as DOS's ANSI.SYS and the art scene's
// viewers read it: a screen of the art's width, characters at the cursor,
// cursor moves, colours as the standard sets them. It fills the same text and
// attribute bytes as Glyphora's own decoder, a row of the screen per line, so
// everything downstream works unchanged.
//
// Attribute byte: as Glyphora's (8 * background + foreground, 64 + colour for
// a bright foreground), with bit 7 set for a bright background (iCE colours).
#include <cstdint>
#include <memory>

#include "document/byte_span.h"

constexpr uint32_t kStandardColumns = 80;
constexpr uint32_t kMaxStandardColumns = 4096;
constexpr uint8_t kBrightBackground = 0x80;

struct StandardSetup {
    uint32_t columns = kStandardColumns;  // 1 .. kMaxStandardColumns
    bool escapes = true;                  // false: plain text, ESC drawn as a glyph
    bool ice = false;                     // blink gives bright backgrounds
    uint32_t max_rows = UINT32_MAX;       // rows the screen may hold
    uint64_t blank_budget = 0;            // cells new rows and clears may blank, in all
};

struct StandardText {
    std::unique_ptr<uint8_t[]> text;
    std::unique_ptr<uint8_t[]> attrs;
    uint32_t rows = 0;    // each columns + 1 bytes, the last a line feed
    uint32_t length = 0;  // rows * (columns + 1)
    bool cut = false;     // a row past max_rows or the blank budget was dropped
    bool failed = false;  // no memory: nothing else is valid
};

// Draws `art` (the file's bytes before SUB and SAUCE) on a screen as `setup`
// says; the text holds the rows down to the last one anything was drawn on.
StandardText standard_decode(ByteSpan art, const StandardSetup& setup);

// Whether a file is read as ANSI at all: its name ends in .ans (any case), or
// its first 4 KB hold ESC [. Other files are plain text.
bool reads_as_ansi(const char* file_name, ByteSpan file);
