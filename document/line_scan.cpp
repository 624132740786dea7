#include "document/line_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/byte_words.h"

namespace {

constexpr uint64_t kBlock = 64;
// Whole chunks are counted without finding where each line end is.
constexpr uint64_t kChunk = 1024;

inline unsigned lowest_bit(uint64_t mask) { return static_cast<unsigned>(__builtin_ctzll(mask)); }

// Without a popcnt instruction in the baseline, __builtin_popcountll becomes a
// library call; this stays inline.
inline uint64_t bit_count(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return (x * 0x0101010101010101ull) >> 56;
}

#if defined(__SSE2__)
struct Sse2Lanes {
    // Bit i of lf / cr is set when byte i of the 64-byte block is LF / CR.
    static void block_masks(const uint8_t* p, uint64_t& lf, uint64_t& cr) {
        const __m128i lf_bytes = _mm_set1_epi8(static_cast<char>(kLineFeed));
        const __m128i cr_bytes = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
        lf = 0;
        cr = 0;
        for (int part = 0; part < 4; ++part) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const uint64_t l = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf_bytes)));
            const uint64_t c = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr_bytes)));
            lf |= l << (16 * part);
            cr |= c << (16 * part);
        }
    }

    // Line ends in the kChunk bytes at p, where p[-1] is readable but not part
    // of the chunk. False when the chunk holds CR CR, whose count depends on
    // where the run of CRs started; the caller then goes block by block.
    static bool count_chunk(const uint8_t* p, uint64_t& ends) {
        static_assert(kChunk / 16 < 256, "a byte counter per lane must not overflow");
        const __m128i lf_bytes = _mm_set1_epi8(static_cast<char>(kLineFeed));
        const __m128i cr_bytes = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
        // The byte before the chunk is not the chunk's: its CR (if any) was counted.
        __m128i outside = _mm_setr_epi8(0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
        __m128i counts = _mm_setzero_si128();
        __m128i cr_cr = _mm_setzero_si128();
        for (uint64_t k = 0; k < kChunk; k += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k - 1));
            const __m128i cr = _mm_cmpeq_epi8(v, cr_bytes);
            const __m128i after_cr = _mm_and_si128(_mm_cmpeq_epi8(before, cr_bytes), outside);
            const __m128i end = _mm_or_si128(_mm_cmpeq_epi8(v, lf_bytes), cr);
            // A byte right after a CR belongs to that CR's line end.
            counts = _mm_sub_epi8(counts, _mm_andnot_si128(after_cr, end));
            cr_cr = _mm_or_si128(cr_cr, _mm_and_si128(after_cr, cr));
            outside = _mm_set1_epi8(-1);
        }
        if (_mm_movemask_epi8(cr_cr)) return false;
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        ends = static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
        return true;
    }
};
#endif

// The same with plain integer words, for targets without vectors.
template <class Word>
struct WordLanes {
    static constexpr unsigned kBytes = sizeof(Word);
    static constexpr unsigned kTopByte = 8 * (kBytes - 1);
    static constexpr Word kOnes = static_cast<Word>(~Word(0)) / 0xFF;
    static constexpr Word kPairLow = static_cast<Word>(~Word(0)) / 0xFFFF * 0xFF;  // 0x00FF...
    static constexpr Word kEveryPair = static_cast<Word>(~Word(0)) / 0xFFFF;      // 0x0001...

    // Bytes in memory order from the lowest bits up, whatever the machine.
    static Word load(const uint8_t* p) {
        Word w;
        std::memcpy(&w, p, sizeof w);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        w = kBytes == 8 ? Word(__builtin_bswap64(w)) : Word(__builtin_bswap32(uint32_t(w)));
#endif
        return w;
    }

    // One bit per byte, in memory order, from the 0x80 marks of bytes_equal.
    static uint64_t gather_bits(Word marks) {
        if (kBytes == 8) return (uint64_t(marks >> 7) * 0x0102040810204080ull) >> 56;
        return uint32_t(uint32_t(marks >> 7) * 0x10204080u) >> 28;
    }

    static void block_masks(const uint8_t* p, uint64_t& lf, uint64_t& cr) {
        lf = 0;
        cr = 0;
        for (unsigned k = 0; k < kBlock; k += kBytes) {
            const Word w = load(p + k);
            const Word l = bytes_equal(w, kLineFeed);
            const Word c = bytes_equal(w, kCarriageReturn);
            if ((l | c) == 0) continue;
            lf |= gather_bits(l) << k;
            cr |= gather_bits(c) << k;
        }
    }

    // As Sse2Lanes::count_chunk. Each byte of `counts` counts the line ends at
    // its place in the word; a group of 128 words keeps it below 256.
    static bool count_chunk(const uint8_t* p, uint64_t& ends) {
        constexpr uint64_t kGroup = 128 * kBytes;
        static_assert(kChunk % kGroup == 0, "whole groups per chunk");
        Word after_last = 0;  // the byte before the chunk is not the chunk's
        Word cr_cr = 0;
        uint64_t total = 0;
        for (uint64_t g = 0; g < kChunk; g += kGroup) {
            Word counts = 0;
            for (uint64_t k = g; k < g + kGroup; k += kBytes) {
                const Word w = load(p + k);
                const Word cr = bytes_equal(w, kCarriageReturn);
                // A byte right after a CR belongs to that CR's line end.
                const Word after_cr = static_cast<Word>(cr << 8) | after_last;
                after_last = static_cast<Word>(cr >> kTopByte);
                counts += ((bytes_equal(w, kLineFeed) | cr) & ~after_cr) >> 7;
                cr_cr |= after_cr & cr;
            }
            const Word pairs = (counts & kPairLow) + ((counts >> 8) & kPairLow);
            total += static_cast<Word>(pairs * kEveryPair) >> (8 * kBytes - 16);
        }
        if (cr_cr) return false;
        ends = total;
        return true;
    }
};

