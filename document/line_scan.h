#pragma once
// Finding line ends in a shown text, many bytes at a time. A line ends at LF,
// or at CR together with whatever byte follows the CR.
#include <cstdint>

#include "document/control_bytes.h"

// Position of the first byte of row `row`: the byte after the row-th line end,
// or `length` when the text ends first.
uint64_t find_row_start(const uint8_t* text, uint64_t length, uint32_t row);

// From `pos`, the start of a row (0, or what find_row_start or skip_rows
// returned), the start of the row `rows` rows further on, or `length` when
// the text ends first.
uint64_t skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows);

// Position of the first LF or CR at or after `pos`, or `length` when none.
uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length);

// The same at each width the scan can run at. Every machine builds all it
// can, so that native tests and benchmarks also reach the one the 32-bit
// program runs; the functions above use the widest the target has.
#if defined(__SSE2__)
#define GLYPHORA_HAVE_SSE2_SCAN 1
namespace scan_sse2 {  // 16-byte vectors
uint64_t skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows);
uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length);
}  // namespace scan_sse2
#endif
namespace scan_words64 {  // 8-byte words
uint64_t skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows);
uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length);
}  // namespace scan_words64
namespace scan_words32 {  // 4-byte words
uint64_t skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows);
uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length);
}  // namespace scan_words32
