// ShotView's open of a named file or standard input: apart from the rest, so
// the page's build, which has no files, takes the view without it.
#include "platform/output_file.h"
#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/shown_name.h"

bool ShotView::open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
                    const InputLimit& limit) {
    name = is_standard_stream(file) ? std::string() : file;
    InputBytes input;
    std::string reason;
    InputRules rules;
    rules.only_files = limit.only_files;
    if (!read_input(file, limit.bytes, input, reason, rules) || !open_bytes(input, size, wrap, limit)) {
        error = "cannot open " + shown_name(file) + ": " + (reason.empty() ? "out of memory" : reason);
        return false;
    }
    return true;
}
