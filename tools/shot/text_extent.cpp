#include "tools/shot/text_extent.h"

#include <algorithm>

#include "document/control_bytes.h"
#include "document/line_measure.h"

namespace {

// Whether bytes follow the last line end. The last byte stands alone only when
// it is no line end itself and no line-end CR takes it: CRs pair up from the
// start of a run, so a run of CRs before it takes it when the run is odd.
bool last_line_holds_text(const uint8_t* text, uint32_t length) {
    const uint8_t last = text[length - 1];
    if (last == kLineFeed || last == kCarriageReturn) return false;
    uint32_t run = 0;
    while (run + 1 < length && text[length - 2 - run] == kCarriageReturn) ++run;
    return run % 2 == 0;
}

}  // namespace

TextExtent shown_extent(const uint8_t* text, uint32_t length, uint32_t doc_cols) {
    TextExtent extent;
    if (!text || length == 0) return extent;
    const LineMetrics metrics = measure_lines(ByteSpan{text, length});
    // A width counts the line's end as well as its characters.
    const uint64_t reachable = uint64_t(doc_cols) + 1;
    extent.columns = static_cast<uint32_t>(std::min<uint64_t>(metrics.max_line_width - 1, reachable));
    extent.rows = metrics.line_count + (last_line_holds_text(text, length) ? 1 : 0);
    return extent;
}
