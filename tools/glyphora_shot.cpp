// glyphora-shot FILE OUT.png: what the program's window would show right
// after opening FILE, written as a PNG. The Viewer is set up, attached to a
// virtual window and painted exactly as the program does it.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/virtual_window.h"
#include "render/viewer.h"

namespace {

const char kUsage[] = "usage: glyphora-shot FILE OUT.png";

struct ShotRequest {
    const char* input = nullptr;
    const char* output = nullptr;
};

// 1 with `request` filled, or 0 after printing what is wrong.
int parse_arguments(int argc, char** argv, ShotRequest& request) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (positional == 0) request.input = arg;
        else if (positional == 1) request.output = arg;
        else {
            std::fprintf(stderr, "glyphora-shot: unexpected argument '%s'\n%s\n", arg, kUsage);
            return 0;
        }
        ++positional;
    }
    if (positional != 2) {
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
