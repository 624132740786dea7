// web_replay FILE COLS ROWS: the program's Viewer on a virtual window, started
// as the page starts it (a view of COLS x ROWS cells, then FILE opened), then
// the requests read from standard input, one a line, as the page makes them:
//   key VK | scroll BAR CODE THUMB | wheel DELTA | resize COLS ROWS | wrap 0|1
//   | open FILE | standard 0|1 (the reading, the open file read again)
// After the start and after each request it prints one JSON line: the view's
// values, both scroll bars' records, and the presented image's size and hash
// (FNV-1a over its pixels' red, green and blue bytes, as a canvas holds them).
// The page's tests compare the canvas with these, request by request.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"
#include "tools/shot/input_bytes.h"

namespace {

uint32_t image_hash(const PresentedImage& image) {
    uint32_t hash = 2166136261u;
    for (const uint8_t index : image.pixels) {
        const RGBQUAD& c = image.colours[index];
        for (const uint8_t byte : {c.rgbRed, c.rgbGreen, c.rgbBlue}) {
            hash ^= byte;
            hash *= 16777619u;
        }
    }
    return hash;
}

void print_bar(const VirtualScrollBar& b) {
    std::printf("{\"enabled\":%s,\"min\":%d,\"max\":%d,\"page\":%u,\"position\":%d}",
                b.enabled ? "true" : "false", b.min, b.max, b.page, b.position);
}

void report(const Viewer& v, HWND window, const char* step, int result) {
    const PresentedImage* image = presented_image(window);
    const bool empty = v.view_cols == 0 || v.view_rows == 0 || !image;
    std::printf("{\"step\":\"%s\",\"result\":%d,\"state\":{\"top_row\":%u,\"left_col\":%u,"
                "\"view_cols\":%u,\"view_rows\":%u,\"doc_rows\":%u,\"doc_cols\":%u,\"wrap\":%s,\"standard\":%s},"
                "\"bars\":{\"horizontal\":",
                step, result, v.top_row, v.left_col, v.view_cols, v.view_rows, v.doc_rows,
                v.doc_cols, v.document->wrap_enabled ? "true" : "false",
                v.document->reading == kStandardReading ? "true" : "false");
    print_bar(virtual_scroll_bar(window, SB_HORZ));
    std::printf(",\"vertical\":");
    print_bar(virtual_scroll_bar(window, SB_VERT));
    std::printf("},\"width\":%u,\"height\":%u,\"hash\":%" PRIu32 "}\n", empty ? 0 : image->width,
                empty ? 0 : image->height, empty ? 0 : image_hash(*image));
}

int open_file(Viewer& v, const std::string& file) {
    InputBytes input;
    std::string error;
    if (!read_input(file, kMaxFileSize, input, error)) return 0;
    const int opened = v.open_bytes(std::move(input.bytes), input.size);
    v.paint(1);
    return opened;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: web_replay FILE COLS ROWS < requests\n");
        return 2;
    }
    Viewer v;
    v.init();
    const HWND window = create_virtual_window();
    v.attach(GetDC(window), window);
    v.update_vscroll();
    v.update_hscroll();
    v.resize(std::stoul(argv[2]), std::stoul(argv[3]));
    std::string shown = argv[1];  // the file last opened, read again on a change of reading
    int shown_opened = open_file(v, shown);
    report(v, window, "start", shown_opened);

    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char word[16] = "";
        long a = 0, b = 0, c = 0;
        char file[4000] = "";
        int result = 1;
        if (std::sscanf(line, "%15s", word) != 1) continue;
        const std::string name = word;
        if (name == "key" && std::sscanf(line, "%*s %ld", &a) == 1) {
            apply_scroll_request(v, key_scroll_request(uint32_t(a), v.view_cols, v.view_rows));
        } else if (name == "scroll" && std::sscanf(line, "%*s %ld %ld %ld", &a, &b, &c) == 3) {
            apply_scroll_request(v, scroll_bar_request(int(a), uint32_t(b), uint32_t(c), v.view_cols,
                                                       v.view_rows));
        } else if (name == "wheel" && std::sscanf(line, "%*s %ld", &a) == 1) {
            // WM_MOUSEWHEEL carries 16 bits.
            a = a > INT16_MAX ? INT16_MAX : a < INT16_MIN ? INT16_MIN : a;
            apply_scroll_request(v, wheel_scroll_request(int16_t(a)));
        } else if (name == "resize" && std::sscanf(line, "%*s %ld %ld", &a, &b) == 2) {
            v.resize(uint32_t(a), uint32_t(b));
        } else if (name == "wrap" && std::sscanf(line, "%*s %ld", &a) == 1) {
            v.set_wrap(int(a));
            v.paint(1);
        } else if (name == "open" && std::sscanf(line, "%*s %3999[^\n]", file) == 1) {
            result = open_file(v, file);
            if (result) shown = file, shown_opened = 1;
        } else if (name == "standard" && std::sscanf(line, "%*s %ld", &a) == 1) {
            const int32_t before = v.document->reading;
            v.document->reading = a ? kStandardReading : kGlyphoraReading;
            if (shown_opened && v.document->reading != before) result = open_file(v, shown);
            if (!result) v.document->reading = before;
        } else {
            std::fprintf(stderr, "web_replay: cannot read \"%s\"\n", line);
            return 2;
        }
        report(v, window, line, result);
    }
    return 0;
}
