#pragma once
// The one view: which text is shown and which part of it is visible, the frame
// it is composed into, the glyph cache, the bitmap description and palette it
// is presented with, and the window it paints into.
#include <cstdint>
#include <memory>

#include "document/document.h"
#include "platform/win32.h"

constexpr uint32_t kCellWidth = 8;
constexpr uint32_t kCellHeight = 16;
constexpr uint32_t kStartViewCols = 84;
constexpr uint32_t kStartViewRows = 30;
// The frame's start size, 1280 x 1024 pixels; it grows only when a view needs more.
constexpr uint32_t kFrameBytes = 1310720;
constexpr uint32_t kGlyphCacheBytes = 256 * kCellHeight * kCellWidth;

// A BITMAPINFO with its whole 256-entry colour table.
struct FrameBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

class Viewer {
public:
    std::unique_ptr<uint8_t[]> glyph_cache;
    std::unique_ptr<uint8_t[]> frame;
    const uint8_t* cur_text = nullptr;
    uint32_t top_row = 0;
    uint32_t bottom_row = 0;
    uint32_t left_col = 0;
    uint32_t right_col = 0;
    uint32_t doc_rows = 0;
    uint32_t doc_cols = 0;
    uint32_t cur_length = 0;
    uint32_t view_cols = 0;
    uint32_t view_rows = 0;
    uint32_t frame_width = 0;
    uint32_t frame_height = 0;
    uint8_t bg_index = 0;
    uint8_t fg_index = 0;
    const uint8_t* cur_attrs = nullptr;
    HDC dc = nullptr;
    HWND window = nullptr;
    FrameBitmapInfo bitmap_info{};
    BITMAPINFOHEADER header_template{};
    SCROLLINFO scroll_info{};
    std::unique_ptr<Document> document;
    // Bytes the frame holds; at least kFrameBytes once initialised.
    uint32_t frame_capacity = 0;

    // Record, font and palette.
    void init();
    void attach(HDC device_context, HWND main_window);

    // Composition and presentation.
    void clear_frame();
    void draw_glyph(uint32_t column, uint32_t row, uint32_t ch, uint8_t ink, uint8_t paper);
    void compose();
    void paint(int recompose);

    // View ranges, scrolling, resizing, wrap mode and opening files.
    void update_vscroll();
    void update_hscroll();
    void scroll_vertical(uint32_t code, uint32_t amount);
    void scroll_horizontal(uint32_t code, uint32_t amount);
    void resize(uint32_t columns, uint32_t rows);
    void set_wrap(int flag);
    int open(char* path);
    // open for a file already in memory (Document::load_bytes); file_name
    // stays as it was.
    int open_bytes(std::unique_ptr<uint8_t[]> bytes, uint32_t size);

    // The Open dialog (Windows program only).
    char* choose_file();
};
