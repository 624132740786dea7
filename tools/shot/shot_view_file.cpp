// ShotView's open of a named file or standard input: apart from the rest, so
// the page's build, which has no files, takes the view without it.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/output_file.h"
#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_view.h"
#include "tools/shot/shown_name.h"

namespace {

// The bytes a read of the file would give, out of ones already in memory:
// at most `limit` of them, with the record at their end, as read_input
// reads a file.
bool take_given(InputBytes& given, uint64_t limit, InputBytes& input) {
    if (given.size <= limit) {
        input = std::move(given);
        return true;
    }
    if (given.size >= kSauceRecordSize)
        input.end_sauce = read_sauce(ByteSpan{given.bytes.get() + given.size - kSauceRecordSize, kSauceRecordSize});
    const uint32_t size = static_cast<uint32_t>(limit);
    input.bytes.reset(new (std::nothrow) uint8_t[std::max<uint32_t>(size, 1)]);
    if (!input.bytes) return false;
    std::memcpy(input.bytes.get(), given.bytes.get(), size);
    input.size = size;
    given = InputBytes();
    return true;
}

}  // namespace

bool ShotView::open(const std::string& file, const CellSize* size, bool wrap, std::string& error,
                    const InputLimit& limit, InputBytes* given) {
    name = is_standard_stream(file) && !given ? std::string() : file;
    if (!start(size, limit)) {
        error = "out of memory";
        return false;
    }
    InputBytes input;
    std::string reason;
    InputRules rules;
    rules.only_files = limit.only_files;
    const bool got = given ? take_given(*given, limit.bytes, input) : read_input(file, limit.bytes, input, reason, rules);
    // A read that stops short of the end misses the record there.
    viewer->document->tail_sauce = input.end_sauce;
    if (!got || !viewer->open_bytes(std::move(input.bytes), input.size)) {
        error = "cannot open " + (given ? file : shown_name(file)) + ": " + (reason.empty() ? "out of memory" : reason);
        return false;
    }
    if (wrap) viewer->set_wrap(1);
    return true;
}
