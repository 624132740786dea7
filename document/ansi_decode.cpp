#include "document/ansi_decode.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/byte_words.h"
#include "document/control_bytes.h"

namespace {

constexpr uint8_t kCursorForward = 0x43;   // 'C'
constexpr uint8_t kSetColours = 0x6D;      // 'm'
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

// The colours as the decoder keeps them, in one byte: the attribute being
// written (8 * background + foreground, bright foregrounds 64 + colour; bit 7
// is always clear) with bit 7 set while foregrounds set from now on are bright.
constexpr uint32_t kBoldBit = 0x80;
constexpr uint8_t kForegroundBits = 0x47;
constexpr uint8_t kBackgroundBits = 0x38;

// What one ESC[...m does to the colours, worked out once per distinct
// sequence: for each bold flag it may find, the bits of the colour byte it
// keeps and those it sets, packed as keep | set << 8 | (the same for bold)
// << 16. Parameter 0 clears bold and keeps the colours (bright included), 1
// sets bold, 30-37 set the foreground (bright when bold is set at that point),
// 40-47 the background.
constexpr uint32_t kNoColourChange = 0xFF | 0xFFu << 16;

uint32_t colour_effect(const ControlSequence& seq) {
    uint32_t packed = 0;
    for (uint32_t in = 0; in < 2; ++in) {
        bool bold = in != 0;
        int foreground = -1, background = -1;
        for (uint32_t i = 0; i < seq.stored; ++i) {
            const uint8_t p = seq.params[i];
            if (p == kParamReset) {
                bold = false;
            } else if (p == kParamBold) {
                bold = true;
            } else if (p >= kParamForeground && p < kParamForeground + kColourCount) {
                foreground = p - kParamForeground + (bold ? kBrightForeground : 0);
            } else if (p >= kParamBackground && p < kParamBackground + kColourCount) {
                background = p - kParamBackground;
            }
        }
        const uint32_t keep = (foreground < 0 ? kForegroundBits : 0) | (background < 0 ? kBackgroundBits : 0);
        const uint32_t set = (foreground < 0 ? 0 : foreground) | (background < 0 ? 0 : background * kColourCount) |
                             (bold ? kBoldBit : 0);
        packed |= (keep | set << 8) << (16 * in);
    }
    return packed;
}

uint32_t apply_colours(uint32_t effect, uint32_t colours) {
    const uint32_t mine = effect >> (colours >> 7 << 4);  // the half for the bold flag found
    return (colours & mine & 0xFF) | (mine >> 8 & 0xFF);
}

// Blanks one cursor-forward sequence asks for: none for a count below one.
uint32_t wanted_blanks(uint32_t accumulator) {
    return accumulator - 1u < 0x7FFFFFFFu ? accumulator : 0;  // 1 to 2^31 - 1
}

// Blanks it adds: never more than what is left of the document's budget.
uint32_t take_blanks(uint32_t wanted, uint32_t& budget) {
    const uint32_t blanks = std::min(wanted, budget);
    budget -= blanks;
    return blanks;
}

// Runs and blank counts up to this are written as this many bytes: copying
// a fixed width costs no branch on the length. Below kShortRun a byte loop
// beats the library calls.
constexpr uint32_t kWideCopy = 16;
constexpr uint32_t kShortRun = 32;
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The ESC bytes of the input in order, found a block at a time. Where the
// next ESC lies then never waits for the bytes before it to be decoded: the
// decoder's steps overlap instead of following one another through memory.
// Vectors: SSE2, where the machine has it; else plain integer words, as the
// 32-bit program runs it. Both are built on every machine that can.
enum class Width { kVectors, kWords };

template <Width kWidth>
class EscPositions {
public:
    explicit EscPositions(ByteSpan raw) : raw_(raw) { find(0); }
    // The next ESC, or the input's size when none is left.
    uint32_t next() {
        while (mask_ == 0) {
            base_ += kSpan;
            if (base_ >= raw_.size) return raw_.size;
            find(base_);
        }
        const uint32_t at = base_ + static_cast<uint32_t>(kSpan == 64 ? __builtin_ctzll(mask_) : __builtin_ctz(uint32_t(mask_)));
        mask_ &= mask_ - 1;
        return at;
    }

private:
    // Vectors take 64 bytes a time; words 32, in 4-byte words that a 32-bit
    // machine handles in one register.
    using Mask = typename std::conditional<kWidth == Width::kVectors, uint64_t, uint32_t>::type;
    static constexpr uint32_t kSpan = 8 * sizeof(Mask);

