#pragma once
// Breaks lines that would pass a column. A counter runs over the bytes and
// restarts after every LF; when it reaches the column at a byte that is not CR
// or LF, an LF (attribute 0) is inserted before that byte and the counter
// restarts there. A row so keeps at most column - 1 bytes before its end,
// except after a CR that lands exactly on the column: from there no break
// falls until the next LF.
#include <cstdint>

#include "document/byte_span.h"

// Bytes the wrapped copy of text has (the text's own length when no row
// passes the column), found without writing it; a column below 2 counts as 2.
uint64_t wrapped_size(ByteSpan text, uint32_t column);

// Output bytes wrap_text may need: length + length / (column - 1) + 1, which
// can exceed 32 bits. column must be at least 2.
uint64_t wrapped_capacity(uint32_t length, uint32_t column);

// Writes the wrapped copy of text into out_text and, when attrs is not null,
// the matching attribute bytes into out_attrs; returns the bytes written.
// column must be at least 2. Never writes beyond capacity (a capacity below
// wrapped_capacity may cut the copy short).
uint32_t wrap_text(ByteSpan text, const uint8_t* attrs, uint32_t column, uint8_t* out_text,
                   uint8_t* out_attrs, uint32_t capacity);
