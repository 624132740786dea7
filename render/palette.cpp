#include "render/palette.h"

// Normal colours are the dim half of the 16-colour set; white is a light grey
// so that bright white still stands out above it.
const Rgb normal_colours[8] = {
    {0, 0, 0},        // black
    {128, 0, 0},      // red
    {0, 128, 0},      // green
    {128, 128, 0},    // yellow
    {0, 0, 128},      // blue
    {128, 0, 128},    // magenta
    {0, 128, 128},    // cyan
    {192, 192, 192},  // white
};

// Bright black is the dark grey of a bold black foreground.
const Rgb bright_colours[8] = {
    {128, 128, 128},  // black
    {255, 0, 0},      // red
    {0, 255, 0},      // green
    {255, 255, 0},    // yellow
    {0, 0, 255},      // blue
    {255, 0, 255},    // magenta
    {0, 255, 255},    // cyan
    {255, 255, 255},  // white
};
