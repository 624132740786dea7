#pragma once
// The fixed 16-colour palette, as (red, green, blue) triples by ANSI colour number.
#include <cstdint>

struct Rgb {
    uint8_t red, green, blue;
};

extern const Rgb normal_colours[8];
extern const Rgb bright_colours[8];
