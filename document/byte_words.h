#pragma once
// Testing eight bytes at once, as one 64-bit word.
#include <cstdint>

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// 0x80 in every byte of `word` equal to `value`, 0 elsewhere; exact, with no
// borrows between bytes.
inline uint64_t bytes_equal(uint64_t word, uint8_t value) {
    constexpr uint64_t kLowSeven = 0x7F7F7F7F7F7F7F7Full;
    const uint64_t x = word ^ (kEveryByte * value);
    return ~(((x & kLowSeven) + kLowSeven) | x) & ~kLowSeven;
}
