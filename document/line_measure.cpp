#include "document/line_measure.h"

#include <algorithm>
#include <cstring>

#include "document/control_bytes.h"

namespace {


// Position of the first b at or after from, or the text's size.
uint32_t find_byte(ByteSpan text, uint32_t from, uint8_t b) {
    if (from >= text.size) return text.size;  // memchr must not see an empty (maybe null) span
    const void* p = std::memchr(text.data + from, b, text.size - from);
    return p ? static_cast<uint32_t>(static_cast<const uint8_t*>(p) - text.data) : text.size;
}

}  // namespace

LineMetrics measure_lines(ByteSpan text) {
    // Widths are taken in 64 bits: a last line of 2^32 - 1 bytes is 2^32 wide.
    const uint64_t size = text.size;
    uint32_t line_count = 0;
    uint64_t widest = 0;
    uint64_t line_start = 0;  // may pass the end by one: a final CR steps over it
    uint32_t next_lf = find_byte(text, 0, kLineFeed);
    uint32_t next_cr = find_byte(text, 0, kCarriageReturn);
    for (;;) {
        const uint32_t end = std::min(next_lf, next_cr);
        if (end == text.size) break;
        ++line_count;
        widest = std::max(widest, end - line_start + 1);
        // A CR takes the byte after it, whatever it is, into its line end.
        line_start = uint64_t(end) + (text.data[end] == kCarriageReturn ? 2 : 1);
        if (line_start >= size) break;
        const uint32_t from = static_cast<uint32_t>(line_start);
        if (next_lf < from) next_lf = find_byte(text, from, kLineFeed);
        if (next_cr < from) next_cr = find_byte(text, from, kCarriageReturn);
    }
    // The last line ends at the end of the text, which adds 1 to its width,
    // unless a final CR has already stepped over that end.
    if (line_start <= size) widest = std::max(widest, size - line_start + 1);
    return LineMetrics{line_count, static_cast<uint32_t>(std::min<uint64_t>(widest, UINT32_MAX))};
}
