#include "platform/png_image.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

int write_indexed_png(const char* path, uint32_t width, uint32_t height, const uint8_t* indices,
                      const RGBQUAD* colours) {
    if (!path || !indices || !colours || width == 0 || height == 0) return 0;
    const uint64_t pixel_count = uint64_t(width) * height;
    std::vector<uint8_t> rgb(static_cast<size_t>(pixel_count) * 3);
    for (uint64_t i = 0; i < pixel_count; ++i) {
        const RGBQUAD& c = colours[indices[i]];
        rgb[3 * i] = c.rgbRed;
        rgb[3 * i + 1] = c.rgbGreen;
        rgb[3 * i + 2] = c.rgbBlue;
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    const int written = png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr);
    png_image_free(&image);
    if (!written) {
        std::remove(path);
        return 0;
    }
    return 1;
}
