#pragma once
// How the standard reading finds its way through the bytes fast: the bytes
// that end a run, found ahead of the decoding, and the sequences met before,
// found by their bytes. Only standard_decode.cpp uses it.
#include <algorithm>
#include <cstdint>
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
// 32 bytes, so the table stays in the nearest cache; the parameters, needed
// only by the rarer handlers, are kept apart.
struct KnownSequence {
    __m128i bytes;       // the sequence, zero after its final byte
    uint16_t keep = 0;   // colours and cursor-forward, the common two, need no
    uint16_t set = 0;    // handler: their change to the pen (keep, set) and
    uint16_t forward = 0;  // the columns forward (0 for the other)
    uint8_t length = 0;  // 0: an empty slot
    uint8_t final_byte = 0;
    bool acts = false;   // not a private or intermediate form
    bool common = false;
};

class SequenceCache {
public:
    static constexpr uint32_t kSlotBits = 8;

    // The sequence at p (16 readable bytes, p[0] ESC, p[1] '[') by its
    // bytes, with its slot; null when it is not known or does not fit.
    const KnownSequence* find(const uint8_t* p, KnownSequence*& slot, __m128i& key, uint32_t& length) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Bytes 0x20-0x3F continue a sequence; the first other byte after ESC [ ends it.
        const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(0x20));
        const __m128i inside = _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(0x1F)), shifted);
        const uint32_t ends = ~static_cast<uint32_t>(_mm_movemask_epi8(inside)) & 0xFFFCu;
        slot = nullptr;
        if (!ends) return nullptr;
        length = static_cast<uint32_t>(__builtin_ctz(ends)) + 1;
        key = _mm_and_si128(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep + 16 - length)));
        uint64_t halves[2];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), key);
        const uint32_t at = static_cast<uint32_t>(
            ((halves[0] * 0x9E3779B97F4A7C15ull) ^ (halves[1] * 0xC2B2AE3D27D4EB4Full)) >> (64 - kSlotBits));
        slot = &slots_[at];
        if (slot->length != length || _mm_movemask_epi8(_mm_cmpeq_epi8(slot->bytes, key)) != 0xFFFF) return nullptr;
        return slot;
    }
    Params& params_of(const KnownSequence* slot) { return params_[slot - slots_]; }

private:
    // 16 0xFF bytes then 16 zeros: the 16 from kKeep + 16 - n keep the first n bytes.
    static constexpr uint8_t kKeep[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
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
