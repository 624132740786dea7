#pragma once
// A slow, plain model of the standard reading for the fuzz target to compare
// the decoder with: one cell at a time, rows in a map, no caches, no vectors,
// no bounds (compared only where the decoder drew without cutting).
#include <cstdint>
#include <map>
#include <vector>

struct ReferenceScreen {
    std::vector<uint8_t> text, attrs;  // rows of columns + 1, the last a LF
    uint32_t rows = 0;
};

inline ReferenceScreen reference_standard(const uint8_t* data, size_t size, uint32_t columns, bool escapes,
                                          bool ice) {
    struct Row {
        std::vector<uint8_t> text, attrs;
    };
    std::map<uint64_t, Row> rows;
    uint64_t drawn = 0, row = 0, col = 0, saved_row = 0, saved_col = 0;
    int fg = 7, bg = 0;
    bool bold = false, blink = false, inverse = false;
    const auto attr = [&] {
        const int ink = inverse ? bg : fg, paper = inverse ? fg : bg;
        return uint8_t(ink + (bold ? 64 : 0) + 8 * paper + (blink && ice ? 0x80 : 0));
    };
    const auto cells = [&](uint64_t r) -> Row& {
        Row& x = rows[r];
        if (x.text.empty()) x.text.assign(columns, ' '), x.attrs.assign(columns, 7);
        return x;
    };
    const uint64_t kMaxRow = 0x7FFFFFFF;
    size_t i = 0;
    while (i < size) {
        const uint8_t b = data[i];
        if (b == 0x0A) {
            row = std::min(row + 1, kMaxRow), col = 0, ++i;
        } else if (b == 0x0D) {
            col = 0, ++i;
        } else if (b == 0x09) {
            col = std::min<uint64_t>(col / 8 * 8 + 8, columns - 1), ++i;
        } else if (b != 0x1B || !escapes) {
            Row& x = cells(row);
            x.text[col] = b, x.attrs[col] = attr();
            drawn = std::max(drawn, row + 1);
            if (++col == columns) col = 0, row = std::min(row + 1, kMaxRow);
            ++i;
        } else if (i + 1 >= size || data[i + 1] != '[') {
            ++i;
        } else {
            std::vector<uint32_t> p;
            uint32_t value = 0;
            bool any = false, odd = false;
            size_t k = i + 2;
            for (; k < size && data[k] >= 0x30 && data[k] <= 0x3F; ++k) {
                if (data[k] <= '9') value = std::min<uint32_t>(value * 10 + (data[k] - '0'), 99999999), any = true;
                else if (data[k] == ';') {
                    if (p.size() < 16) p.push_back(value);
                    value = 0, any = true;
                } else odd = true;
            }
            if (any && p.size() < 16) p.push_back(value);
            for (; k < size && data[k] >= 0x20 && data[k] <= 0x2F; ++k) odd = true;
            if (k == size) break;
            if (data[k] < 0x40 || data[k] > 0x7E) {
                i = k;
                continue;
            }
            i = k + 1;
            if (odd) continue;
            const auto at = [&](size_t n, uint32_t fallback) { return n < p.size() && p[n] ? p[n] : fallback; };
            switch (data[k]) {
                case 'm':
                    if (p.empty()) fg = 7, bg = 0, bold = blink = inverse = false;
                    for (size_t n = 0; n < p.size(); ++n) {
                        const uint32_t v = p[n];
                        if (v == 0) fg = 7, bg = 0, bold = blink = inverse = false;
                        else if (v == 1 || v == 22) bold = v == 1;
                        else if (v == 5 || v == 25) blink = v == 5;
                        else if (v == 7 || v == 27) inverse = v == 7;
                        else if (v >= 30 && v <= 37) fg = int(v - 30);
                        else if (v == 39) fg = 7;
                        else if (v >= 40 && v <= 47) bg = int(v - 40);
                        else if (v == 49) bg = 0;
                        else if ((v == 38 || v == 48) && n + 1 < p.size()) n += p[n + 1] == 5 ? 2 : p[n + 1] == 2 ? 4 : 0;
                    }
                    break;
                case 'A': row -= std::min<uint64_t>(row, at(0, 1)); break;
                case 'B': row = std::min(row + at(0, 1), kMaxRow); break;
                case 'C': col = std::min<uint64_t>(col + at(0, 1), columns - 1); break;
                case 'D': col -= std::min<uint64_t>(col, at(0, 1)); break;
                case 'H':
                case 'f': row = std::min<uint64_t>(at(0, 1) - 1, kMaxRow), col = std::min<uint64_t>(at(1, 1) - 1, columns - 1); break;
                case 's': saved_row = row, saved_col = col; break;
                case 'u': row = saved_row, col = saved_col; break;
                case 'J':
                    if (at(0, 0) == 2) rows.clear(), drawn = 0, row = col = 0;
                    break;
                case 'K': {
                    const uint32_t how = at(0, 0);
                    if (how > 2) break;
                    Row& x = cells(row);
                    for (uint64_t c = how == 0 ? col : 0; c < (how == 1 ? col + 1 : columns); ++c) x.text[c] = ' ', x.attrs[c] = attr();
                    break;
                }
                default: break;
            }
        }
    }
    ReferenceScreen out;
    out.rows = static_cast<uint32_t>(drawn);
    for (uint64_t r = 0; r < drawn; ++r) {
        const auto it = rows.find(r);
        for (uint32_t c = 0; c < columns; ++c) {
            out.text.push_back(it == rows.end() ? ' ' : it->second.text[c]);
            out.attrs.push_back(it == rows.end() ? 7 : it->second.attrs[c]);
        }
        out.text.push_back(0x0A);
        out.attrs.push_back(7);
    }
    return out;
}