    // Bit i of mask_ set when byte base + i is ESC.
    void find(uint32_t base) {
        const uint8_t* p = raw_.data + base;
        uint8_t tail[kSpan];
        if (raw_.size - base < kSpan) {
            std::memset(tail, 0, sizeof tail);
            if (raw_.size > base) std::memcpy(tail, p, raw_.size - base);
            p = tail;
        }
        mask_ = 0;
#if defined(__SSE2__)
        if (kWidth == Width::kVectors) {
            const __m128i esc = _mm_set1_epi8(static_cast<char>(kEsc));
            for (uint32_t k = 0; k < kSpan; k += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
                mask_ |= Mask(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, esc)))) << k;
            }
            return;
        }
#endif
        for (uint32_t k = 0; k < kSpan; k += 4) {
            uint32_t word;
            std::memcpy(&word, p + k, sizeof word);  // little-endian: byte k first
            const uint32_t marks = bytes_equal(word, kEsc);
            mask_ |= Mask(((marks >> 7) * 0x10204080u) >> 28) << k;  // one bit per byte
        }
    }

    ByteSpan raw_;
    uint32_t base_ = 0;
    Mask mask_ = 0;
};

// Writes characters with the current attribute, never beyond the capacity.
// Kept in locals by the decoder: the count and the attribute form chains from
// one sequence to the next that must not pass through memory.
struct Output {
    uint8_t* text;
    uint8_t* attrs;
    uint32_t capacity;

    // The attribute in every byte of fill.
    void wide_attributes(uint32_t count, uint64_t fill) const {
        std::memcpy(attrs + count, &fill, 8);
        std::memcpy(attrs + count + 8, &fill, 8);
    }
    // available: readable bytes from bytes on, at least n. Returns the new count.
    uint32_t run(uint32_t count, uint64_t fill, const uint8_t* bytes, uint32_t n, uint32_t available) const {
        n = std::min(n, capacity - count);
        if (n <= kWideCopy && available >= kWideCopy && capacity - count >= kWideCopy) {
            // The bytes past the run are overwritten next or lie past the text.
            std::memcpy(text + count, bytes, kWideCopy);
            wide_attributes(count, fill);
        } else if (n < kShortRun) {
            for (uint32_t i = 0; i < n; ++i) {
                text[count + i] = bytes[i];
                attrs[count + i] = static_cast<uint8_t>(fill);
            }
        } else {
            std::memcpy(text + count, bytes, n);
            std::memset(attrs + count, static_cast<uint8_t>(fill), n);
        }
        return count + n;
    }
    uint32_t blanks(uint32_t count, uint64_t fill, uint32_t n) const {
        n = std::min(n, capacity - count);
        if (n <= kWideCopy && capacity - count >= kWideCopy) {
            std::memset(text + count, kBlank, kWideCopy);
            wide_attributes(count, fill);
        } else if (n > 0) {
            std::memset(text + count, kBlank, n);
            std::memset(attrs + count, static_cast<uint8_t>(fill), n);
        }
        return count + n;
    }
};

// Art repeats a handful of sequences thousands of times. A sequence of at
// most kShortSequence bytes (ESC [ parameters final byte) is worked out once
// and then found by its bytes.
constexpr uint32_t kShortSequence = 16;

// The bytes through the first one at or after index `from` whose bit 6 is set
// (0x40-0x7F, 0xC0-0xFF: never a parameter byte), the rest zero; all of them
// when there is none.
uint64_t through_bit6(uint64_t word, uint64_t from_mask) {
    const uint64_t marks = (word << 1) & kHighBits & from_mask;
    return word & (((marks & (0 - marks)) << 1) - 1);
}

// A short sequence by its bytes: those from its ESC through the first byte
// after ESC [ whose bit 6 is set, which is how every common final byte (m,
// C, letters) looks. The bytes prove nothing by themselves; a table entry is
// only made for a sequence whose real final byte is that one, so a match
// with an entry means the same sequence.
struct SequenceKey {
    uint64_t first = 0, second = 0;

    SequenceKey() = default;
    // kShortSequence bytes at p must be readable.
    explicit SequenceKey(const uint8_t* p) {
        uint64_t words[2];
        std::memcpy(words, p, sizeof words);  // little-endian: byte 0 lowest
        const bool ends_early = ((words[0] << 1) & kHighBits & ~uint64_t(0xFFFF)) != 0;
        first = through_bit6(words[0], ~uint64_t(0xFFFF));
        second = through_bit6(words[1], ~uint64_t(0)) & (uint64_t(ends_early) - 1);  // no branch
    }
    // Bytes in the sequence the key stands for, when it fits: the final byte's
    // position + 1, else 0.
    uint32_t length() const {
        const uint64_t word = second ? second : first;
        const uint64_t marks = (word << 1) & kHighBits & (second ? ~uint64_t(0) : ~uint64_t(0xFFFF));
        if (marks == 0) return 0;
        return static_cast<uint32_t>(__builtin_ctzll(marks)) / 8 + 1 + (second ? 8 : 0);
    }
    // With vectors, in 64-bit multiplies; with words, in 32-bit ones, which a
    // 32-bit machine does in one step each.
    template <Width kWidth>
    uint32_t slot(unsigned bits) const {
        if (kWidth == Width::kVectors)
            return static_cast<uint32_t>(((first * 0x9E3779B97F4A7C15ull) ^ (second * 0xC2B2AE3D27D4EB4Full)) >> (64 - bits));
        const uint32_t mixed = uint32_t(first) * 0x9E3779B1u + uint32_t(first >> 32) * 0x85EBCA77u +
                               uint32_t(second) * 0xC2B2AE3Du + uint32_t(second >> 32) * 0x27D4EB2Fu;
        return mixed >> (32 - bits);
    }
};

