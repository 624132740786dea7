#pragma once
// How the standard reading finds its way through the bytes fast: the bytes
// that end a run, found ahead of the decoding, and the sequences met before,
// found by their bytes. Only standard_decode.cpp uses it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/byte_span.h"
#include "document/control_bytes.h"
#include "document/standard_sgr.h"

namespace standard_reading {

constexpr uint8_t kTab = 0x09;

// Bytes that end a run of characters: line ends, tab and ESC (read as a
// glyph when escapes are off). Every other byte is drawn from the font.
struct Stops {
    bool stop[256] = {};
    constexpr explicit Stops(bool escapes) {
        stop[kLineFeed] = stop[kCarriageReturn] = stop[kTab] = true;
        stop[kEsc] = escapes;
    }
};
constexpr Stops kAnsiStops(true);
constexpr Stops kPlainStops(false);

// Art repeats a handful of sequences thousands of times: one that fits in 16
// bytes (ESC [ ... final byte) is read once and then found by its bytes.
#if defined(__SSE2__)
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// A short sequence by its bytes: those from its ESC through the first byte
// after ESC [ whose bit 6 is set, as every final byte's is and no parameter
// or intermediate byte's; zero after. Found in plain 64-bit words: shorter
// steps than vectors from the bytes to the table. The bytes prove nothing by
// themselves: an entry is only made for a sequence whose real final byte is
// that one, so a key that matches one means the same sequence.
struct SequenceKey {
    uint64_t first = 0, second = 0;
    uint32_t length = 0;  // 0: no such byte in the 16

    // 16 readable bytes at p, p[0] ESC. The key holds p[1]: an ESC without
    // '[' matches no entry.
    explicit SequenceKey(const uint8_t* p) {
        uint64_t words[2];
        std::memcpy(words, p, sizeof words);  // little-endian: byte 0 lowest
        const uint64_t marks0 = (words[0] << 1) & kHighBits & ~uint64_t(0xFFFF);
        const uint64_t marks1 = (words[1] << 1) & kHighBits;
        first = through_lowest(words[0], marks0);
        second = marks0 ? 0 : through_lowest(words[1], marks1);
        length = marks0 ? static_cast<uint32_t>(__builtin_ctzll(marks0)) / 8 + 1
                 : marks1 ? static_cast<uint32_t>(__builtin_ctzll(marks1)) / 8 + 9 : 0;
    }
    SequenceKey() = default;

private:
    // The bytes of word through the one marked lowest; all of them without a mark.
    static uint64_t through_lowest(uint64_t word, uint64_t marks) {
        return word & (((marks & (0 - marks)) << 1) - 1);
    }
};

// 32 bytes, so the table stays in the nearest cache; the parameters, needed
// only by the rarer handlers, are kept apart.
struct KnownSequence {
    uint64_t first = 0, second = 0;  // its key; first 0: an empty slot
    uint16_t keep = 0;   // colours and cursor-forward, the common two, need no
    uint16_t set = 0;    // handler: their change to the pen (keep, set) and
    uint16_t forward = 0;  // the columns forward (0 for the other)
    uint8_t final_byte = 0;
    bool acts = false;   // not a private or intermediate form
    bool common = false;
};

class SequenceCache {
public:
    static constexpr uint32_t kSlotBits = 8;

    // The sequence whose key is `key` (its length not 0), with its slot;
    // null when it is not known.
    const KnownSequence* find(const SequenceKey& key, KnownSequence*& slot) {
        const uint32_t at = static_cast<uint32_t>(
            ((key.first * 0x9E3779B97F4A7C15ull) ^ (key.second * 0xC2B2AE3D27D4EB4Full)) >> (64 - kSlotBits));
        slot = &slots_[at];
        return slot->first == key.first && slot->second == key.second ? slot : nullptr;
    }
    Params& params_of(const KnownSequence* slot) { return params_[slot - slots_]; }

private:
    KnownSequence slots_[1u << kSlotBits];
    Params params_[1u << kSlotBits];
};
#endif

// The stops of the input in order, found 64 bytes at a time ahead of the
// decoding: where the next run ends then never waits for the sequence before
// it to be read, and the decoder's steps overlap. Vectors where the machine
// has them, else the table a byte at a time.
class StopPositions {
public:
    StopPositions(ByteSpan raw, const Stops& stops) : raw_(raw), stops_(stops) { find(0); }
    // The first stop at or after j (each is returned once), or the input's size.
    uint32_t at_or_after(uint32_t j) {
        for (;;) {
            while (mask_ == 0) {
                base_ += 64;
                if (base_ >= raw_.size) return raw_.size;
                find(base_);
            }
            // Taken as it is returned: the stop is read at once, and
            // nothing of a sequence is a stop, so the next call seldom loops.
            const uint32_t at = base_ + static_cast<uint32_t>(__builtin_ctzll(mask_));
            mask_ &= mask_ - 1;
            if (at >= j) return at;
        }
    }

private:
    void find(uint32_t base) {
        mask_ = 0;
        const uint32_t n = std::min(raw_.size - base, 64u);
#if defined(__SSE2__)
        if (n == 64) {
            const uint8_t* p = raw_.data + base;
            // Without escapes ESC is a glyph: LF stands in its place.
            const __m128i esc = _mm_set1_epi8(static_cast<char>(stops_.stop[kEsc] ? kEsc : kLineFeed));
            for (uint32_t k = 0; k < 64; k += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
                const __m128i hit = _mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(kLineFeed)), _mm_cmpeq_epi8(v, _mm_set1_epi8(kCarriageReturn))),
                    _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(kTab)), _mm_cmpeq_epi8(v, esc)));
                mask_ |= uint64_t(static_cast<uint32_t>(_mm_movemask_epi8(hit))) << k;
            }
            return;
        }
#endif
        for (uint32_t k = 0; k < n; ++k)
            if (stops_.stop[raw_.data[base + k]]) mask_ |= uint64_t(1) << k;
    }

    ByteSpan raw_;
    const Stops& stops_;
    uint32_t base_ = 0;
    uint64_t mask_ = 0;
};

}  // namespace standard_reading
