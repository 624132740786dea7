#pragma once
// The bytes the viewer gives a meaning: a line ends at LF, or at CR together
// with the byte after it; a file that starts with ESC is ANSI art.
#include <cstdint>

constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kEsc = 0x1B;
// SUB, DOS's end of file: where the standard reading's art ends.
constexpr uint8_t kSubstitute = 0x1A;
// A control sequence is ESC [ and its parameters, parted by ';'.
constexpr uint8_t kCsiOpen = 0x5B;         // '['
constexpr uint8_t kParamSeparator = 0x3B;  // ';'
// What cursor moves and cleared cells leave behind.
constexpr uint8_t kBlank = 0x20;