struct KnownSequence {
    uint64_t first = 0, second = 0;  // as SequenceKey gives them; first 0 marks an empty slot
    uint32_t colours = kNoColourChange;  // colour_effect of an ESC[...m
    uint32_t blanks = 0;  // wanted_blanks of an ESC[...C
    uint32_t length = 0;

    bool is(const SequenceKey& key) const { return first == key.first && second == key.second; }
};

// Reads the ESC [ sequence whose ESC is at j into `seq`: returns false when
// the input ends before its final byte.
bool read_sequence(ByteSpan raw, uint32_t j, KnownSequence& seq) {
    ControlSequence parsed;
    uint32_t k = j + 2;
    for (; k < raw.size && is_parameter_byte(raw.data[k]); ++k) {
        const uint8_t x = raw.data[k];
        if (x == kParamSeparator) {
            parsed.store_accumulator();
            parsed.accumulator = 0;
        } else {
            parsed.accumulator = parsed.accumulator * 10u + x - kDigitZero;
        }
    }
    if (k == raw.size) return false;
    seq.length = k + 1 - j;
    if (raw.data[k] == kCursorForward) {
        seq.blanks = wanted_blanks(parsed.accumulator);
    } else if (raw.data[k] == kSetColours) {
        parsed.store_accumulator();
        seq.colours = colour_effect(parsed);
    }
    return true;
}

struct SequenceTable {
    static constexpr unsigned kSlotBits = 8;
    KnownSequence entries[1u << kSlotBits];
};

}  // namespace

uint64_t ansi_first_capacity(ByteSpan raw, uint32_t blank_limit) {
    return uint64_t(raw.size) + std::min<uint64_t>(blank_limit, raw.size / 4 + 4096);
}

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
        blanks += take_blanks(wanted_blanks(accumulator), unlimited);
    }
    return uint64_t(raw.size) + std::min<uint64_t>(blanks, blank_limit);
}

namespace {

template <Width kWidth>
uint32_t decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs, uint32_t capacity) {
    const Output out{text, attrs, capacity};
    uint32_t count = 0;
    uint32_t colours = 0;  // black on black, not bold
    uint64_t fill = 0;
    uint32_t budget = blank_limit;
    SequenceTable known;
    KnownSequence fresh;
    EscPositions<kWidth> escs(raw);
    uint32_t j = 0;
    for (;;) {
        uint32_t esc = escs.next();
        while (esc < j) esc = escs.next();  // an ESC that was a sequence's final byte
        count = out.run(count, fill, raw.data + j, esc - j, raw.size - j);
        // Once the room is full nothing more is written.
        if (esc == raw.size || count == capacity) break;
        j = esc;

        // A sequence met before costs one look-up.
        KnownSequence* seq = &fresh;
        KnownSequence* slot = nullptr;
        SequenceKey key;
        if (raw.size - j >= kShortSequence) {
            key = SequenceKey(raw.data + j);
            slot = &known.entries[key.template slot<kWidth>(SequenceTable::kSlotBits)];
            if (slot->is(key)) seq = slot;
        }
        if (seq == &fresh) {
            if (j + 1 >= raw.size || raw.data[j + 1] != kCsiOpen) {
                ++j;  // a lone ESC: dropped, the byte after it is read as input
                continue;
            }
            fresh = KnownSequence();
            if (!read_sequence(raw, j, fresh)) break;  // cut off by the end of the file: no effect
            if (slot && key.length() == fresh.length) {
                fresh.first = key.first;
                fresh.second = key.second;
                *slot = fresh;
            }
        }
        // Colours and blanks both, so that which it is costs no branch.
        colours = apply_colours(seq->colours, colours);
        fill = kOnes * (colours & ~kBoldBit);
        count = out.blanks(count, fill, take_blanks(seq->blanks, budget));
        j += seq->length;
    }
    return count;
}

}  // namespace

uint32_t ansi_decode(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs, uint32_t capacity) {
    return decode<Width::kVectors>(raw, blank_limit, text, attrs, capacity);
}

uint32_t ansi_decode_words(ByteSpan raw, uint32_t blank_limit, uint8_t* text, uint8_t* attrs,
                           uint32_t capacity) {
    return decode<Width::kWords>(raw, blank_limit, text, attrs, capacity);
}
