#include "document/ansi_decode.h"

#include <algorithm>
#include <cstring>

#include "document/control_bytes.h"

namespace {

constexpr uint8_t kCsiOpen = 0x5B;         // '['
constexpr uint8_t kParamSeparator = 0x3B;  // ';'
constexpr uint8_t kCursorForward = 0x43;   // 'C'
constexpr uint8_t kSetColours = 0x6D;      // 'm'
constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kDigitZero = 0x30;
constexpr uint32_t kMaxParams = 12;

constexpr uint8_t kParamReset = 0;
constexpr uint8_t kParamBold = 1;
constexpr uint8_t kParamForeground = 30;  // 30-37
constexpr uint8_t kParamBackground = 40;  // 40-47
constexpr uint8_t kColourCount = 8;
constexpr uint8_t kBrightForeground = 64;

// 0x2A-0x3F: * + , - . / 0-9 : ; < = > ?  Any other byte ends a sequence.
constexpr bool is_parameter_byte(uint8_t b) { return b >= 0x2A && b <= 0x3F; }

struct ControlSequence {
    uint8_t params[kMaxParams];
    uint32_t stored = 0;
    // Read as a signed 32-bit value that wraps on overflow; kept unsigned so
    // the wrap is defined.
    uint32_t accumulator = 0;

    void store_accumulator() {
        if (stored < kMaxParams) params[stored++] = static_cast<uint8_t>(accumulator);
    }
};

struct Colours {
    uint8_t foreground = 0;
    uint8_t background = 0;
    bool bold = false;

    uint8_t attribute() const { return static_cast<uint8_t>(background * kColourCount + foreground); }

    void apply(const ControlSequence& seq) {
        for (uint32_t i = 0; i < seq.stored; ++i) {
            const uint8_t p = seq.params[i];
            if (p == kParamReset) {
                bold = false;  // colours stay as they are, bright included
            } else if (p == kParamBold) {
                bold = true;  // only foregrounds set from now on become bright
            } else if (p >= kParamForeground && p < kParamForeground + kColourCount) {
                foreground = static_cast<uint8_t>(p - kParamForeground + (bold ? kBrightForeground : 0));
            } else if (p >= kParamBackground && p < kParamBackground + kColourCount) {
                background = static_cast<uint8_t>(p - kParamBackground);
            }
        }
    }
};

// Blanks one cursor-forward sequence adds: none for a count below one, and
// never more than what is left of the document's blank budget.
uint32_t take_blanks(uint32_t accumulator, uint32_t& budget) {
    if (accumulator == 0 || accumulator > 0x7FFFFFFFu) return 0;
    const uint32_t blanks = std::min(accumulator, budget);
    budget -= blanks;
    return blanks;
}

// Runs of ordinary bytes in art are mostly a few characters long. Testing the
// next 16 bytes as two words decides such a run with one well-predicted
// branch, where a byte loop or a memchr call would cost a mispredicted exit
// per run; memchr takes the longer runs.
constexpr uint32_t kQuickScan = 16;
// Runs and blank counts up to this are written as this many bytes, for the
// same reason; below kShortRun a byte loop beats the library calls.
constexpr uint32_t kWideCopy = 16;
constexpr uint32_t kShortRun = 32;
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The high bit of every ESC byte among the 8 bytes at p, and possibly of
// bytes after the first ESC; the lowest flag is exact. Bytes load
// little-endian, so the lowest flag is the first ESC.
uint64_t esc_flags(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const uint64_t x = word ^ (kOnes * kEsc);
    return (x - kOnes) & ~x & kHighBits;
}

// Position of the next ESC at or after j, or the size.
uint32_t run_end(ByteSpan raw, uint32_t j) {
    if (raw.size - j >= kQuickScan) {
        const uint64_t low = esc_flags(raw.data + j);
        const uint64_t high = esc_flags(raw.data + j + 8);
        const uint32_t at = low ? __builtin_ctzll(low) / 8 : high ? 8 + __builtin_ctzll(high) / 8 : kQuickScan;
        if (at < kQuickScan) return j + at;
        j += kQuickScan;
    }
    if (j == raw.size) return j;
    const void* esc = std::memchr(raw.data + j, kEsc, raw.size - j);
    return esc ? static_cast<uint32_t>(static_cast<const uint8_t*>(esc) - raw.data) : raw.size;
}

// Writes characters with the current attribute, never beyond the capacity.
struct Output {
    uint8_t* text;
    uint8_t* attrs;
    uint32_t capacity;
    uint32_t count = 0;
    uint8_t attribute = 0;

