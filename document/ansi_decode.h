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

// Room to decode raw into first: its size and a quarter more (at most the
// blank limit). Art mostly decodes to fewer characters than it has bytes, its
// sequences vanishing, so this spares the search ansi_capacity makes; when
// ansi_decode fills all of this room the text may have been cut, and the exact
// room is needed.
uint64_t ansi_first_capacity(ByteSpan raw, uint32_t blank_limit);

// Decodes raw into text and attrs (capacity bytes each) and returns the number
// of characters written. Cursor-forward counts below one write nothing; once
// blank_limit blanks have been written, later cursor-forward sequences write
// nothing more (a count that crosses the limit is cut to it). Never writes
// beyond capacity.
uint32_t ansi_decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                     uint32_t capacity);

// ansi_decode with its search for ESC in plain integer words, as the 32-bit
// program runs it; ansi_decode uses vectors where the machine has them. Built
// on every machine, so that the tests reach both.
uint32_t ansi_decode_words(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                           uint32_t capacity);
