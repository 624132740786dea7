#include "platform/png_image.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

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
    std::FILE* file = nullptr;
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

void write_bytes(png_structp png, png_bytep data, size_t length) {
    PngSink& sink = *static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink.file) != length) {
        keep_reason(sink, std::strerror(errno));
        png_error(png, "write failed");
    }
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

// A new file beside `path` that no one else is writing, or -1 with errno set.
int create_beside(const std::string& path, std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
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

    // A folder's name would otherwise become a file beside it.
    struct stat st {};
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
        error = std::strerror(EISDIR);
        return false;
    }
    std::string temp;
    const int fd = create_beside(path, temp);
    PngSink sink;
    sink.file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!sink.file) {
        error = std::strerror(errno);
        if (fd >= 0) {
            close(fd);
            unlink(temp.c_str());
        }
        return false;
    }
    bool ok = encode(sink, rows, palette, compression, packed.data());
    if (std::fclose(sink.file) != 0 && ok) {
        keep_reason(sink, std::strerror(errno));
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path) != 0) {
        keep_reason(sink, std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        error = sink.reason;
    }
    return ok;
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