    // available: readable bytes from bytes on, at least n.
    void run(const uint8_t* bytes, uint32_t n, uint32_t available) {
        n = std::min(n, capacity - count);
        if (n <= kWideCopy && available >= kWideCopy && capacity - count >= kWideCopy) {
            // Copying a fixed width costs no branch on the run's length; the
            // bytes past the run are overwritten next or lie past the text.
            std::memcpy(text + count, bytes, kWideCopy);
            std::memset(attrs + count, attribute, kWideCopy);
        } else if (n < kShortRun) {
            for (uint32_t i = 0; i < n; ++i) {
                text[count + i] = bytes[i];
                attrs[count + i] = attribute;
            }
        } else {
            std::memcpy(text + count, bytes, n);
            std::memset(attrs + count, attribute, n);
        }
        count += n;
    }
    void blanks(uint32_t n) {
        n = std::min(n, capacity - count);
        if (n <= kWideCopy && capacity - count >= kWideCopy) {
            std::memset(text + count, kBlank, kWideCopy);
            std::memset(attrs + count, attribute, kWideCopy);
        } else if (n > 0) {
            std::memset(text + count, kBlank, n);
            std::memset(attrs + count, attribute, n);
        }
        count += n;
    }
};

}  // namespace

uint64_t ansi_capacity(ByteSpan raw, uint32_t blank_limit) {
    // Every byte yields at most one character, so only blanks can make the
    // text longer than the file. Each cursor-forward sequence ends in a 'C'
    // preceded by its parameter bytes and ESC[; summing the counts of every
    // 'C' that looks so covers them all (a look-alike that the scan reads
    // differently only adds room). Runs of parameter bytes are disjoint, so
    // this is one pass.
    uint64_t blanks = 0;
    uint32_t from = 0;
    while (from < raw.size && blanks < blank_limit) {
        const void* hit = std::memchr(raw.data + from, kCursorForward, raw.size - from);
        if (!hit) break;
        const uint32_t c = static_cast<uint32_t>(static_cast<const uint8_t*>(hit) - raw.data);
        from = c + 1;
        uint32_t start = c;
        while (start > 0 && is_parameter_byte(raw.data[start - 1])) --start;
        if (start < 2 || raw.data[start - 1] != kCsiOpen || raw.data[start - 2] != kEsc) continue;
        uint32_t last = c;  // the count is the parameter after the last ';'
        while (last > start && raw.data[last - 1] != kParamSeparator) --last;
        uint32_t accumulator = 0;
        for (uint32_t k = last; k < c; ++k) accumulator = accumulator * 10u + raw.data[k] - kDigitZero;
        uint32_t unlimited = UINT32_MAX;
        blanks += take_blanks(accumulator, unlimited);
    }
    return uint64_t(raw.size) + std::min<uint64_t>(blanks, blank_limit);
}

uint32_t ansi_decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                     uint32_t capacity) {
    Output out{text, attrs, capacity};
    Colours colours;
    uint32_t budget = blank_limit;
    uint32_t j = 0;
    while (j < raw.size) {
        const uint32_t end = run_end(raw, j);
        if (end > j) out.run(raw.data + j, end - j, raw.size - j);
        j = end;
        if (j == raw.size) break;

        if (j + 1 >= raw.size || raw.data[j + 1] != kCsiOpen) {
            ++j;  // a lone ESC: dropped, the byte after it is read as input
            continue;
        }
        ControlSequence seq;
        uint32_t k = j + 2;
        for (; k < raw.size && is_parameter_byte(raw.data[k]); ++k) {
            const uint8_t x = raw.data[k];
            if (x == kParamSeparator) {
                seq.store_accumulator();
                seq.accumulator = 0;
            } else {
                seq.accumulator = seq.accumulator * 10u + x - kDigitZero;
            }
        }
        if (k == raw.size) break;  // cut off by the end of the file: no effect
        const uint8_t final_byte = raw.data[k];
        if (final_byte == kCursorForward) {
            out.blanks(take_blanks(seq.accumulator, budget));
        } else if (final_byte == kSetColours) {
            seq.store_accumulator();
            colours.apply(seq);
            out.attribute = colours.attribute();
        }
        j = k + 1;
    }
    return out.count;
}
