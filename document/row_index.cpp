#include "document/row_index.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/line_scan.h"

void RowIndex::describe(const uint8_t* new_text, uint32_t new_length) {
    text = new_text;
    length = new_length;
    starts.reset();
    known = 0;
    capacity = 0;
}

uint64_t RowIndex::row_start(uint32_t row) {
    const uint32_t entry = row / kRowStep;
    if (entry >= known) fill_to(entry);
    // Without memory for a single entry, the walk starts at the top.
    if (known == 0) return find_row_start(text, length, row);
    const uint32_t nearest = std::min(entry, known - 1);
    return skip_rows(text, length, starts[nearest], uint64_t(row) - uint64_t(nearest) * kRowStep);
}

void RowIndex::fill_to(uint32_t entry) {
    // Past the end of the text every row starts at the end: nothing to add.
    if (known > 0 && starts[known - 1] == length) return;
    if (entry >= capacity) {
        // Row k * kRowStep starts at k * kRowStep or later, so entries past
        // length / kRowStep + 1 would all hold the end.
        const uint32_t most = length / kRowStep + 2;
        const uint32_t wanted = std::min(std::max({entry + 1, 2 * capacity, 16u}), most);
        if (wanted > capacity) {
            std::unique_ptr<uint32_t[]> grown(new (std::nothrow) uint32_t[wanted]);
            // Without more memory the entries in hand still serve.
            if (grown) {
                if (known > 0) std::memcpy(grown.get(), starts.get(), known * sizeof(uint32_t));
                starts = std::move(grown);
                capacity = wanted;
            }
        }
    }
    if (capacity == 0) return;
    if (known == 0) starts[known++] = 0;
    while (known <= entry && known < capacity && starts[known - 1] < length) {
        starts[known] = static_cast<uint32_t>(skip_rows(text, length, starts[known - 1], kRowStep));
        ++known;
    }
}
