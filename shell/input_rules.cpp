#include "shell/input_rules.h"

#include "render/viewer.h"

namespace {

constexpr uint32_t kLanguageMask = 0xFFFF;
constexpr char kQuote = '"';
constexpr int kWheelDelta = 120;
constexpr uint32_t kRowsPerNotch = 2;

constexpr int kBarHorizontal = 0;
constexpr int kBarVertical = 1;

// Scroll-bar request codes (Win32's SB_ values).
constexpr uint32_t kBarLineBack = 0;
constexpr uint32_t kBarLineForward = 1;
constexpr uint32_t kBarPageBack = 2;
constexpr uint32_t kBarPageForward = 3;
constexpr uint32_t kBarThumbTrack = 5;

constexpr ScrollRequest make_request(ScrollAxis axis, uint32_t code, uint32_t amount) {
    ScrollRequest r;
    r.axis = axis;
    r.code = code;
    r.amount = amount;
    return r;
}

}  // namespace

uint16_t menu_id_for_locale(uint32_t lcid) {
    return (lcid & kLanguageMask) == kLanguagePolish ? kMenuPolish : kMenuEnglish;
}

char* command_line_path(char* tail) {
    if (tail == nullptr || tail[0] != kQuote) return tail;
    // Everything after the opening quote moves one place left, the NUL too;
    // every further quote ends the path.
    for (size_t i = 0;; ++i) {
        const char c = tail[i + 1];
        tail[i] = c == kQuote ? '\0' : c;
        if (c == '\0') break;
    }
    return tail;
}

uint32_t page_amount(uint32_t cells) { return cells == 0 ? 0 : cells - 1; }

ScrollRequest key_scroll_request(uint32_t virtual_key, uint32_t /*view_cols*/, uint32_t view_rows) {
    const uint32_t page = page_amount(view_rows);
    switch (virtual_key) {
    case kKeyPageUp: return make_request(ScrollAxis::vertical, kScrollBack, page);
    case kKeyPageDown: return make_request(ScrollAxis::vertical, kScrollForward, page);
    case kKeyLeft: return make_request(ScrollAxis::horizontal, kScrollBack, 1);
    case kKeyUp: return make_request(ScrollAxis::vertical, kScrollBack, 1);
    case kKeyRight: return make_request(ScrollAxis::horizontal, kScrollForward, 1);
    case kKeyDown: return make_request(ScrollAxis::vertical, kScrollForward, 1);
    default: return ScrollRequest{};
    }
}

// thumb is the 32-bit track position, taken whole so texts of more than
// 65,535 rows can be reached by dragging.
ScrollRequest scroll_bar_request(int bar, uint32_t code, uint32_t thumb, uint32_t view_cols,
                                 uint32_t view_rows) {
    ScrollAxis axis;
    uint32_t page;
    if (bar == kBarVertical) {
        axis = ScrollAxis::vertical;
        page = page_amount(view_rows);
    } else if (bar == kBarHorizontal) {
        axis = ScrollAxis::horizontal;
        page = page_amount(view_cols);
    } else {
        return ScrollRequest{};
    }
    switch (code) {
    case kBarLineBack: return make_request(axis, kScrollBack, 1);
    case kBarLineForward: return make_request(axis, kScrollForward, 1);
    case kBarPageBack: return make_request(axis, kScrollBack, page);
    case kBarPageForward: return make_request(axis, kScrollForward, page);
    case kBarThumbTrack: return make_request(axis, kScrollAbsolute, thumb);
    default: return ScrollRequest{};  // thumb released, top, bottom, end of scroll
    }
}

ScrollRequest wheel_scroll_request(int16_t delta) {
    // Truncated toward zero; a part notch moves nothing and is not kept.
    const int notches = delta / kWheelDelta;
    if (notches > 0)
        return make_request(ScrollAxis::vertical, kScrollBack, kRowsPerNotch * notches);
    if (notches < 0)
        return make_request(ScrollAxis::vertical, kScrollForward, kRowsPerNotch * -notches);
    return ScrollRequest{};
}

void apply_scroll_request(Viewer& viewer, const ScrollRequest& request) {
    switch (request.axis) {
    case ScrollAxis::vertical: viewer.scroll_vertical(request.code, request.amount); break;
    case ScrollAxis::horizontal: viewer.scroll_horizontal(request.code, request.amount); break;
    case ScrollAxis::none: break;
    }
}
