// glyphora-shot [--size COLSxROWS] [--wrap] [--top ROW] [--left COL] FILE OUT.png:
// what the program's window would show after opening FILE, written as a PNG.
// The Viewer is set up, attached to a virtual window and painted exactly as the
// program does it; --size is the window's size report in cells (84 x 30 when
// not given), --wrap the "Wrap lines" command after the open, and --top and
// --left thumb drags to that row and column.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "shell/input_rules.h"

namespace {

const char kUsage[] =
    "usage: glyphora-shot [--size COLSxROWS] [--wrap] [--top ROW] [--left COL] FILE OUT.png";

struct ShotRequest {
    const char* input = nullptr;
    const char* output = nullptr;
    uint32_t columns = kStartViewCols;
    uint32_t rows = kStartViewRows;
    bool sized = false;
    bool wrap = false;
    bool has_top = false;
    uint32_t top = 0;
    bool has_left = false;
    uint32_t left = 0;
};

// A whole unsigned decimal number that fits 32 bits, ending at `end` (or at the
// string's end when `end` is null). No sign, no spaces, no empty text.
bool parse_count(const char* text, const char* end, uint32_t& value) {
    if (!end) end = text + std::strlen(text);
    if (text == end) return false;
    uint64_t v = 0;
    for (const char* c = text; c != end; ++c) {
        if (*c < '0' || *c > '9') return false;
        v = v * 10 + uint64_t(*c - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

bool parse_size(const char* text, uint32_t& columns, uint32_t& rows) {
    const char* x = std::strchr(text, 'x');
    return x && parse_count(text, x, columns) && parse_count(x + 1, nullptr, rows);
}

// 1 with `request` filled, or 0 after printing the usage line.
int parse_arguments(int argc, char** argv, ShotRequest& request) {
    int positional = 0;
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--wrap") == 0) {
            request.wrap = true;
        } else if (std::strcmp(arg, "--size") == 0) {
            ok = value && parse_size(value, request.columns, request.rows);
            request.sized = true;
            ++i;
        } else if (std::strcmp(arg, "--top") == 0) {
            ok = value && parse_count(value, nullptr, request.top);
            request.has_top = true;
            ++i;
        } else if (std::strcmp(arg, "--left") == 0) {
            ok = value && parse_count(value, nullptr, request.left);
            request.has_left = true;
            ++i;
        } else if (arg[0] == '-' && arg[1] == '-') {
            ok = false;
        } else if (positional == 0) {
            request.input = arg;
            ++positional;
        } else if (positional == 1) {
            request.output = arg;
            ++positional;
        } else {
            ok = false;
        }
    }
    if (!ok || positional != 2) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 0;
    }
    return 1;
}

// Exit status: 0 when the PNG was written.
int render_shot(const ShotRequest& request) {
    std::unique_ptr<Viewer> viewer(new (std::nothrow) Viewer());
    if (viewer) viewer->init();
    if (!viewer || !viewer->document || !viewer->frame || !viewer->glyph_cache) {
        std::fprintf(stderr, "glyphora-shot: out of memory\n");
        return 1;
    }
    HWND window = create_virtual_window();
    viewer->attach(GetDC(window), window);
    viewer->update_vscroll();
    viewer->update_hscroll();
    // The window's size report; in the program it arrives before any file.
    if (request.sized) viewer->resize(request.columns, request.rows);

    // The Document keeps the path buffer, as the program's are, for the whole run.
    static char path[kPathSize];
    if (std::strlen(request.input) >= kPathSize) {
        std::fprintf(stderr, "glyphora-shot: cannot open %s: path longer than %u bytes\n",
                     request.input, kPathSize - 1);
        return 1;
    }
    std::strcpy(path, request.input);
    if (!viewer->open(path)) {
        std::fprintf(stderr, "glyphora-shot: cannot open %s\n", request.input);
        return 1;
    }
    if (request.wrap) viewer->set_wrap(1);
    if (request.has_top) viewer->scroll_vertical(kScrollAbsolute, request.top);
    if (request.has_left) viewer->scroll_horizontal(kScrollAbsolute, request.left);
    viewer->paint(1);

    const PresentedImage* image = presented_image(window);
    if (!image) {
        std::fprintf(stderr, "glyphora-shot: the view is empty, nothing was presented\n");
        return 1;
    }
    if (!save_png(*image, request.output)) {
        std::fprintf(stderr, "glyphora-shot: cannot write %s\n", request.output);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ShotRequest request;
    if (!parse_arguments(argc, argv, request)) return 2;
    return render_shot(request);
}
