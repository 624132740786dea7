#include "document/screen_grid.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/control_bytes.h"

namespace {

constexpr uint32_t kFirstRoomRows = 64;
constexpr uint32_t kSlack = 16;

}  // namespace

ScreenGrid::ScreenGrid(uint32_t columns, uint32_t max_rows, uint64_t blank_budget)
    : columns_(columns), max_rows_(max_rows), blank_budget_(blank_budget) {}

bool ScreenGrid::grow(uint32_t rows) {
    const uint32_t room = room_rows_ == 0 ? rows : std::max(rows, std::min(max_rows_, std::max(room_rows_ * 2, kFirstRoomRows)));
    // 16 bytes more: a short run is written as one 16-byte step.
    const uint64_t bytes = uint64_t(room) * stride() + kSlack;
    std::unique_ptr<uint8_t[]> text(new (std::nothrow) uint8_t[bytes]);
    std::unique_ptr<uint8_t[]> attrs(text ? new (std::nothrow) uint8_t[bytes] : nullptr);
    if (!attrs) {
        failed_ = cut_ = true;
        return false;
    }
    const uint64_t kept = uint64_t(made_rows_) * stride();
    if (kept) {
        std::memcpy(text.get(), text_.get(), kept);
        std::memcpy(attrs.get(), attrs_.get(), kept);
    }
    text_ = std::move(text);
    attrs_ = std::move(attrs);
    room_rows_ = room;
    return true;
}

bool ScreenGrid::make_rows(uint32_t row, bool leave_last) {
    const uint64_t cells = (uint64_t(row) + 1 - made_rows_) * stride();
    if (row >= max_rows_ || cells > blank_budget_ || failed_) {
        cut_ = true;
        return false;
    }
    if (row >= room_rows_ && !grow(row + 1)) return false;
    blank_budget_ -= cells;
    for (uint32_t r = made_rows_; r < row + (leave_last ? 0 : 1); ++r) finish_row(r, 0);
    made_rows_ = row + 1;
    return true;
}

void ScreenGrid::finish_row(uint32_t row, uint32_t from) {
    std::memset(text_at(row, from), kBlank, columns_ - from);
    std::memset(attrs_at(row, from), kScreenBlankAttr, stride() - from);
    *text_at(row, columns_) = kLineFeed;
}

void ScreenGrid::blank(uint32_t row, uint32_t from, uint32_t to, uint8_t attr) {
    if (from >= to || !reach(row)) return;
    if (to - from > blank_budget_) {
        cut_ = true;
        return;
    }
    blank_budget_ -= to - from;
    std::memset(text_at(row, from), kBlank, to - from);
    std::memset(attrs_at(row, from), attr, to - from);
}
