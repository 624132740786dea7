#pragma once
// Testing several bytes at once, as one 32- or 64-bit word.
#include <cstdint>

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// 0x80 in every byte of `word` equal to `value`, 0 elsewhere; exact, with no
// borrows between bytes.
template <class Word>
inline Word bytes_equal(Word word, uint8_t value) {
    constexpr Word kOnes = static_cast<Word>(~Word(0)) / 0xFF;
    constexpr Word kLowSeven = kOnes * 0x7F;
    const Word x = word ^ static_cast<Word>(kOnes * value);
    return static_cast<Word>(~(((x & kLowSeven) + kLowSeven) | x) & ~kLowSeven);
}
