#pragma once
// Slow, literal versions of the decoder, the line measure, the row search and
// the wrap: one
// byte at a time, growing vectors, 64-bit counters. The fuzz target checks the
// fast versions against them.
#include <algorithm>
#include <cstdint>
#include <vector>

struct ReferenceText {
    std::vector<uint8_t> text;
    std::vector<uint8_t> attrs;
};

inline ReferenceText reference_decode(const uint8_t* d, size_t size, uint32_t blank_limit) {
    ReferenceText out;
    uint8_t fg = 0, bg = 0;
    bool bold = false;
    uint32_t budget = blank_limit;
    auto put = [&](uint8_t c) {
        out.text.push_back(c);
        out.attrs.push_back(static_cast<uint8_t>(8 * bg + fg));
    };
    size_t j = 0;
    while (j < size) {
        if (d[j] != 0x1B) {
            put(d[j++]);
            continue;
        }
        if (j + 1 >= size || d[j + 1] != '[') {
            ++j;
            continue;
        }
        uint8_t params[12];
        unsigned stored = 0;
        uint32_t acc = 0;
        size_t k = j + 2;
        while (k < size && d[k] >= 0x2A && d[k] <= 0x3F) {
            if (d[k] == ';') {
                if (stored < 12) params[stored++] = static_cast<uint8_t>(acc);
                acc = 0;
            } else {
                acc = acc * 10 + (d[k] - 0x30);
            }
            ++k;
        }
        if (k == size) break;
        if (d[k] == 'C') {
            const int64_t count = static_cast<int32_t>(acc);
            if (count > 0) {
                const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, budget));
                budget -= n;
                for (uint32_t i = 0; i < n; ++i) put(' ');
            }
        } else if (d[k] == 'm') {
            if (stored < 12) params[stored++] = static_cast<uint8_t>(acc);
            for (unsigned i = 0; i < stored; ++i) {
                const uint8_t p = params[i];
                if (p == 0) bold = false;
                if (p == 1) bold = true;
                if (p >= 30 && p <= 37) fg = static_cast<uint8_t>(bold ? p + 34 : p - 30);
                if (p >= 40 && p <= 47) bg = static_cast<uint8_t>(p - 40);
            }
        }
        j = k + 1;
    }
    return out;
}

struct ReferenceMetrics {
    uint64_t line_count = 0;
    uint64_t max_line_width = 0;
};

inline ReferenceMetrics reference_measure(const uint8_t* t, size_t length) {
    ReferenceMetrics m;
    uint64_t width = 0;
    for (size_t j = 0; j <= length; ++j) {
        ++width;
        if (j == length) break;
        if (t[j] == '\r' || t[j] == '\n') {
            ++m.line_count;
            m.max_line_width = std::max(m.max_line_width, width);
            width = 0;
            if (t[j] == '\r') ++j;
        }
    }
    m.max_line_width = std::max(m.max_line_width, width);
    return m;
}

// Where each row starts: 0, then the byte after every line end.
inline std::vector<uint64_t> reference_row_starts(const uint8_t* t, size_t length) {
    std::vector<uint64_t> starts = {0};
    for (size_t j = 0; j < length;) {
        const uint8_t c = t[j];
        j += c == '\r' ? 2 : 1;
        if (c == '\r' || c == '\n') starts.push_back(std::min(j, length));
    }
    return starts;
}

inline ReferenceText reference_wrap(const uint8_t* t, const uint8_t* a, size_t length, uint32_t column) {
    ReferenceText out;
    uint64_t counter = 0;
    size_t i = 0;
    while (i < length) {
        ++counter;
        if (counter == column && t[i] != '\r' && t[i] != '\n') {
            out.text.push_back('\n');
            out.attrs.push_back(0);
            counter = 0;
        } else {
            out.text.push_back(t[i]);
            out.attrs.push_back(a ? a[i] : 0);
            if (t[i] == '\n') counter = 0;
            ++i;
        }
    }
    return out;
}
