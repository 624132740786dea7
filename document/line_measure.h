#pragma once
// Line metrics of a text. A line ends at LF, or at CR together with whatever
// byte follows the CR (so CR LF and CR CR are one line end each). A line's
// width is its bytes plus one for its end; the bytes after the last line end
// form a last line whose end is the end of the text.
#include <cstdint>

#include "document/byte_span.h"

struct LineMetrics {
    uint32_t line_count;      // line ends in the text
    uint32_t max_line_width;  // widest line, its end counted; at least 1
};

LineMetrics measure_lines(ByteSpan text);
