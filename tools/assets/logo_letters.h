#pragma once
// The letters of the "GLYPHORA" logo, drawn as pixel maps ('#' is a pixel),
// in a large size for the sample and a small one for the About picture.
#include <array>
#include <cstdint>
#include <string>

#include "tools/assets/cell_canvas.h"

namespace assets {

template <size_t Rows>
struct LetterMap {
    char letter;
    std::array<const char*, Rows> rows;
};

constexpr int kLargeWidth = 8;
constexpr int kLargeHeight = 12;
constexpr std::array<LetterMap<kLargeHeight>, 8> kLargeLetters{{
    {'G', {".######.", "########", "##....##", "##......", "##......", "##......",
           "##..####", "##..####", "##....##", "##....##", "########", ".######."}},
    {'L', {"##......", "##......", "##......", "##......", "##......", "##......",
           "##......", "##......", "##......", "##......", "########", "########"}},
    {'Y', {"##....##", "##....##", "##....##", "###..###", ".######.", "..####..",
           "...##...", "...##...", "...##...", "...##...", "...##...", "...##..."}},
    {'P', {"#######.", "########", "##....##", "##....##", "##....##", "########",
           "#######.", "##......", "##......", "##......", "##......", "##......"}},
    {'H', {"##....##", "##....##", "##....##", "##....##", "##....##", "########",
           "########", "##....##", "##....##", "##....##", "##....##", "##....##"}},
    {'O', {".######.", "########", "##....##", "##....##", "##....##", "##....##",
           "##....##", "##....##", "##....##", "##....##", "########", ".######."}},
    {'R', {"#######.", "########", "##....##", "##....##", "##....##", "########",
           "#######.", "##..##..", "##...##.", "##....##", "##....##", "##....##"}},
    {'A', {".######.", "########", "##....##", "##....##", "##....##", "########",
           "########", "##....##", "##....##", "##....##", "##....##", "##....##"}},
}};

constexpr int kSmallWidth = 4;
constexpr int kSmallHeight = 7;
constexpr std::array<LetterMap<kSmallHeight>, 8> kSmallLetters{{
    {'G', {".###", "#...", "#...", "#.##", "#..#", "#..#", ".###"}},
    {'L', {"#...", "#...", "#...", "#...", "#...", "#...", "####"}},
    {'Y', {"#..#", "#..#", "#..#", ".##.", ".##.", ".##.", ".##."}},
    {'P', {"###.", "#..#", "#..#", "###.", "#...", "#...", "#..."}},
    {'H', {"#..#", "#..#", "#..#", "####", "#..#", "#..#", "#..#"}},
    {'O', {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'R', {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"}},
    {'A', {".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#"}},
}};

// Draws the word "GLYPHORA" with its top left pixel at (x, y), each pixel row
// in the colour row_colours gives it, and a shadow one pixel right and down
// (none when shadow is negative).
template <size_t Rows>
void draw_logo(PixelLayer& layer, const std::array<LetterMap<Rows>, 8>& letters, int width,
               int x, int y, int gap, const std::array<uint8_t, Rows>& row_colours,
               int shadow) {
    auto is_set = [&](const LetterMap<Rows>& map, int px, int py) {
        return px >= 0 && py >= 0 && px < width && py < int(Rows) && map.rows[py][px] == '#';
    };
    for (size_t i = 0; i < letters.size(); ++i) {
        const int left = x + int(i) * (width + gap);
        for (int py = 0; py <= int(Rows); ++py)
            for (int px = 0; px <= width; ++px)
                if (shadow >= 0 && !is_set(letters[i], px, py) && is_set(letters[i], px - 1, py - 1))
                    layer.set(left + px, y + py, uint8_t(shadow));
        for (int py = 0; py < int(Rows); ++py)
            for (int px = 0; px < width; ++px)
                if (is_set(letters[i], px, py)) layer.set(left + px, y + py, row_colours[py]);
    }
}

}  // namespace assets
