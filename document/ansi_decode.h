#pragma once
// ANSI art to text: colour sequences (ESC[...m) become one attribute byte per
// character, cursor-forward sequences (ESC[nC) become blanks, every other
// control sequence and every lone ESC is dropped.
//
// Attribute byte: 8 * background + foreground, the foreground being the colour
// number (0-7) or 64 + the colour number when bright; bit 7 is always zero.
#include <cstdint>

#include "document/byte_span.h"

// Room that ansi_decode needs for raw, with at most blank_limit blanks from
// cursor-forward sequences in total: the file's size plus the blanks, taken
// by a quick search, so the output is allocated once and never grows. Never
// less than the characters ansi_decode writes.
uint64_t ansi_capacity(ByteSpan raw, uint32_t blank_limit);

// Decodes raw into text and attrs (capacity bytes each) and returns the number
// of characters written. Cursor-forward counts below one write nothing; once
// blank_limit blanks have been written, later cursor-forward sequences write
// nothing more (a count that crosses the limit is cut to it). Never writes
// beyond capacity.
uint32_t ansi_decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                     uint32_t capacity);
