// ShotView's open of a named file or standard input: apart from the rest, so
// the page's build, which has no files, takes the view without it.
#include <cstdio>

#include "platform/output_file.h"
#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/shown_name.h"

namespace {

// The SAUCE record at the end of a named file, for a read that stops before
// its end; found false when there is none or it cannot be read.
Sauce tail_sauce(const std::string& file) {
    uint8_t record[kSauceRecordSize];
    std::FILE* f = is_standard_stream(file) ? nullptr : std::fopen(file.c_str(), "rb");
    if (!f) return Sauce();
    const bool read = std::fseek(f, -long(kSauceRecordSize), SEEK_END) == 0 &&
                      std::fread(record, 1, sizeof record, f) == sizeof record;
    std::fclose(f);
    return read ? read_sauce(ByteSpan{record, sizeof record}) : Sauce();
}

}  // namespace

bool ShotView::open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
                    const InputLimit& limit) {
    name = is_standard_stream(file) ? std::string() : file;
    if (!start(size, limit)) {
        error = "out of memory";
        return false;
    }
    InputBytes input;
    std::string reason;
    InputRules rules;
    rules.only_files = limit.only_files;
    const bool got = read_input(file, limit.bytes, input, reason, rules);
    if (got && reading == kStandardReading && input.size == limit.bytes)
        viewer->document->tail_sauce = tail_sauce(file);
    if (!got || !viewer->open_bytes(std::move(input.bytes), input.size)) {
        error = "cannot open " + shown_name(file) + ": " + (reason.empty() ? "out of memory" : reason);
        return false;
    }
    if (wrap) viewer->set_wrap(1);
    return true;
}
