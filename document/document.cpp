#include "document/document.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/ansi_decode.h"
#include "document/control_bytes.h"
#include "document/line_measure.h"
#include "document/line_wrap.h"
#include "document/standard_decode.h"

namespace {

// Never zero bytes, so every buffer pointer the Document hands out is a real
// buffer, also for an empty text.
std::unique_ptr<uint8_t[]> allocate(uint64_t bytes) {
    if (bytes > UINT32_MAX) return nullptr;
    return std::unique_ptr<uint8_t[]>(
        new (std::nothrow) uint8_t[static_cast<size_t>(std::max<uint64_t>(bytes, 1))]);
}

// Size of an open stream, or -1 when it is not a readable file: a directory
// opens on some systems but fails its first read, and some streams cannot seek.
long readable_size(std::FILE* f) {
    if (std::getc(f) == EOF && std::ferror(f)) return -1;
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

// The wrapped copy may be the text itself (see wrap). When a load replaces
// the text, the copy keeps the old buffers until the next wrap, as a copy of
// its own would stay.
void keep_wrapped_copy(Document& doc) {
    if (doc.wrapped_text == doc.text) doc.wrapped_text_store = std::move(doc.is_ansi ? doc.text_store : doc.raw_store);
    if (doc.is_ansi && doc.wrapped_attrs == doc.attrs) doc.wrapped_attrs_store = std::move(doc.attrs_store);
}

}  // namespace

Document::Document()
    : name_store(new (std::nothrow) char[kPathSize]()),
      text_store(allocate(1)),
      attrs_store(allocate(1)),
      wrapped_text_store(allocate(1)),
      wrapped_attrs_store(allocate(1)) {
    file_name = name_store.get();
    if (file_name) file_name[0] = '\0';
    text = text_store.get();
    if (text) text[0] = 0;
    attrs = attrs_store.get();
    if (attrs) attrs[0] = 0;
    // Without its one byte (no memory at start-up) the text is empty instead.
    text_length = text ? 1 : 0;
    wrapped_text = wrapped_text_store.get();
    wrapped_attrs = wrapped_attrs_store.get();
    wrapped_length = 0;
    wrapped_line_count = 0;
    wrap_column = 0;
    text_rows.describe(text, text_length);
    wrapped_rows.describe(wrapped_text, wrapped_length);
    const LineMetrics metrics = measure_lines(ByteSpan{text, text_length});
    line_count = metrics.line_count;
    max_line_width = metrics.max_line_width;
}

int32_t Document::load() {
    if (!file_name) return 0;
    file_handle = std::fopen(file_name, "rb");
    if (!file_handle) return 0;
    const long size = readable_size(file_handle);
    std::unique_ptr<uint8_t[]> new_raw;
    if (size >= 0 && static_cast<unsigned long>(size) <= kMaxFileSize) new_raw = allocate(size);
    uint32_t read = 0;
    if (new_raw) read = static_cast<uint32_t>(std::fread(new_raw.get(), 1, size, file_handle));
    std::fclose(file_handle);
    file_handle = nullptr;
    return load_bytes(std::move(new_raw), read);
}

int32_t Document::load_bytes(std::unique_ptr<uint8_t[]> new_raw, uint32_t read) {
    if (!new_raw || read > kMaxFileSize) return 0;
    // Everything new is in hand before anything old is released: a failure
    // here must leave the previous file on show.
    if (reading == kStandardReading) return load_standard(new_raw, read);
    const ByteSpan raw{new_raw.get(), read};
    if (read > 0 && raw.data[0] == kEsc && !plain_only) {
        const uint32_t blank_budget = forward_blank_budget(read);
        // First into a room a little larger than the file; only a text that
        // fills it (or a room that cannot be had) is sized exactly and
        // decoded again.
        std::unique_ptr<uint8_t[]> new_text, new_attrs;
        // The characters decoded into a room of `capacity`, or 0 without one.
        const auto decode_into = [&](uint64_t capacity) -> uint64_t {
            new_attrs.reset();  // the first room goes before the second is taken
            new_text = allocate(capacity);
            new_attrs = new_text ? allocate(capacity) : nullptr;
            if (!new_attrs) return 0;
            return ansi_decode(raw, blank_budget, new_text.get(), new_attrs.get(), static_cast<uint32_t>(capacity));
        };
        const uint64_t first = std::min<uint64_t>(ansi_first_capacity(raw, blank_budget), text_limit);
        uint64_t length = decode_into(first);
        if (!new_attrs || (length == first && first < text_limit)) {
            new_text.reset();
            length = decode_into(std::min<uint64_t>(ansi_capacity(raw, blank_budget), text_limit));
            if (!new_attrs) return 0;
        }
        text_length = static_cast<uint32_t>(length);
        keep_wrapped_copy(*this);
        text_store = std::move(new_text);
        attrs_store = std::move(new_attrs);
        text = text_store.get();
        attrs = attrs_store.get();
        is_ansi = 1;
    } else {
        // A plain file is shown as read: text is the raw buffer itself. attrs
        // stays as it was; nothing reads it while is_ansi is 0.
        keep_wrapped_copy(*this);
        text_store.reset();
        text = new_raw.get();
        text_length = std::min(read, text_limit);
        is_ansi = 0;
    }
    raw_store = std::move(new_raw);
    raw_bytes = raw_store.get();
    text_rows.describe(text, text_length);

    const LineMetrics metrics = measure_lines(ByteSpan{text, text_length});
    line_count = metrics.line_count;
    max_line_width = metrics.max_line_width;
    return 1;
}

// The art is the file before SUB and before its SAUCE record; the screen may
// hold as many cells as cursor-forward blanks may add to a file of this size
// (and no more rows than text_limit keeps), and blank no more in all.
int32_t Document::load_standard(std::unique_ptr<uint8_t[]>& new_raw, uint32_t read) {
    const ByteSpan file{new_raw.get(), read};
    const Sauce own = read_sauce(file);
    const Sauce& found = own.found || !tail_sauce.found ? own : tail_sauce;
    uint32_t art_size = own.art_size;
    if (const void* sub = std::memchr(file.data, kSubstitute, art_size))
        art_size = static_cast<uint32_t>(static_cast<const uint8_t*>(sub) - file.data);
    StandardSetup setup;
    const uint32_t wanted = columns ? columns : found.columns();
    setup.columns = wanted >= 1 && wanted <= kMaxStandardColumns ? wanted : kStandardColumns;
    setup.escapes = reads_as_ansi(file_name, file);
    setup.ice = found.ice_colours();
    setup.blank_budget = forward_blank_budget(read);
    const uint32_t stride = setup.columns + 1;
    setup.max_rows = static_cast<uint32_t>(std::min<uint64_t>(setup.blank_budget, text_limit) / stride);
    StandardText screen = standard_decode(ByteSpan{file.data, art_size}, setup);
    if (screen.failed) return 0;
    if (!screen.text) {  // nothing drawn: still a real (empty) buffer
        screen.text = allocate(1);
        screen.attrs = allocate(1);
        if (!screen.text || !screen.attrs) return 0;
    }
    keep_wrapped_copy(*this);
    text_store = std::move(screen.text);
    attrs_store = std::move(screen.attrs);
    text = text_store.get();
    attrs = attrs_store.get();
    text_length = screen.length;
    is_ansi = 1;
    raw_store = std::move(new_raw);
    raw_bytes = raw_store.get();
    text_rows.describe(text, text_length);
    // Every row ends in its line feed, and nothing else in the text ends a line.
    line_count = screen.rows;
    max_line_width = screen.rows ? stride : 1;
    screen_columns = setup.columns;
    read_as_ansi = setup.escapes ? 1 : 0;
    screen_cut = screen.cut ? 1 : 0;
    sauce = found;
    return 1;
}

void Document::wrap(uint32_t column) {
    column = std::max(column, 2u);
    wrap_column = column;
    // Sized exactly when it can be sized in 32 bits at all. Most art has
    // no row past the column: then the text is its own wrapped copy.
    uint64_t capacity = wrapped_capacity(text_length, column);
    if (capacity <= UINT32_MAX) capacity = wrapped_size(ByteSpan{text, text_length}, column);
    if (capacity == text_length) {
        wrapped_text_store.reset();
        wrapped_text = text;
        if (is_ansi) {
            wrapped_attrs_store.reset();
            wrapped_attrs = attrs;
        }
        wrapped_length = text_length;
        wrapped_line_count = line_count;
        wrapped_rows.describe(wrapped_text, wrapped_length);
        return;
    }
    std::unique_ptr<uint8_t[]> new_text = allocate(capacity);
    std::unique_ptr<uint8_t[]> new_attrs;
    if (is_ansi) new_attrs = allocate(capacity);
    if (!new_text || (is_ansi && !new_attrs)) {
        // An empty copy over the old buffers, which stay valid.
        wrapped_length = 0;
        wrapped_line_count = 0;
        wrapped_rows.describe(wrapped_text, wrapped_length);
        return;
    }
    wrapped_length = wrap_text(ByteSpan{text, text_length}, is_ansi ? attrs : nullptr, column,
                               new_text.get(), new_attrs.get(), static_cast<uint32_t>(capacity));
    wrapped_text_store = std::move(new_text);
    wrapped_text = wrapped_text_store.get();
    if (is_ansi) {
        wrapped_attrs_store = std::move(new_attrs);
        wrapped_attrs = wrapped_attrs_store.get();
    }
    wrapped_line_count = line_count + (wrapped_length - text_length);
    wrapped_rows.describe(wrapped_text, wrapped_length);
}