// Advances pos over line ends, 64 bytes at a time where it can, until
// `remaining` is 0 or pos reaches `stop` (or at most one byte beyond, when a
// CR takes the byte after it).
template <class Lanes>
void step_blocks(const uint8_t* text, uint64_t length, uint64_t stop, uint64_t& pos,
                 uint64_t& remaining) {
    while (remaining > 0 && pos < stop && pos < length) {
        if (length - pos >= kBlock) {
            uint64_t lf, cr;
            Lanes::block_masks(text + pos, lf, cr);
            // Without a CR directly after a CR, every CR is a line end and
            // swallows the byte after it, so the block can be counted at once.
            if ((cr & (cr << 1)) == 0) {
                uint64_t ends = (lf & ~(cr << 1)) | cr;
                const uint64_t count = bit_count(ends);
                if (count < remaining) {
                    remaining -= count;
                    pos += kBlock + (cr >> 63);  // a CR in the last byte swallows the next
                    continue;
                }
                for (uint64_t k = 1; k < remaining; ++k) ends &= ends - 1;
                const unsigned bit = lowest_bit(ends);
                pos += bit + 1 + ((cr >> bit) & 1);
                remaining = 0;
                return;
            }
        }
        // Byte by byte: the tail of the text, or a block with CR CR in it.
        const uint64_t block_end = length - pos >= kBlock ? pos + kBlock : length;
        while (remaining > 0 && pos < block_end) {
            const uint8_t ch = text[pos];
            if (ch == kLineFeed) {
                --remaining;
                pos += 1;
            } else if (ch == kCarriageReturn) {
                --remaining;
                pos += 2;
            } else {
                pos += 1;
            }
        }
    }
}

template <class Lanes>
uint64_t skip_rows_with(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows) {
    uint64_t remaining = rows;
    while (remaining > 0 && pos < length) {
        uint64_t stop = length;
        if (pos == 0) {
            stop = kBlock;  // chunks read the byte before them
        } else if (length - pos >= kChunk) {
            // Whole chunks whose line ends all lie before the wanted row are
            // counted without finding where each one is.
            uint64_t ends;
            if (Lanes::count_chunk(text + pos, ends) && ends < remaining) {
                remaining -= ends;
                // Without CR CR in the chunk, a CR in its last byte is a line
                // end that takes the first byte of the next.
                pos += kChunk + (text[pos + kChunk - 1] == kCarriageReturn);
                continue;
            }
            stop = pos + kChunk;
        }
        step_blocks<Lanes>(text, length, stop, pos, remaining);
    }
    return pos < length ? pos : length;
}

template <class Lanes>
uint64_t find_line_end_with(const uint8_t* text, uint64_t pos, uint64_t length) {
    while (length - pos >= kBlock) {
        uint64_t lf, cr;
        Lanes::block_masks(text + pos, lf, cr);
        if (lf | cr) return pos + lowest_bit(lf | cr);
        pos += kBlock;
    }
    for (; pos < length; ++pos) {
        if (text[pos] == kLineFeed || text[pos] == kCarriageReturn) return pos;
    }
    return length;
}

#if defined(__SSE2__)
using WidestLanes = Sse2Lanes;
#else
using WidestLanes = WordLanes<uint32_t>;
#endif

}  // namespace

uint64_t find_row_start(const uint8_t* text, uint64_t length, uint32_t row) {
    return skip_rows_with<WidestLanes>(text, length, 0, row);
}

uint64_t skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows) {
    return skip_rows_with<WidestLanes>(text, length, pos, rows);
}

uint64_t find_line_end(const uint8_t* text, uint64_t pos, uint64_t length) {
    return find_line_end_with<WidestLanes>(text, pos, length);
}

#if defined(__SSE2__)
uint64_t scan_sse2::skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows) {
    return skip_rows_with<Sse2Lanes>(text, length, pos, rows);
}
uint64_t scan_sse2::find_line_end(const uint8_t* text, uint64_t pos, uint64_t length) {
    return find_line_end_with<Sse2Lanes>(text, pos, length);
}
#endif

uint64_t scan_words64::skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows) {
    return skip_rows_with<WordLanes<uint64_t>>(text, length, pos, rows);
}
uint64_t scan_words64::find_line_end(const uint8_t* text, uint64_t pos, uint64_t length) {
    return find_line_end_with<WordLanes<uint64_t>>(text, pos, length);
}

uint64_t scan_words32::skip_rows(const uint8_t* text, uint64_t length, uint64_t pos, uint64_t rows) {
    return skip_rows_with<WordLanes<uint32_t>>(text, length, pos, rows);
}
uint64_t scan_words32::find_line_end(const uint8_t* text, uint64_t pos, uint64_t length) {
    return find_line_end_with<WordLanes<uint32_t>>(text, pos, length);
}
