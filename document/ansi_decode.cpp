#include "document/ansi_decode.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kEsc = 0x1B;
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

// The one scan both passes share. The sink receives runs of ordinary bytes,
// blanks and colour sequences in file order.
template <class Sink>
void scan(ByteSpan raw, uint32_t blank_limit, Sink& sink) {
    uint32_t budget = blank_limit;
    uint32_t j = 0;
    while (j < raw.size) {
        const void* esc = std::memchr(raw.data + j, kEsc, raw.size - j);
        const uint32_t run_end =
            esc ? static_cast<uint32_t>(static_cast<const uint8_t*>(esc) - raw.data) : raw.size;
        if (run_end > j) sink.run(raw.data + j, run_end - j);
        j = run_end;
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
            const uint32_t blanks = take_blanks(seq.accumulator, budget);
            if (blanks) sink.blanks(blanks);
        } else if (final_byte == kSetColours) {
            seq.store_accumulator();
            sink.colours(seq);
        }
        j = k + 1;
    }
}

struct CountingSink {
    uint64_t count = 0;
    void run(const uint8_t*, uint32_t n) { count += n; }
    void blanks(uint32_t n) { count += n; }
    void colours(const ControlSequence&) {}
};

struct WritingSink {
    uint8_t* text;
    uint8_t* attrs;
    uint32_t capacity;
    uint32_t count = 0;
    Colours colours_now{};
    uint8_t attribute = 0;

    void run(const uint8_t* bytes, uint32_t n) {
        n = std::min(n, capacity - count);
        if (n == 0) return;
        std::memcpy(text + count, bytes, n);
        std::memset(attrs + count, attribute, n);
        count += n;
    }
    void blanks(uint32_t n) {
        n = std::min(n, capacity - count);
        if (n == 0) return;
        std::memset(text + count, kBlank, n);
        std::memset(attrs + count, attribute, n);
        count += n;
    }
    void colours(const ControlSequence& seq) {
        colours_now.apply(seq);
        attribute = colours_now.attribute();
    }
};

}  // namespace

uint64_t ansi_decoded_length(ByteSpan raw, uint32_t blank_limit) {
    CountingSink sink;
    scan(raw, blank_limit, sink);
    return sink.count;
}

uint32_t ansi_decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                     uint32_t capacity) {
    WritingSink sink{text, attrs, capacity};
    scan(raw, blank_limit, sink);
    return sink.count;
}
