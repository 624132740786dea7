#pragma once
// The standard reading's colours: a sequence's parameters, the pen they set
// and the attribute byte a pen draws with. Only standard_decode.cpp uses it.
#include <cstdint>

#include "document/standard_decode.h"

namespace standard_reading {

constexpr uint32_t kMaxParams = 16;

struct Params {
    uint32_t value[kMaxParams];
    uint32_t count = 0;
    bool private_marker = false;  // ESC[? and the like: not ours to read

    // Parameter i, with `fallback` for one missing or 0 where 0 means default.
    uint32_t at(uint32_t i, uint32_t fallback) const { return i < count && value[i] ? value[i] : fallback; }
};

// The colours being drawn with, packed: foreground in bits 0-2, background
// in 3-5, then bold, blink and inverse. Every SGR sequence, whatever the
// colours before it, keeps some of these bits and sets others, so its effect
// is two masks, worked out once per distinct sequence.
constexpr uint32_t kForeground = 0x07;
constexpr uint32_t kBackground = 0x38;
constexpr uint32_t kBold = 0x40;
constexpr uint32_t kBlink = 0x80;
constexpr uint32_t kInverse = 0x100;
constexpr uint32_t kPenStates = 0x200;
constexpr uint32_t kStartPen = 7;  // grey on black

struct PenChange {
    uint32_t keep = kPenStates - 1;
    uint32_t set = 0;

    void put(uint32_t field, uint32_t value) {
        keep &= ~field;
        set = (set & ~field) | value;
    }
    uint32_t apply(uint32_t pen) const { return (pen & keep) | set; }
};

inline PenChange sgr_change(const Params& p) {
    PenChange c;
    if (p.count == 0) c.put(kPenStates - 1, kStartPen);
    for (uint32_t i = 0; i < p.count; ++i) {
        const uint32_t v = p.value[i];
        if (v == 0) c.put(kPenStates - 1, kStartPen);
        else if (v == 1 || v == 22) c.put(kBold, v == 1 ? kBold : 0);
        else if (v == 5 || v == 25) c.put(kBlink, v == 5 ? kBlink : 0);
        else if (v == 7 || v == 27) c.put(kInverse, v == 7 ? kInverse : 0);
        else if (v >= 30 && v <= 37) c.put(kForeground, v - 30);
        else if (v == 39) c.put(kForeground, 7);
        else if (v >= 40 && v <= 47) c.put(kBackground, (v - 40) << 3);
        else if (v == 49) c.put(kBackground, 0);
        // 256-colour and 24-bit colours: their own parameters are skipped,
        // not read as attributes; the colour is not ours to draw.
        else if ((v == 38 || v == 48) && i + 1 < p.count) i += p.value[i + 1] == 5 ? 2 : p.value[i + 1] == 2 ? 4 : 0;
    }
    return c;
}

// Inverse swaps the colours; brightness stays where it was set, as on a VGA
// text screen: bold with the ink, blink with the paper.
constexpr uint8_t pen_attribute(uint32_t pen, bool ice) {
    const uint32_t fg = pen & kForeground, bg = (pen & kBackground) >> 3;
    const uint32_t ink = pen & kInverse ? bg : fg, paper = pen & kInverse ? fg : bg;
    return static_cast<uint8_t>(ink + (pen & kBold ? 64 : 0) + 8 * paper + (pen & kBlink && ice ? kBrightBackground : 0));
}

}  // namespace standard_reading
