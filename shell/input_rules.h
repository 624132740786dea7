#pragma once
// The small rules of the window's input, kept apart from the window procedure
// so that they can be tested without a window.
#include <cstdint>

class Viewer;

constexpr uint16_t kMenuEnglish = 101;
constexpr uint16_t kMenuPolish = 106;
constexpr uint16_t kLanguagePolish = 0x0415;

// Virtual-key codes the window answers (Win32's values).
constexpr uint32_t kKeyEscape = 0x1B;
constexpr uint32_t kKeyPageUp = 0x21;
constexpr uint32_t kKeyPageDown = 0x22;
constexpr uint32_t kKeyLeft = 0x25;
constexpr uint32_t kKeyUp = 0x26;
constexpr uint32_t kKeyRight = 0x27;
constexpr uint32_t kKeyDown = 0x28;

// Direction codes of a scroll request.
constexpr uint32_t kScrollBack = 1;
constexpr uint32_t kScrollForward = 2;
constexpr uint32_t kScrollAbsolute = 3;

// 101 or 106 from the system's default locale; only its language (low 16 bits) counts.
uint16_t menu_id_for_locale(uint32_t lcid);

// Takes the path out of the command-line tail, in place, and returns it: the
// whole tail, or the text between a leading double quote and the next one.
char* command_line_path(char* tail);

// One page is a view less one cell; 0 for an empty view, so it moves nothing.
uint32_t page_amount(uint32_t cells);

enum class ScrollAxis { none, vertical, horizontal };

struct ScrollRequest {
    ScrollAxis axis = ScrollAxis::none;
    uint32_t code = 0;
    uint32_t amount = 0;
};

// What a key, a scroll-bar request (bar: 0 horizontal, 1 vertical; thumb: the
// thumb's position) or a wheel turn (delta as the message carries it) asks of
// the view; axis none when nothing.
ScrollRequest key_scroll_request(uint32_t virtual_key, uint32_t view_cols, uint32_t view_rows);
ScrollRequest scroll_bar_request(int bar, uint32_t request, uint32_t thumb, uint32_t view_cols,
                                 uint32_t view_rows);
ScrollRequest wheel_scroll_request(int16_t delta);

// Hands a request to Viewer::scroll_vertical or Viewer::scroll_horizontal.
void apply_scroll_request(Viewer& viewer, const ScrollRequest& request);
