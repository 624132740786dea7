#pragma once
// The screen the standard reading draws on: rows of `columns` cells, each row
// stored as the Document will hold it (its characters, then a line end), so
// the finished grid is the text with no copy. Rows are made (blank, grey on
// black) when first reached and the grid grows by doubling; how many rows it
// may hold and how many cells it may blank in all (new rows, clears) are
// bounded, so no file costs more than its bounds however it moves the cursor.
#include <algorithm>
#include <cstdint>
#include <memory>

constexpr uint8_t kScreenBlankAttr = 0x07;  // grey on black

class ScreenGrid {
public:
    ScreenGrid(uint32_t columns, uint32_t max_rows, uint64_t blank_budget);

    uint32_t columns() const { return columns_; }
    uint32_t stride() const { return columns_ + 1; }
    // Makes rows through `row`; false (the grid cut) when the bounds forbid
    // it, or when no memory can be had (failed() then says so).
    bool reach(uint32_t row) { return row < made_rows_ || make_rows(row, false); }
    // As reach, but a row made now is left unwritten (`fresh` then says so):
    // the caller writes its cells left to right and finishes it with
    // finish_row before anything else touches the grid.
    bool reach_unwritten(uint32_t row, bool& fresh) {
        fresh = row >= made_rows_;
        return !fresh || make_rows(row, true);
    }
    // Cells from `from` on of a row reached unwritten become blank, and its
    // line end is written.
    void finish_row(uint32_t row, uint32_t from);
    // No made row follows this one: the cells past its end are free to
    // scribble on (they are blanked when made), up to 16 bytes past the end.
    bool is_last(uint32_t row) const { return row + 1 == made_rows_; }
    uint8_t* text_at(uint32_t row, uint32_t column) { return text_.get() + uint64_t(row) * stride() + column; }
    uint8_t* attrs_at(uint32_t row, uint32_t column) { return attrs_.get() + uint64_t(row) * stride() + column; }
    // Rooms the grid for this many rows at first (within its bound), so a
    // screen whose size is foreseen is allocated once.
    void expect_rows(uint32_t rows) {
        if (room_rows_ == 0) grow(std::min(std::max(rows, 1u), std::max(max_rows_, 1u)));
    }
    // A character or clear reached this row: the picture is at least this tall.
    void mark_drawn(uint32_t row) {
        if (row >= drawn_rows_) drawn_rows_ = row + 1;
    }
    // Blanks cells [from, to) of a made row with `attr`, within the budget.
    void blank(uint32_t row, uint32_t from, uint32_t to, uint8_t attr);
    // Everything drawn so far is gone.
    void clear() { made_rows_ = drawn_rows_ = 0; }

    bool cut() const { return cut_; }
    bool failed() const { return failed_; }
    // The drawn rows as text and attributes of drawn_rows() * stride() bytes.
    uint32_t drawn_rows() const { return drawn_rows_; }
    std::unique_ptr<uint8_t[]> take_text() { return std::move(text_); }
    std::unique_ptr<uint8_t[]> take_attrs() { return std::move(attrs_); }

private:
    bool make_rows(uint32_t row, bool leave_last);
    bool grow(uint32_t rows);

    uint32_t columns_;
    uint32_t max_rows_;
    uint64_t blank_budget_;
    uint32_t made_rows_ = 0;
    uint32_t drawn_rows_ = 0;
    uint32_t room_rows_ = 0;
    bool cut_ = false;
    bool failed_ = false;
    std::unique_ptr<uint8_t[]> text_;
    std::unique_ptr<uint8_t[]> attrs_;
};
