#include "document/standard_decode.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/control_bytes.h"
#include "document/screen_grid.h"
#include "document/standard_scan.h"
#include "document/standard_sgr.h"

namespace {

using namespace standard_reading;

constexpr uint8_t kCsiOpen = 0x5B;  // '['
constexpr uint8_t kParamSeparator = 0x3B;  // ';'
constexpr uint32_t kTabStop = 8;
// Parameter values stop growing here: no count means more than a screen.
constexpr uint32_t kMaxParamValue = 99999999;
// The cursor's row never passes this; rows beyond the grid's bound are
// dropped long before.
constexpr uint32_t kMaxCursorRow = 0x7FFFFFFF;
constexpr uint32_t kAnsiSniffBytes = 4096;

// 0x30-0x3F: digits ; < = > ? and ':'; 0x20-0x2F intermediates; 0x40-0x7E final.
constexpr bool is_parameter_byte(uint8_t b) { return b >= 0x30 && b <= 0x3F; }
constexpr bool is_intermediate_byte(uint8_t b) { return b >= 0x20 && b <= 0x2F; }
constexpr bool is_final_byte(uint8_t b) { return b >= 0x40 && b <= 0x7E; }
constexpr bool is_digit(uint8_t b) { return b >= 0x30 && b <= 0x39; }


class StandardDecoder {
public:
    StandardDecoder(ByteSpan art, const StandardSetup& setup)
        : art_(art), grid_(setup.columns, setup.max_rows, setup.blank_budget),
          stops_(setup.escapes ? kAnsiStops : kPlainStops) {
        for (uint32_t pen = 0; pen < kPenStates; ++pen) attributes_[pen] = pen_attribute(pen, setup.ice);
    }

    StandardText run() {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        uint32_t j = 0;
        grid_.expect_rows(expected_rows());
        StopPositions stops(art_, stops_);
        while (j < size && !grid_.failed()) {
            const uint32_t k = stops.at_or_after(j);
            if (k > j) draw(data + j, k - j);
            if (k == size) break;
            const uint8_t b = data[k];
            j = k + 1;
            if (b == kLineFeed) {
                down(1);
                column_ = 0;
            } else if (b == kCarriageReturn) {
                column_ = 0;
            } else if (b == kTab) {
                column_ = std::min(column_ / kTabStop * kTabStop + kTabStop, grid_.columns() - 1);
            } else {
                j = control_sequence(k);
            }
        }
        StandardText out;
        out.failed = grid_.failed();
        if (out.failed) return out;
        out.rows = grid_.drawn_rows();
        out.length = out.rows * grid_.stride();  // within max_rows * stride, which the caller sized in 32 bits
        out.cut = grid_.cut();
        out.text = grid_.take_text();
        out.attrs = grid_.take_attrs();
        return out;
    }

private:
    // Rows the art may fill: one a line feed, and one for each screen's width
    // of bytes, as rows that end by filling the width take (the most there
    // can be). Rows never reached cost only address space: their pages are
    // never touched. So the grid seldom grows, and growing copies it.
    uint32_t expected_rows() const {
        uint64_t feeds = 0;
        const uint8_t* p = art_.data;
        const uint8_t* end = p + art_.size;
        while (p < end && (p = static_cast<const uint8_t*>(std::memchr(p, kLineFeed, end - p)))) ++feeds, ++p;
        return static_cast<uint32_t>(std::min<uint64_t>(feeds + art_.size / grid_.columns() + 1, UINT32_MAX));
    }

    // n (at most 16) characters at text and attrs, 16 readable bytes at
    // bytes: the grid keeps 16 bytes of room past any cell, and the cells
    // after the n keep what they hold.
    void write_short(uint8_t* text, uint8_t* attrs, const uint8_t* bytes, uint32_t n) const {
#if defined(__SSE2__)
        const __m128i kIndex = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m128i mine = _mm_cmplt_epi8(kIndex, _mm_set1_epi8(static_cast<char>(n)));
        const __m128i old_text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
        const __m128i old_attrs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(attrs));
        const __m128i fresh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(text),
                         _mm_or_si128(_mm_and_si128(mine, fresh), _mm_andnot_si128(mine, old_text)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(attrs),
                         _mm_or_si128(_mm_and_si128(mine, _mm_set1_epi8(static_cast<char>(attr_))),
                                      _mm_andnot_si128(mine, old_attrs)));
#else
        for (uint32_t i = 0; i < n; ++i) {
            text[i] = bytes[i];
            attrs[i] = attr_;
        }
#endif
    }

    void down(uint32_t n) { row_ = std::min<uint64_t>(uint64_t(row_) + n, kMaxCursorRow); }

    // Characters at the cursor, a row's worth at a time; writing the last
    // column moves the cursor to the next row's first.
    void draw(const uint8_t* bytes, uint32_t n) {
        const uint32_t columns = grid_.columns();
        while (n > 0) {
            const uint32_t readable = static_cast<uint32_t>(art_.data + art_.size - bytes);
            const uint32_t fits = std::min(n, columns - column_);
            if (grid_.reach(row_)) {
                uint8_t* text = grid_.text_at(row_, column_);
                uint8_t* attrs = grid_.attrs_at(row_, column_);
                if (fits <= 16 && readable >= 16) {  // art's runs are short: one 16-byte step
                    write_short(text, attrs, bytes, fits);
                } else {
                    std::memcpy(text, bytes, fits);
                    std::memset(attrs, attr_, fits);
                }
                grid_.mark_drawn(row_);
            } else if (grid_.failed()) {
                return;
            }
            bytes += fits;
            n -= fits;
            column_ += fits;
            if (column_ == columns) {
                column_ = 0;
                down(1);
            }
        }
    }

