#pragma once
// Windows BMP and ICO files of palette-indexed images, written byte by byte in
// the little-endian layouts Windows reads (the tool also runs on big-endian
// hosts, and struct padding never reaches the file).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace assets {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr uint16_t kIconType = 1;
constexpr uint32_t kIconDirBytes = 6;
constexpr uint32_t kIconEntryBytes = 16;

inline void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
inline void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Bytes of one row of a DIB: rows are padded to whole 32-bit words.
inline uint32_t dib_stride(uint32_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

inline void put_info_header(std::vector<uint8_t>& out, uint32_t width, uint32_t height,
                            uint32_t bits, uint32_t image_bytes) {
    put32(out, kInfoHeaderBytes);
    put32(out, width);
    put32(out, height);
    put16(out, 1);  // planes
    put16(out, bits);
    put32(out, BI_RGB);
    put32(out, image_bytes);
    put32(out, 0);  // horizontal resolution: none given
    put32(out, 0);  // vertical resolution
    put32(out, 0);  // colours used: all 2^bits
    put32(out, 0);  // colours important: all
}

inline void put_colour_table(std::vector<uint8_t>& out, const RGBQUAD* colours, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(colours[i].rgbBlue);
        out.push_back(colours[i].rgbGreen);
        out.push_back(colours[i].rgbRed);
        out.push_back(0);
    }
}

// An 8-bit image of palette indices, rows top first.
struct IndexedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;
};

// BITMAPFILEHEADER, BITMAPINFOHEADER, 256 colours, rows bottom first.
inline std::vector<uint8_t> bmp_file(const IndexedImage& image, const RGBQUAD* colours) {
    const uint32_t stride = dib_stride(image.width, 8);
    const uint32_t image_bytes = stride * image.height;
    const uint32_t bits_offset = kFileHeaderBytes + kInfoHeaderBytes + 256 * 4;
    std::vector<uint8_t> out;
    put16(out, kBitmapMagic);
    put32(out, bits_offset + image_bytes);
    put16(out, 0);
    put16(out, 0);
    put32(out, bits_offset);
    put_info_header(out, image.width, image.height, 8, image_bytes);
    put_colour_table(out, colours, 256);
    for (uint32_t y = image.height; y-- > 0;) {
        const uint8_t* row = &image.pixels[size_t(y) * image.width];
        out.insert(out.end(), row, row + image.width);
        out.resize(out.size() + (stride - image.width), 0);
    }
    return out;
}

// One image of an icon: colour numbers 0-15 (8-15 bright) and a mask where
// 1 lets the desktop show through.
struct IconImage {
    static constexpr uint32_t kSize = 32;
    uint32_t bits = 8;  // 4 or 8
    std::vector<uint8_t> colours = std::vector<uint8_t>(kSize * kSize, 0);
    std::vector<uint8_t> transparent = std::vector<uint8_t>(kSize * kSize, 0);
};

// The 16 colours of a 4-bit image in the order of colour numbers: the normal
// colours, then the bright ones, as the Viewer's table holds them.
inline std::vector<RGBQUAD> sixteen_colours(const RGBQUAD* viewer_colours) {
    std::vector<RGBQUAD> table;
    for (uint32_t n = 0; n < 8; ++n) table.push_back(viewer_colours[n]);
    for (uint32_t n = 0; n < 8; ++n) table.push_back(viewer_colours[64 + n]);
    return table;
}

// The Viewer's palette index of colour number c.
constexpr uint8_t palette_index(uint8_t c) { return c < 8 ? c : uint8_t(64 + (c - 8)); }

inline std::vector<uint8_t> icon_image_bytes(const IconImage& icon, const RGBQUAD* viewer_colours) {
    const uint32_t size = IconImage::kSize;
    const uint32_t xor_stride = dib_stride(size, icon.bits);
    const uint32_t and_stride = dib_stride(size, 1);
    std::vector<uint8_t> out;
    // The height counts the colour image and the mask together.
    put_info_header(out, size, 2 * size, icon.bits, (xor_stride + and_stride) * size);
    if (icon.bits == 4) {
        put_colour_table(out, sixteen_colours(viewer_colours).data(), 16);
    } else {
        put_colour_table(out, viewer_colours, 256);
    }
    for (uint32_t y = size; y-- > 0;) {
        std::vector<uint8_t> row(xor_stride, 0);
        for (uint32_t x = 0; x < size; ++x) {
            const size_t i = size_t(y) * size + x;
            // Transparent pixels are black, so the mask alone decides what shows.
            const uint8_t c = icon.transparent[i] ? 0 : icon.colours[i];
            if (icon.bits == 4) {
                row[x / 2] |= uint8_t(x % 2 == 0 ? c << 4 : c);
            } else {
                row[x] = palette_index(c);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (uint32_t y = size; y-- > 0;) {
        std::vector<uint8_t> row(and_stride, 0);
        for (uint32_t x = 0; x < size; ++x)
            if (icon.transparent[size_t(y) * size + x]) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// ICONDIR, one ICONDIRENTRY per image, then the images in the same order.
inline std::vector<uint8_t> ico_file(const std::vector<IconImage>& icons,
                                     const RGBQUAD* viewer_colours) {
    std::vector<std::vector<uint8_t>> images;
    for (const IconImage& icon : icons) images.push_back(icon_image_bytes(icon, viewer_colours));
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, kIconType);
    put16(out, uint32_t(icons.size()));
    uint32_t offset = kIconDirBytes + kIconEntryBytes * uint32_t(icons.size());
    for (size_t i = 0; i < icons.size(); ++i) {
        out.push_back(uint8_t(IconImage::kSize));
        out.push_back(uint8_t(IconImage::kSize));
        out.push_back(icons[i].bits == 4 ? 16 : 0);  // colours; 0 means 256 or more
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, icons[i].bits);
        put32(out, uint32_t(images[i].size()));
        put32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace assets
