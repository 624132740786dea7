#pragma once
// Scaling rows of palette indices down by area averaging: each output pixel is
// the mean colour of the source area it covers, partly covered source pixels
// counting by the part they cover. Rows stream through; memory stays a few
// rows wide whatever the height.
#include <cstdint>
#include <memory>

#include "platform/win32.h"

class AreaScaler {
public:
    // Scales src_width x src_height down to out_width x out_height (each no
    // larger than its source side, none 0); false without memory for it.
    bool start(uint32_t src_width, uint32_t src_height, uint32_t out_width, uint32_t out_height);

    // Adds the next source row, src_width indices into `colours`.
    void add_row(const uint8_t* indices, const RGBQUAD* colours);

    // The output row that the added rows have just completed, 3 bytes a pixel
    // (red, green, blue), or null while the next one is still incomplete. Each
    // row is handed out once; the pointer holds until the next add_row.
    const uint8_t* finished_row();

private:
    uint32_t src_width_ = 0, src_height_ = 0, out_width_ = 0, out_height_ = 0;
    uint32_t next_source_ = 0;  // source rows added
    uint32_t next_output_ = 0;  // output row being gathered
    bool complete_ = false;
    // Per source column: the output column it starts in and its weight there;
    // the rest of its weight (out_width in all) goes to the next column.
    std::unique_ptr<uint32_t[]> first_column_, first_weight_;
    std::unique_ptr<uint32_t[]> row_sum_;    // one source row, reduced across
    std::unique_ptr<uint64_t[]> current_, next_;  // output rows being gathered
    std::unique_ptr<uint8_t[]> output_;
};
