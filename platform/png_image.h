#pragma once
// Palette-indexed pixels written out as an RGB PNG.
#include <cstdint>

#include "platform/win32.h"

// 1 when `path` now holds the width x height image whose pixel i has the
// colour colours[indices[i]]; 0 on failure, leaving no file.
int write_indexed_png(const char* path, uint32_t width, uint32_t height, const uint8_t* indices,
                      const RGBQUAD* colours);
