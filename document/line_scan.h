#pragma once
// Finding line ends in a shown text, many bytes at a time. A line ends at LF,
// or at CR together with whatever byte follows the CR.
#include <cstdint>

#include "document/control_bytes.h"

// Position of the first byte of row `row`: the byte after the row-th line end,
// or `length` when the text ends first.
uint64_t find_row_start(const uint8_t* text, uint64_t length, uint32_t row);

// Position of the first LF or CR at or after `pos`, or `length` when none.
uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length);
