#include "tools/shot/area_scale.h"

#include <algorithm>
#include <cstring>
#include <new>

// Weights are exact integers: on an axis of src x out units, source pixel i
// covers [i * out, (i + 1) * out) and output pixel j covers [j * src, (j + 1) * src),
// so every overlap is a whole number and each output pixel's weights add up to src.

bool AreaScaler::start(uint32_t src_width, uint32_t src_height, uint32_t out_width, uint32_t out_height) {
    if (out_width == 0 || out_height == 0 || out_width > src_width || out_height > src_height) return false;
    src_width_ = src_width;
    src_height_ = src_height;
    out_width_ = out_width;
    out_height_ = out_height;
    next_source_ = next_output_ = 0;
    complete_ = false;
    const size_t channels = size_t(out_width) * 3;
    first_column_.reset(new (std::nothrow) uint32_t[src_width]);
    first_weight_.reset(new (std::nothrow) uint32_t[src_width]);
    row_sum_.reset(new (std::nothrow) uint32_t[channels]);
    current_.reset(new (std::nothrow) uint64_t[channels]());
    next_.reset(new (std::nothrow) uint64_t[channels]());
    output_.reset(new (std::nothrow) uint8_t[channels]);
    if (!first_column_ || !first_weight_ || !row_sum_ || !current_ || !next_ || !output_) return false;
    for (uint32_t i = 0; i < src_width; ++i) {
        const uint64_t from = uint64_t(i) * out_width;
        const uint32_t column = static_cast<uint32_t>(from / src_width);
        const uint64_t boundary = uint64_t(column + 1) * src_width;
        first_column_[i] = column;
        first_weight_[i] = static_cast<uint32_t>(std::min<uint64_t>(boundary - from, out_width));
    }
    return true;
}

void AreaScaler::add_row(const uint8_t* indices, const RGBQUAD* colours) {
    if (next_source_ >= src_height_ || complete_) return;
    uint32_t* sum = row_sum_.get();
    std::memset(sum, 0, sizeof(uint32_t) * out_width_ * 3);
    for (uint32_t i = 0; i < src_width_; ++i) {
        const RGBQUAD& c = colours[indices[i]];
        uint32_t* to = sum + 3 * first_column_[i];
        const uint32_t w = first_weight_[i];
        to[0] += c.rgbRed * w;
        to[1] += c.rgbGreen * w;
        to[2] += c.rgbBlue * w;
        if (w < out_width_) {
            const uint32_t rest = out_width_ - w;
            to[3] += c.rgbRed * rest;
            to[4] += c.rgbGreen * rest;
            to[5] += c.rgbBlue * rest;
        }
    }
    const uint64_t from = uint64_t(next_source_) * out_height_;
    const uint64_t to_end = from + out_height_;
    const uint64_t boundary = uint64_t(next_output_ + 1) * src_height_;
    const uint64_t here = std::min(to_end, boundary) - from;
    const uint64_t beyond = to_end - from - here;
    const size_t channels = size_t(out_width_) * 3;
    for (size_t k = 0; k < channels; ++k) {
        current_[k] += uint64_t(sum[k]) * here;
        next_[k] += uint64_t(sum[k]) * beyond;
    }
    ++next_source_;
    complete_ = to_end >= boundary;
}

const uint8_t* AreaScaler::finished_row() {
    if (!complete_) return nullptr;
    const uint64_t total = uint64_t(src_width_) * src_height_;
    const size_t channels = size_t(out_width_) * 3;
    for (size_t k = 0; k < channels; ++k) output_[k] = static_cast<uint8_t>((current_[k] + total / 2) / total);
    std::swap(current_, next_);
    std::memset(next_.get(), 0, sizeof(uint64_t) * channels);
    ++next_output_;
    complete_ = false;
    return output_.get();
}
