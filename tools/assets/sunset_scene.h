#pragma once
// A sunset over the sea with mountains, drawn into a band of a canvas: a sky
// of dithered shades from night to the glow at the horizon, stars, the sun half
// sunk with the stripes of an old poster, black mountains with snow, and the
// water reflecting both.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "tools/assets/cell_canvas.h"

namespace assets {

struct SkyLevel {
    uint8_t ch, fg, bg;
};

// From the night at the top to the glow at the horizon.
constexpr std::array<SkyLevel, 12> kSkyLevels{{
    {kBlank, black, black},
    {kLightShade, blue, black},
    {kMediumShade, blue, black},
    {kDarkShade, blue, black},
    {kLightShade, magenta, blue},
    {kMediumShade, magenta, blue},
    {kDarkShade, magenta, blue},
    {kMediumShade, red, magenta},
    {kDarkShade, red, magenta},
    {kLightShade, bright_red, red},
    {kMediumShade, bright_red, red},
    {kLightShade, bright_yellow, red},
}};

struct Peak {
    int x;       // column of the summit
    int height;  // pixels above the horizon
};

struct SunsetScene {
    int left, right;          // columns of the band, inclusive
    int top;                  // first row of sky
    int horizon;              // first row of water
    int bottom;               // last row of water
    int sun_x;                // column of the sun's centre
    int sun_radius;           // in pixels
    const Peak* peaks;        // the mountain range
    size_t peak_count;
    uint32_t seed;
    bool stars = true;
    int snow_line = 11;       // pixels above the horizon where snow begins
    int first_level = 0;      // the sky level of the top row
    bool sun_stripes = true;
};

inline int mountain_height(const SunsetScene& scene, int x) {
    int height = 0;
    for (size_t i = 0; i < scene.peak_count; ++i)
        height = std::max(height, scene.peaks[i].height - std::abs(x - scene.peaks[i].x));
    return height;
}

inline void draw_sunset(CellCanvas& canvas, const SunsetScene& scene) {
    Sequence random(scene.seed);
    const int sky_rows = scene.horizon - scene.top;
    const int last_level = int(kSkyLevels.size()) - 1;

    // Sky: each row's level in sixteenths, dithered by up to half a level.
    for (int y = scene.top; y < scene.horizon; ++y) {
        const int span = last_level - scene.first_level;
        const int base = scene.first_level * 16 +
                         (sky_rows > 1 ? (y - scene.top) * span * 16 / (sky_rows - 1) : 0);
        for (int x = scene.left; x <= scene.right; ++x) {
            const int dithered = base + int(random.below(16)) - 8;
            const int level = std::clamp((dithered + 8) / 16, 0, last_level);
            const SkyLevel& sky = kSkyLevels[size_t(level)];
            canvas.put(x, y, sky.ch, sky.fg, sky.bg);
        }
    }
    if (scene.stars) {
        constexpr std::array<uint8_t, 5> kStars{'.', 0xFA, 0xF9, '+', '*'};
        constexpr std::array<uint8_t, 5> kStarColours{white, bright_white, bright_white, bright_cyan,
                                                      bright_yellow};
        for (int y = scene.top; y < scene.horizon - sky_rows / 2; ++y) {
            for (int x = scene.left; x <= scene.right; ++x) {
                if (random.below(100) >= 9 || !canvas.inside(x, y)) continue;
                const size_t kind = random.below(uint32_t(kStars.size()));
                canvas.put(x, y, kStars[kind], kStarColours[kind], canvas.at(x, y).bg);
            }
        }
    }

    PixelLayer layer(canvas);
    const int horizon_px = scene.horizon * 2;

    // The sun, its lower part under the sea, cut by stripes near the water.
    const int r = scene.sun_radius;
    const int sun_y = horizon_px - 2;
    for (int dy = -r; dy <= r; ++dy) {
        const int above = horizon_px - (sun_y + dy);
        if (above <= 0 || (scene.sun_stripes && (above == 2 || above == 5))) continue;
        for (int dx = -r; dx <= r; ++dx) {
            // A little inside the true circle, so no lone pixel sits on top.
            if (dx * dx + dy * dy > r * r - r / 2) continue;
            layer.set(scene.sun_x + dx, sun_y + dy, above > 3 ? bright_yellow : bright_red);
        }
    }

    // Mountains: black silhouettes with snow on the highest summits.
    for (int x = scene.left; x <= scene.right; ++x) {
        const int height = mountain_height(scene, x);
        // Slopes that fall towards the sun catch its light along their ridge.
        const bool lit = x < scene.sun_x && mountain_height(scene, x + 1) < height;
        for (int h = 0; h < height; ++h) {
            const bool snow = h >= scene.snow_line;
            const bool ridge = lit && h == height - 1;
            layer.set(x, horizon_px - 1 - h, snow ? white : ridge ? red : black);
        }
    }
    layer.paint_onto(canvas);

    // Water: waves, the sun's path of light narrowing towards us, and the
    // mountains' dark reflection.
    for (int y = scene.horizon; y <= scene.bottom; ++y) {
        const int depth = y - scene.horizon;
        const int path = r - depth;
        for (int x = scene.left; x <= scene.right; ++x) {
            const int reflected = mountain_height(scene, x);
            if (std::abs(x - scene.sun_x) <= path + 1 && random.below(4) != 0) {
                const bool bright = std::abs(x - scene.sun_x) <= path / 2;
                canvas.put(x, y, depth % 2 == 0 ? 0xCD : 0xC4, bright ? bright_yellow : bright_red,
                           blue);
            } else if (reflected - depth * 4 > 4) {
                canvas.put(x, y, kMediumShade, black, blue);
            } else if (reflected - depth * 4 > 0) {
                canvas.put(x, y, kLightShade, black, blue);
            } else {
                const uint32_t wave = random.below(12);
                if (wave == 0) {
                    canvas.put(x, y, 0xF7, bright_cyan, blue);
                } else if (wave < 3) {
                    canvas.put(x, y, '~', cyan, blue);
                } else if (wave == 3) {
                    canvas.put(x, y, 0xC4, bright_blue, blue);
                } else {
                    canvas.put(x, y, kBlank, white, blue);
                }
            }
        }
    }
}

}  // namespace assets
