// Load, decode, measure and wrap arbitrary bytes. The fast functions must
// agree with the literal reference versions and keep the Document's
// invariants; the sanitizers catch any access outside a buffer.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/ansi_decode.h"
#include "document/document.h"
#include "document/line_measure.h"
#include "document/line_scan.h"
#include "document/line_wrap.h"
#include "document/row_index.h"
#include "document/standard_decode.h"
#include "fuzz/document_reference.h"
#include "fuzz/standard_reference.h"

namespace {

// Small, so that inputs probe the blank limit without huge outputs.
constexpr uint32_t kFuzzBlankLimit = 4096;
// Inputs whose real decoded text is larger skip the trip through a file.
constexpr uint64_t kMaxLoadedText = 256u << 10;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// memcmp that accepts the null data of empty vectors.
bool same(const uint8_t* a, const uint8_t* b, size_t n) { return n == 0 || std::memcmp(a, b, n) == 0; }

std::vector<uint8_t> fast_wrap(const uint8_t* text, const uint8_t* attrs, uint32_t length,
                               uint32_t column, std::vector<uint8_t>* out_attrs) {
    const uint64_t capacity = wrapped_capacity(length, column);
    std::vector<uint8_t> out(capacity);
    out_attrs->assign(capacity, 0xEE);
    const uint32_t n = wrap_text(ByteSpan{text, length}, attrs, column, out.data(), out_attrs->data(),
                                 static_cast<uint32_t>(capacity));
    check(n <= capacity, "wrapped length within its capacity");
    out.resize(n);
    out_attrs->resize(n);
    return out;
}

// Rows of the wrapped text hold at most column - 1 bytes before their LF,
// unless a CR landed on the column and held breaks off until the next LF.
void check_rows(const std::vector<uint8_t>& wrapped, uint32_t column) {
    size_t row_start = 0;
    for (size_t i = 0; i <= wrapped.size(); ++i) {
        if (i < wrapped.size() && wrapped[i] != '\n') continue;
        const size_t row = i - row_start;
        check(row <= column - 1 || wrapped[row_start + column - 1] == '\r', "wrapped row width");
        row_start = i + 1;
    }
}

// The row and line-end search at every width, and the row index, against
// the byte-by-byte rule: a sample of rows from the top and each sampled row
// onwards by a few counts.
void check_row_search(const uint8_t* text, uint32_t length) {
    const std::vector<uint64_t> starts = reference_row_starts(text, length);
    const uint64_t rows = starts.size();
    auto start_of = [&](uint64_t row) { return row < rows ? starts[row] : length; };
    const uint64_t step = 1 + rows / 8;
    using Skip = uint64_t (*)(const uint8_t*, uint64_t, uint64_t, uint64_t);
    using Find = uint64_t (*)(const uint8_t*, uint64_t, uint64_t);
    const struct { Skip skip; Find find; } widths[] = {
#if defined(GLYPHORA_HAVE_SSE2_SCAN)
        {scan_sse2::skip_rows, scan_sse2::find_line_end},
#endif
        {scan_words64::skip_rows, scan_words64::find_line_end},
        {scan_words32::skip_rows, scan_words32::find_line_end},
    };
    RowIndex index;
    index.describe(text, length);
    for (uint64_t row = rows + 1; row-- > 0;) {
        if (row % step != 0 && row + 1 < rows) continue;
        check(find_row_start(text, length, uint32_t(row)) == start_of(row), "row start matches the reference");
        check(index.row_start(uint32_t(row)) == start_of(row), "indexed row start matches the reference");
        for (const auto& w : widths) {
            check(w.skip(text, length, 0, row) == start_of(row), "row start at every width");
            if (row < rows)
                for (uint64_t n : {uint64_t(1), uint64_t(3), uint64_t(kRowStep)})
                    check(w.skip(text, length, starts[row], n) == start_of(row + n), "rows skipped at every width");
            const uint64_t from = row < rows ? starts[row] : length;
            uint64_t end = from;
            while (end < length && text[end] != '\n' && text[end] != '\r') ++end;
            check(w.find(text, from, length) == end, "line end at every width");
        }
    }
}

void check_text(const uint8_t* text, const uint8_t* attrs, uint32_t length, uint32_t column) {
    check_row_search(text, length);
    const LineMetrics m = measure_lines(ByteSpan{text, length});
    const ReferenceMetrics ref = reference_measure(text, length);
    check(m.line_count == ref.line_count, "line count matches the reference");
    check(m.max_line_width == ref.max_line_width, "widest line matches the reference");
    check(m.max_line_width >= 1 && m.line_count <= length, "line metric bounds");

    std::vector<uint8_t> wrapped_attrs;
    const std::vector<uint8_t> wrapped = fast_wrap(text, attrs, length, column, &wrapped_attrs);
    const ReferenceText ref_wrap = reference_wrap(text, attrs, length, column);
    check(wrapped == ref_wrap.text, "wrapped text matches the reference");
    if (attrs) check(wrapped_attrs == ref_wrap.attrs, "wrapped attributes match the reference");
    check_rows(wrapped, column);
}

std::string scratch_path() {
    const char* dir = std::getenv("TMPDIR");
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (dir ? dir : "/tmp");
    return base + "/glyphora_fuzz_document_" + std::to_string(getpid()) + ".ans";
}

void remove_scratch() { std::remove(scratch_path().c_str()); }

void check_load(const uint8_t* data, size_t size) {
    static Document doc;
    static const std::string path = scratch_path();
    static const bool registered = std::atexit(remove_scratch) == 0;
    (void)registered;

    // A load that fails must leave everything in place.
    const uint8_t* text_before = doc.text;
    const uint32_t length_before = doc.text_length;
    std::snprintf(doc.file_name, kPathSize, "%s.missing", path.c_str());
    check(doc.load() == 0, "missing file is not loaded");
    check(doc.text == text_before && doc.text_length == length_before, "failed load keeps the text");

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return;
    doc.plain_only = size % 5 == 4;
    std::snprintf(doc.file_name, kPathSize, "%s", path.c_str());
    check(doc.load() == 1, "written file loads");
    check(same(doc.raw_bytes, data, size), "raw bytes are the file");
    const bool ansi = size > 0 && data[0] == 0x1B && !doc.plain_only;
    check(doc.is_ansi == ansi, "first byte and plain_only choose the decoding");
    if (ansi) {
        const ReferenceText ref = reference_decode(data, size, forward_blank_budget(size));
        check(doc.text_length == ref.text.size(), "loaded text length");
        check(same(doc.text, ref.text.data(), ref.text.size()), "loaded text");
        check(same(doc.attrs, ref.attrs.data(), ref.attrs.size()), "loaded attributes");
    } else {
        check(doc.text == doc.raw_bytes && doc.text_length == size, "plain text is the raw buffer");
    }
    const ReferenceMetrics ref = reference_measure(doc.text, doc.text_length);
    check(doc.line_count == ref.line_count && doc.max_line_width == ref.max_line_width,
          "loaded line metrics");

    doc.wrap(kWrapColumn);
    check(doc.wrap_column == kWrapColumn, "wrap column recorded");
    check(doc.text_rows.describes(doc.text, doc.text_length) &&
              doc.wrapped_rows.describes(doc.wrapped_text, doc.wrapped_length),
          "row indexes follow the texts");
    check(doc.wrapped_length >= doc.text_length, "wrapping only adds bytes");
    check(doc.wrapped_line_count == doc.line_count + (doc.wrapped_length - doc.text_length),
          "wrapped line count is line count plus breaks");
    const ReferenceText ref_wrap = reference_wrap(doc.text, ansi ? doc.attrs : nullptr, doc.text_length, kWrapColumn);
    check(doc.wrapped_length == ref_wrap.text.size() &&
              same(doc.wrapped_text, ref_wrap.text.data(), ref_wrap.text.size()),
          "wrapped copy matches the reference");
    check(!ansi || same(doc.wrapped_attrs, ref_wrap.attrs.data(), ref_wrap.attrs.size()),
          "wrapped attributes match the reference");
}

// The standard reading: the decoder against the plain model, on a screen
// whose width, escapes and iCE flag the input picks; and a load in that
// reading, whose rows must be what the line measure finds.
void check_standard(const uint8_t* data, size_t size) {
    StandardSetup setup;
    setup.columns = 1 + (size > 1 ? data[1] % 160 : 0);
    setup.escapes = size % 3 != 2;
    setup.ice = size % 2 == 1;
    setup.blank_budget = 1u << 16;
    setup.max_rows = static_cast<uint32_t>(setup.blank_budget / (setup.columns + 1));
    const StandardText screen = standard_decode(ByteSpan{data, static_cast<uint32_t>(size)}, setup);
    check(!screen.failed, "the screen has its memory");
    check(screen.length == uint64_t(screen.rows) * (setup.columns + 1) && screen.length <= setup.blank_budget,
          "the screen's text is its rows, within its bound");
    for (uint32_t r = 0; r < screen.rows; ++r)
        check(screen.text[uint64_t(r) * (setup.columns + 1) + setup.columns] == kLineFeed, "each row ends in LF");
    if (!screen.cut) {
        const ReferenceScreen ref = reference_standard(data, size, setup.columns, setup.escapes, setup.ice);
        check(ref.rows == screen.rows, "screen rows match the model");
        check(same(screen.text.get(), ref.text.data(), ref.text.size()), "screen text matches the model");
        check(same(screen.attrs.get(), ref.attrs.data(), ref.attrs.size()), "screen attributes match the model");
    }

    static Document doc;
    doc.reading = kStandardReading;
    doc.columns = size % 4 == 0 ? 0 : setup.columns;
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size + 1]);
    if (size) std::memcpy(bytes.get(), data, size);
    check(doc.load_bytes(std::move(bytes), static_cast<uint32_t>(size)) == 1, "a standard load succeeds");
    const ReferenceMetrics m = reference_measure(doc.text, doc.text_length);
    check(doc.line_count == m.line_count && doc.max_line_width == m.max_line_width, "standard line metrics");
    check(doc.text_length <= forward_blank_budget(size), "the standard screen within its bound");
    doc.wrap(kWrapColumn);
    check(doc.wrapped_line_count == doc.line_count + (doc.wrapped_length - doc.text_length),
          "standard wrapped line count");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    const ByteSpan raw{data, static_cast<uint32_t>(size)};
    const uint32_t column = 2 + (size > 0 ? data[size - 1] % 100 : 0);

    // Plain text: the bytes as they are.
    check_text(data, nullptr, raw.size, kWrapColumn);

    // ANSI text under a small blank limit.
    const uint64_t capacity = ansi_capacity(raw, kFuzzBlankLimit);
    check(capacity <= uint64_t(raw.size) + kFuzzBlankLimit, "decoding room bound");
    std::vector<uint8_t> text(capacity), attrs(capacity);
    const uint32_t n = ansi_decode(raw, kFuzzBlankLimit, text.data(), attrs.data(),
                                   static_cast<uint32_t>(capacity));
    const ReferenceText ref = reference_decode(data, size, kFuzzBlankLimit);
    check(ref.text.size() <= capacity, "decoding room covers the whole text");
    text.resize(n);
    attrs.resize(n);
    check(text == ref.text, "decoded text matches the reference");
    check(attrs == ref.attrs, "decoded attributes match the reference");
    // The same with the search in words, as the 32-bit program runs it.
    std::vector<uint8_t> words(capacity), words_attrs(capacity);
    const uint32_t words_n = ansi_decode_words(raw, kFuzzBlankLimit, words.data(), words_attrs.data(),
                                               static_cast<uint32_t>(capacity));
    check(words_n == n && same(words.data(), text.data(), n) && same(words_attrs.data(), attrs.data(), n),
          "decoding in words matches");
    // Into the first room load tries: the same text, or a full room.
    const uint64_t first = ansi_first_capacity(raw, kFuzzBlankLimit);
    std::vector<uint8_t> tried(first), tried_attrs(first);
    const uint32_t tried_n = ansi_decode(raw, kFuzzBlankLimit, tried.data(), tried_attrs.data(),
                                         static_cast<uint32_t>(first));
    check(tried_n == first ? n >= first : tried_n == n && same(tried.data(), text.data(), n),
          "the first room holds the whole text or is full");
    for (uint8_t a : attrs) check((a & 0x80) == 0, "attribute bit 7 clear");
    check_text(text.data(), attrs.data(), n, column);

    if (ansi_capacity(raw, forward_blank_budget(size)) <= kMaxLoadedText) check_load(data, size);
    check_standard(data, size);
    return 0;
}
