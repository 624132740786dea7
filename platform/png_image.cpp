#include "platform/png_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/output_file.h"
#include "platform/virtual_window.h"

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

// Here rather than with the virtual window, which then needs no libpng.
int save_png(const PresentedImage& image, const char* path) {
    if (image.pixels.size() != uint64_t(image.width) * image.height) return 0;
    return write_indexed_png(path, image.width, image.height, image.pixels.data(), image.colours);
}

std::string png_size_problem(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) return "the image is empty";
    if (width <= kPngMaxSide && height <= kPngMaxSide) return "";
    char text[160];
    std::snprintf(text, sizeof text,
                  "an image of %llu x %llu pixels is too large for PNG (at most %u pixels a side)",
                  static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
                  kPngMaxSide);
    return text;
}

namespace {

// libpng reports through callbacks that jump out of it; the reason is kept in
// a fixed buffer so that nothing there allocates.
struct PngSink {
    OutputFile* out = nullptr;
    uint8_t* buffer = nullptr;  // libpng hands over a few bytes at a time
    size_t used = 0, capacity = 0;
    char reason[256] = "";
};

void keep_reason(PngSink& sink, const char* reason) {
    if (sink.reason[0] == '\0') std::snprintf(sink.reason, sizeof sink.reason, "%s", reason);
}

void on_png_error(png_structp png, png_const_charp message) {
    keep_reason(*static_cast<PngSink*>(png_get_error_ptr(png)), message);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

bool flush_sink(PngSink& sink) {
    const bool ok = write_output(*sink.out, sink.buffer, sink.used);
    if (!ok) keep_reason(sink, std::strerror(errno));
    sink.used = 0;
    return ok;
}

void write_bytes(png_structp png, png_bytep data, size_t length) {
    PngSink& sink = *static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink.used + length > sink.capacity && !flush_sink(sink)) png_error(png, "write failed");
    if (length > sink.capacity) {
        if (!write_output(*sink.out, data, length)) {
            keep_reason(sink, std::strerror(errno));
            png_error(png, "write failed");
        }
        return;
    }
    std::memcpy(sink.buffer + sink.used, data, length);
    sink.used += length;
}

void flush_bytes(png_structp) {}

// No object with a destructor lives here: libpng's errors longjmp back into it.
bool encode(PngSink& sink, const PngRows& rows, const PngPalette* palette,
            const PngCompression& compression, uint8_t* packed) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, on_png_error, on_png_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        keep_reason(sink, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, write_bytes, flush_bytes);
    png_set_compression_level(png, compression.level);
    png_set_compression_strategy(png, compression.strategy);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, compression.filters);
    png_set_compression_window_bits(png, compression.window_bits);
    png_set_compression_mem_level(png, compression.memory_level);
    if (palette) {
        png_set_IHDR(png, info, rows.width, rows.height, static_cast<int>(palette->bit_depth),
                     PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_color entries[256];
        for (uint32_t i = 0; i < palette->count; ++i) {
            entries[i].red = palette->entries[i].rgbRed;
            entries[i].green = palette->entries[i].rgbGreen;
            entries[i].blue = palette->entries[i].rgbBlue;
        }
        png_set_PLTE(png, info, entries, static_cast<int>(palette->count));
    } else {
        png_set_IHDR(png, info, rows.width, rows.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    }
    png_write_info(png, info);
    for (uint32_t y = 0; y < rows.height; ++y) {
        const uint8_t* row = rows.row(rows.context, y);
        if (!row) {
            keep_reason(sink, "out of memory for its pixels");
            png_destroy_write_struct(&png, &info);
            return false;
        }
        if (palette) {
            pack_row(*palette, row, rows.width, packed);
            row = packed;
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Hands out the row fetched before the output was opened, then the rest.
struct FirstRowKept {
    const PngRows& rows;
    const uint8_t* first;
};

const uint8_t* kept_row(void* context, uint32_t y) {
    FirstRowKept& kept = *static_cast<FirstRowKept*>(context);
    if (y == 0 && kept.first) {
        const uint8_t* row = kept.first;
        kept.first = nullptr;
        return row;
    }
    return kept.rows.row(kept.rows.context, y);
}

bool write_png(const char* path, const PngRows& rows, const PngPalette* palette,
               const PngCompression& compression, std::string& error) {
    error.clear();
    if (!path || !rows.row) {
        error = "nothing to write";
        return false;
    }
    error = png_size_problem(rows.width, rows.height);
    if (!error.empty()) return false;
    std::vector<uint8_t> packed;
    if (palette) packed.resize((size_t(rows.width) * palette->bit_depth + 7) / 8);
    std::vector<uint8_t> buffer(64u << 10);

    // The output is opened only once the picture is being made: a run that
    // fails before, or is stopped while composing, leaves nothing behind.
    FirstRowKept kept{rows, rows.row(rows.context, 0)};
    if (!kept.first) {
        error = "out of memory for its pixels";
        return false;
    }
    OutputFile out;
    if (!open_output(path, out, error)) return false;
    PngSink sink;
    sink.out = &out;
    sink.buffer = buffer.data();
    sink.capacity = buffer.size();
    const PngRows source{rows.width, rows.height, kept_row, &kept};
    const bool ok = encode(sink, source, palette, compression, packed.data()) && flush_sink(sink);
    if (!ok) {
        discard_output(out);
        error = sink.reason;
        return false;
    }
    return finish_output(out, error);
}

}  // namespace

bool write_palette_png(const char* path, const PngRows& rows, const PngPalette& palette,
                       const PngCompression& compression, std::string& error) {
    return write_png(path, rows, &palette, compression, error);
}

bool write_rgb_png(const char* path, const PngRows& rows, const PngCompression& compression,
                   std::string& error) {
    return write_png(path, rows, nullptr, compression, error);
}
