#pragma once
// Where every kRowStep-th row of one text starts, so that finding a row deep
// in a large text walks at most kRowStep - 1 rows instead of every row above
// it. Filled on first need, as deep as the deepest row asked for: 4 bytes per
// kRowStep rows, never more than the text's length / 256.
#include <cstdint>
#include <memory>

constexpr uint32_t kRowStep = 1024;

class RowIndex {
public:
    const uint8_t* text = nullptr;  // the text described
    uint32_t length = 0;
    std::unique_ptr<uint32_t[]> starts;  // starts[k]: where row k * kRowStep starts
    uint32_t known = 0;                  // entries filled
    uint32_t capacity = 0;               // entries allocated

    // Forgets what it knew and describes `text` from now on; whatever
    // replaces a text calls it.
    void describe(const uint8_t* new_text, uint32_t new_length);
    bool describes(const uint8_t* shown, uint64_t shown_length) const {
        return shown == text && shown_length == length;
    }
    // What find_row_start(text, length, row) gives, from the nearest entry.
    uint64_t row_start(uint32_t row);

private:
    void fill_to(uint32_t entry);
};
