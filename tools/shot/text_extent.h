#pragma once
// How many cells the whole of a shown text covers.
#include <cstdint>

struct TextExtent {
    uint32_t columns = 0;  // characters of the widest line
    uint32_t rows = 0;     // lines, the last one counted only when it holds anything
};

// The extent of `length` bytes of text, as the view composes them (line ends
// as the Document counts them), within what a view over doc_cols columns can
// scroll to: columns 0 to doc_cols.
TextExtent shown_extent(const uint8_t* text, uint32_t length, uint32_t doc_cols);