    // The sequence whose ESC is at `at`; returns where reading goes on. A
    // lone ESC is dropped, and so is a sequence that a byte outside it or the
    // end of the file cuts short.
    uint32_t control_sequence(uint32_t at) {
        const uint8_t* data = art_.data;
        const uint32_t size = art_.size;
        if (at + 1 >= size || data[at + 1] != kCsiOpen) return at + 1;
#if defined(__SSE2__)
        KnownSequence* slot = nullptr;
        __m128i key = _mm_setzero_si128();
        uint32_t key_length = 0;
        if (size - at >= 16) {
            if (const KnownSequence* known = cache_.find(data + at, slot, key, key_length)) {
                if (known->common) {
                    pen_ = (pen_ & known->keep) | known->set;
                    attr_ = attributes_[pen_];
                    column_ = std::min<uint32_t>(column_ + known->forward, grid_.columns() - 1);
                } else if (known->acts) {
                    act(known->final_byte, cache_.params_of(known));
                }
                return at + key_length;  // known from the bytes: the next step need not wait for the slot
            }
        }
#endif
        Params p;
        uint32_t value = 0;
        bool any = false;
        uint32_t k = at + 2;
        for (; k < size && is_parameter_byte(data[k]); ++k) {
            const uint8_t b = data[k];
            if (is_digit(b)) {
                value = std::min(value * 10 + (b - 0x30), kMaxParamValue);
                any = true;
            } else if (b == kParamSeparator) {
                if (p.count < kMaxParams) p.value[p.count++] = value;
                value = 0;
                any = true;
            } else {
                p.private_marker = true;
            }
        }
        if (any && p.count < kMaxParams) p.value[p.count++] = value;
        bool intermediate = false;
        for (; k < size && is_intermediate_byte(data[k]); ++k) intermediate = true;
        if (k == size) return size;
        if (!is_final_byte(data[k])) return k;
        const bool acts = !p.private_marker && !intermediate;
        if (acts) act(data[k], p);
#if defined(__SSE2__)
        if (slot && key_length == k + 1 - at) {
            const PenChange change = data[k] == 'm' ? sgr_change(p) : PenChange();
            slot->bytes = key;
            slot->length = static_cast<uint8_t>(key_length);
            slot->final_byte = data[k];
            slot->acts = acts;
            slot->common = acts && (data[k] == 'm' || data[k] == 'C');
            slot->keep = static_cast<uint16_t>(change.keep);
            slot->set = static_cast<uint16_t>(change.set);
            slot->forward = static_cast<uint16_t>(data[k] == 'C' ? std::min(p.at(0, 1), grid_.columns()) : 0);
            cache_.params_of(slot) = p;
        }
#endif
        return k + 1;
    }

    // One handler per final byte; other sequences are read and ignored.
    void act(uint8_t final_byte, const Params& p) {
        const uint32_t last = grid_.columns() - 1;
        switch (final_byte) {
            case 'm':
                pen_ = sgr_change(p).apply(pen_);
                attr_ = attributes_[pen_];
                break;
            case 'A': row_ -= std::min(row_, p.at(0, 1)); break;
            case 'B': down(p.at(0, 1)); break;
            case 'C': column_ = std::min<uint64_t>(uint64_t(column_) + p.at(0, 1), last); break;
            case 'D': column_ -= std::min(column_, p.at(0, 1)); break;
            case 'H':
            case 'f':
                row_ = std::min(p.at(0, 1) - 1, kMaxCursorRow);
                column_ = std::min(p.at(1, 1) - 1, last);
                break;
            case 's':
                saved_row_ = row_;
                saved_column_ = column_;
                break;
            case 'u':
                row_ = saved_row_;
                column_ = saved_column_;
                break;
            case 'J':
                if (p.at(0, 0) == 2) {
                    grid_.clear();
                    row_ = column_ = 0;
                }
                break;
            case 'K': {
                const uint32_t how = p.at(0, 0);
                const uint32_t from = how == 0 ? column_ : 0;
                const uint32_t to = how == 1 ? column_ + 1 : how == 2 || how == 0 ? last + 1 : 0;
                grid_.blank(row_, from, to, attr_);
                break;
            }
            default: break;
        }
    }

    ByteSpan art_;
    ScreenGrid grid_;
    const Stops& stops_;
#if defined(__SSE2__)
    SequenceCache cache_;
#endif
    uint8_t attributes_[kPenStates];
    uint32_t pen_ = kStartPen;
    uint8_t attr_ = kScreenBlankAttr;
    uint32_t row_ = 0, column_ = 0;
    uint32_t saved_row_ = 0, saved_column_ = 0;
};

bool ends_in_ans(const char* name) {
    if (!name) return false;
    const size_t n = std::strlen(name);
    if (n < 4) return false;
    const char* e = name + n - 4;
    return e[0] == '.' && (e[1] | 0x20) == 'a' && (e[2] | 0x20) == 'n' && (e[3] | 0x20) == 's';
}

}  // namespace

StandardText standard_decode(ByteSpan art, const StandardSetup& setup) {
    return StandardDecoder(art, setup).run();
}

bool reads_as_ansi(const char* file_name, ByteSpan file) {
    if (ends_in_ans(file_name)) return true;
    const uint32_t n = std::min(file.size, kAnsiSniffBytes);
    for (uint32_t i = 0; i + 1 < n; ++i)
        if (file.data[i] == kEsc && file.data[i + 1] == kCsiOpen) return true;
    return false;
}
