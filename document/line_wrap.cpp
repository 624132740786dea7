#include "document/line_wrap.h"

#include <algorithm>
#include <cstring>

#include "document/control_bytes.h"

namespace {

constexpr uint8_t kBreak = kLineFeed;
constexpr uint8_t kBreakAttribute = 0;
constexpr uint32_t kMinColumn = 2;

// Appends to the output, never beyond its capacity.
struct WrapOutput {
    uint8_t* text;
    uint8_t* attrs;  // null for plain text
    uint32_t capacity;
    uint32_t length = 0;

    void copy(const uint8_t* src_text, const uint8_t* src_attrs, uint32_t n) {
        n = std::min(n, capacity - length);
        if (n == 0) return;
        std::memcpy(text + length, src_text, n);
        if (attrs) std::memcpy(attrs + length, src_attrs, n);
        length += n;
    }
    void put_break() {
        if (length == capacity) return;
        text[length] = kBreak;
        if (attrs) attrs[length] = kBreakAttribute;
        ++length;
    }
};

// Counts what WrapOutput would write, with no room limit.
struct WrapCount {
    uint64_t length = 0;
    void copy(const uint8_t*, const uint8_t*, uint32_t n) { length += n; }
    void put_break() { ++length; }
};

template <class Output>
void wrap_into(ByteSpan text, const uint8_t* attrs, uint32_t column, Output& out) {
    const uint32_t row_bytes = column - 1;
    const uint32_t n = text.size;
    auto copy = [&](uint32_t from, uint32_t count) {
        out.copy(text.data + from, attrs ? attrs + from : nullptr, count);
    };
    auto find_lf = [&](uint32_t from, uint32_t limit) {
        const void* p = std::memchr(text.data + from, kLineFeed, limit - from);
        return p ? static_cast<uint32_t>(static_cast<const uint8_t*>(p) - text.data) : limit;
    };

    uint32_t counter = 0;       // bytes in the current row
    bool past_column = false;   // a CR landed on the column: no break until the next LF
    uint32_t i = 0;
    while (i < n) {
        if (past_column) {
            const uint32_t lf = find_lf(i, n);
            const uint32_t end = lf == n ? n : lf + 1;
            copy(i, end - i);
            i = end;
            past_column = false;
            counter = 0;
            continue;
        }
        const uint32_t limit = i + std::min(n - i, row_bytes - counter);
        const uint32_t lf = find_lf(i, limit);
        if (lf < limit) {
            copy(i, lf + 1 - i);
            i = lf + 1;
            counter = 0;
            continue;
        }
        copy(i, limit - i);
        counter += limit - i;
        i = limit;
        if (i == n) break;
        // The next byte lands on the column.
        const uint8_t b = text.data[i];
        if (b == kLineFeed) {
            copy(i, 1);
            ++i;
            counter = 0;
        } else if (b == kCarriageReturn) {
            copy(i, 1);
            ++i;
            past_column = true;
        } else {
            out.put_break();
            counter = 0;
        }
    }
}

}  // namespace

uint64_t wrapped_size(ByteSpan text, uint32_t column) {
    WrapCount count;
    wrap_into(text, nullptr, std::max(column, kMinColumn), count);
    return count.length;
}

uint64_t wrapped_capacity(uint32_t length, uint32_t column) {
    column = std::max(column, kMinColumn);
    return uint64_t(length) + length / (column - 1) + 1;
}

uint32_t wrap_text(ByteSpan text, const uint8_t* attrs, uint32_t column, uint8_t* out_text,
                   uint8_t* out_attrs, uint32_t capacity) {
    // Below 2 a row could hold no byte and breaks would never end.
    column = std::max(column, kMinColumn);
    WrapOutput out{out_text, attrs ? out_attrs : nullptr, capacity};
    wrap_into(text, attrs, column, out);
    return out.length;
}
