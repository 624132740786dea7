// The whole view under arbitrary requests: a file's bytes, then a sequence of
// operations (open it, fail to open, resize to any size, scroll with any code
// and amount, switch wrap mode, repaint), composing after each and checking
// that every range keeps its shape, the bars agree with it, and composition
// stays inside the frame.
//
// Input: two bytes (little-endian) give the file's length n, the next n bytes
// (as many as there are) are the file, and the rest is the operations, each a
// kind byte followed by its arguments.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/virtual_window.h"
#include "render/viewer.h"
#include "tests/native/view_shapes.h"

namespace {

constexpr size_t kMaxOperations = 32;
// Frame bytes past the view that are checked for stray writes after each step.
constexpr uint64_t kCheckedMargin = 64 * 1024;

void check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
        std::abort();
    }
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint32_t word() {
        uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w |= uint32_t{byte()} << (8 * i);
        return w;
    }
    const uint8_t* take(size_t n, size_t* got) {
        *got = n < size_ - pos_ ? n : size_ - pos_;
        const uint8_t* at = data_ + pos_;
        pos_ += *got;
        return at;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A cell count: mostly window-like sizes, sometimes 0 or absurd (absurd ones
// are rare, since each fills a 64 MiB frame).
uint32_t cells(Reader& in) {
    const uint8_t pick = in.byte();
    if (pick < 0x40) return pick;
    if (pick < 0xF0) return (pick - 0x40) * 2u + in.byte() % 2;
    if (pick < 0xF8) return 0xFFFFFFFFu - (pick & 7);
    return in.word();
}

// What a window holding this view shows: the bars agree with the ranges.
void check_bar(HWND window, int bar, uint32_t doc, uint32_t view, uint32_t first,
               const char* name) {
    const VirtualScrollBar& b = virtual_scroll_bar(window, bar);
    const bool fits = doc < view;
    check(b.enabled == (fits ? 0 : 1), std::string(name) + " bar enabled when the text is longer");
    if (!fits) {
        check(b.position == (first > INT_MAX ? INT_MAX : int(first)),
              std::string(name) + " bar position is the first cell");
    }
}

char* file_path() {
    static std::string path = "/tmp/glyphora_fuzz_view_" + std::to_string(::getpid());
    return &path[0];
}

char* missing_path() {
    static char path[] = "/nonexistent/glyphora_fuzz_view";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HWND window = create_virtual_window();

    Reader in(data, size);
    const size_t wanted = in.byte() | size_t{in.byte()} << 8;
    size_t file_size = 0;
    const uint8_t* file = in.take(wanted, &file_size);
    std::FILE* f = std::fopen(file_path(), "wb");
    if (!f) return 0;
    std::fwrite(file, 1, file_size, f);
    std::fclose(f);

    // One Viewer for every run, started afresh by init, which keeps its frame:
    // a new frame per run costs more in page faults than the run's own work.
    static Viewer viewer;
    viewer.init();
    viewer.attach(GetDC(window), window);
    viewer.update_vscroll();
    viewer.update_hscroll();

    for (size_t op = 0; op < kMaxOperations && !in.empty(); ++op) {
        // Scrolls and resizes compose; marking first lets those that keep the
        // view's size be checked without composing twice. The rest are
        // composed below, as their callers in the program do.
        const uint8_t* frame_before = viewer.frame.get();
        const uint32_t width_before = viewer.frame_width, height_before = viewer.frame_height;
        view_shapes::mark_past_view(viewer, kCheckedMargin);
        bool composed = false;
        switch (in.byte() % 7) {
            case 0: viewer.open(file_path()); break;
            case 1:  // and later opens read the other way
                check(viewer.open(missing_path()) == 0, "a missing file does not open");
                viewer.document->reading ^= kStandardReading;
                break;
            case 2: viewer.set_wrap(viewer.document->wrap_enabled ? 0 : 1); break;
            case 3: {
                const uint32_t columns = cells(in);
                viewer.resize(columns, cells(in));
                composed = true;
                break;
            }
            case 4: {
                const uint32_t code = in.byte() | uint32_t{in.byte()} << 8;
                viewer.scroll_vertical(code, in.byte() & 1 ? in.word() : in.byte());
                composed = true;
                break;
            }
            case 5: {
                const uint32_t code = in.byte() | uint32_t{in.byte()} << 8;
                viewer.scroll_horizontal(code, in.byte() & 1 ? in.word() : in.byte());
                composed = true;
                break;
            }
            default: viewer.paint(0); break;
        }
        check(view_shapes::fault(viewer).empty(), view_shapes::fault(viewer));
        check_bar(window, SB_VERT, viewer.doc_rows, viewer.view_rows, viewer.top_row, "vertical");
        check_bar(window, SB_HORZ, viewer.doc_cols, viewer.view_cols, viewer.left_col,
                  "horizontal");
        const bool same_view = composed && viewer.frame.get() == frame_before &&
                               viewer.frame_width == width_before &&
                               viewer.frame_height == height_before;
        check(same_view ? view_shapes::past_view_untouched(viewer, kCheckedMargin)
                        : view_shapes::composes_inside_frame(viewer, kCheckedMargin),
              "composition stays inside the frame");
    }
    std::remove(file_path());
    return 0;
}
