// ShotView's open of a named file or standard input: apart from the rest, so
// the page's build, which has no files, takes the view without it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

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

// The bytes a read of the file would give, out of ones already in memory:
// at most `limit` of them, as read_input reads a file.
bool take_given(InputBytes& given, uint64_t limit, InputBytes& input) {
    if (given.size <= limit) {
        input = std::move(given);
        return true;
    }
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
    // A read that stops short of the end misses the record there: taken from
    // the member's own end, or the file's.
    Sauce& tail = viewer->document->tail_sauce;
    if (given && reading == kStandardReading && given->size > limit.bytes && given->size >= kSauceRecordSize)
        tail = read_sauce(ByteSpan{given->bytes.get() + given->size - kSauceRecordSize, kSauceRecordSize});
    const bool got = given ? take_given(*given, limit.bytes, input) : read_input(file, limit.bytes, input, reason, rules);
    if (got && !given && reading == kStandardReading && input.size == limit.bytes) tail = tail_sauce(file);
    if (!got || !viewer->open_bytes(std::move(input.bytes), input.size)) {
        error = "cannot open " + (given ? file : shown_name(file)) + ": " + (reason.empty() ? "out of memory" : reason);
        return false;
    }
    if (wrap) viewer->set_wrap(1);
    return true;
}
