// The line scan at every width it runs at, and the row index built on it,
// against the byte-by-byte rule: a line ends at LF, or at CR with the byte
// after it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/line_scan.h"
#include "document/row_index.h"
#include "tests/native/allocation_failure.h"

namespace {

constexpr uint8_t kLf = 10, kCr = 13;

struct ScanWidth {
    const char* name;
    uint64_t (*skip_rows)(const uint8_t*, uint64_t, uint64_t, uint64_t);
    uint64_t (*find_line_end)(const uint8_t*, uint64_t, uint64_t);
};

const ScanWidth kWidths[] = {
    {"widest", skip_rows, find_line_end},
#if defined(GLYPHORA_HAVE_SSE2_SCAN)
    {"sse2", scan_sse2::skip_rows, scan_sse2::find_line_end},
#endif
    {"words64", scan_words64::skip_rows, scan_words64::find_line_end},
    {"words32", scan_words32::skip_rows, scan_words32::find_line_end},
};

// Heap bytes exactly as long as the text, so that ASan catches a read past it.
struct Text {
    explicit Text(const std::string& s) : length(s.size()), bytes(new uint8_t[std::max<size_t>(s.size(), 1)]) {
        std::memcpy(bytes.get(), s.data(), s.size());
    }
    uint64_t length;
    std::unique_ptr<uint8_t[]> bytes;
};

// Where each row starts, byte by byte: row 0 at 0, then after every line end.
std::vector<uint64_t> reference_row_starts(const std::string& text) {
    std::vector<uint64_t> starts = {0};
    for (uint64_t pos = 0; pos < text.size();) {
        const uint8_t ch = uint8_t(text[pos]);
        pos += ch == kCr ? 2 : 1;
        if (ch == kLf || ch == kCr) starts.push_back(std::min<uint64_t>(pos, text.size()));
    }
    return starts;
}

// Bytes with a random share of LF and CR; without `cr_runs` a CR is never
// followed by another, which is what lets the scan count whole chunks at once.
std::string random_text(std::mt19937& rng, size_t max_length, bool cr_runs) {
    std::uniform_int_distribution<int> pick(0, 99), any_byte(0, 255);
    const int lf_share = pick(rng) / 4;  // from no line ends at all to many
    const int cr_share = pick(rng) % 3 == 0 ? pick(rng) / 8 : 0;
    std::string text(std::uniform_int_distribution<size_t>(0, max_length)(rng), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const bool after_cr = i > 0 && text[i - 1] == char(kCr);
        char c = char(pick(rng) < lf_share ? kLf : pick(rng) < cr_share ? kCr : any_byte(rng));
        if (!cr_runs && after_cr && c == char(kCr)) c = char(kLf);
        text[i] = c;
    }
    return text;
}

// Lines of `period` bytes ending in `end`, after `shift` bytes of lead-in: as
// the shift runs over the period, a line end lands on and across every block,
// chunk and word edge, CR LF split across each.
std::string periodic_text(size_t period, size_t shift, const std::string& end, size_t length) {
    std::string text(shift, 'a');
    while (text.size() < length) text += std::string(period - end.size(), 'x') + end;
    return text;
}

// Every row from the start, from each row start onwards by several counts,
// and the line end from many positions; every width against the reference.
void expect_scans_agree(const std::string& s, const std::string& what) {
    const Text t(s);
    const std::vector<uint64_t> starts = reference_row_starts(s);
    const uint64_t rows = starts.size();
    auto start_of = [&](uint64_t row) { return row < rows ? starts[row] : t.length; };
    std::vector<uint64_t> next_end(t.length + 1, t.length);  // the first LF or CR at or after each position
    for (uint64_t pos = t.length; pos-- > 0;)
        next_end[pos] = s[pos] == char(kLf) || s[pos] == char(kCr) ? pos : next_end[pos + 1];
    EXPECT_EQ(find_row_start(t.bytes.get(), t.length, 0xFFFFFFFFu), t.length) << what;
    const uint64_t row_step = 1 + rows / 256, from_step = 1 + rows / 64;
    for (uint64_t row = 0; row <= rows + 1; row += row_step)
        ASSERT_EQ(find_row_start(t.bytes.get(), t.length, uint32_t(row)), start_of(row)) << what << " row " << row;
    for (const ScanWidth& w : kWidths) {
        for (uint64_t row = 0; row <= rows + 1; row += row_step)
            ASSERT_EQ(w.skip_rows(t.bytes.get(), t.length, 0, row), start_of(row)) << w.name << " " << what << " row " << row;
        for (uint64_t from = 0; from < rows; from += from_step)
            for (uint64_t n : {uint64_t(1), uint64_t(2), uint64_t(13), uint64_t(kRowStep), rows - from, rows})
                ASSERT_EQ(w.skip_rows(t.bytes.get(), t.length, starts[from], n), start_of(from + n))
                    << w.name << " " << what << " from row " << from << " by " << n;
        for (uint64_t pos = 0; pos <= t.length; pos += 1 + pos / 9)
            ASSERT_EQ(w.find_line_end(t.bytes.get(), pos, t.length), next_end[pos]) << w.name << " " << what << " from " << pos;
    }
}

TEST(LineScan, EveryWidthAgreesWithByteByByteRuleOnRandomTexts) {
    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        const bool cr_runs = round % 2 == 0;
        const std::string text = random_text(rng, round % 10 == 0 ? 9000 : 400, cr_runs);
        expect_scans_agree(text, "round " + std::to_string(round) + (cr_runs ? "" : " without CR CR"));
    }
}

TEST(LineScan, EveryWidthAgreesWithLineEndsOnEveryEdge) {
    const struct { size_t period; std::string end; } lines[] = {
        {80, "\r\n"}, {33, "\r\n"}, {81, "\n"}, {65, "\rx"}, {7, "\r\n"}, {3, "\r\n"}, {2, "\r\n"}, {1, "\n"},
        {1100, "\r\r\n"},  // an LF whose CR before it was taken by another CR
    };
    for (const auto& l : lines)
        for (size_t shift = 0; shift < std::max<size_t>(l.period, 2); ++shift)
            expect_scans_agree(periodic_text(l.period, shift, l.end, 3 * 1024 + 200),
                               "period " + std::to_string(l.period) + " shift " + std::to_string(shift));
}

// A few thousand rows of varied length, so the index holds several entries.
// With `lf_only`, every row ends in LF or CR LF and holds at most 70 bytes.
std::string many_rows(std::mt19937& rng, size_t rows, bool lf_only = false) {
    static const char* const kEnds[] = {"\n", "\r\n", "\r\r", "\rx", "\n\r"};
    std::string text;
    for (size_t r = 0; r < rows; ++r) {
        text += std::string(std::uniform_int_distribution<size_t>(0, lf_only ? 70 : 90)(rng), 'q');
        text += kEnds[rng() % (rng() % 3 == 0 && !lf_only ? 5 : 2)];
    }
    return text;
}

// Rows asked for in any order, deep ones first, past the end and far past it:
// the same as the walk from the start, while the index stays small.
TEST(RowIndex, AnswersAsTheWalkFromTheStartInAnyOrder) {
    std::mt19937 rng(1024);
    for (int round = 0; round < 40; ++round) {
        const std::string s = round % 4 == 3 ? random_text(rng, 300000, round % 8 == 3) : many_rows(rng, 1000 + rng() % 6000);
        const Text t(s);
        const std::vector<uint64_t> starts = reference_row_starts(s);
        RowIndex index;
        index.describe(t.bytes.get(), uint32_t(t.length));
        std::vector<uint32_t> asked = {5};  // a shallow row first: the entries grow from one
        for (int i = 0; i < 60; ++i) asked.push_back(uint32_t(rng() % (starts.size() + 3000)));
        asked.insert(asked.end(), {uint32_t(starts.size() - 1), 0, kRowStep, kRowStep - 1, 0xFFFFFFFFu});
        for (uint32_t row : asked)
            ASSERT_EQ(index.row_start(row), row < starts.size() ? starts[row] : t.length) << "round " << round << " row " << row;
        EXPECT_LE(uint64_t(index.capacity) * 4, t.length / 256 + 64) << "round " << round;
    }
}

TEST(RowIndex, WithoutMemoryItStillAnswers) {
    std::mt19937 rng(5);
    const std::string s = many_rows(rng, 40000);
    const Text t(s);
    const std::vector<uint64_t> starts = reference_row_starts(s);
    ASSERT_GT(starts.size(), 36 * kRowStep);
    for (uint32_t succeed : {0u, 1u}) {
        RowIndex index;
        index.describe(t.bytes.get(), uint32_t(t.length));
        {
            // None at all, or a first few entries and no room to grow.
            AllocationFailure failure(succeed);
            for (uint32_t row : {10u, 3 * kRowStep + 5, 30 * kRowStep + 1, 100000u})
                EXPECT_EQ(index.row_start(row), row < starts.size() ? starts[row] : t.length) << succeed << " " << row;
        }
        // The growth refused above is asked for again.
        EXPECT_EQ(index.row_start(35 * kRowStep + 1), starts[35 * kRowStep + 1]);
        EXPECT_EQ(index.known, 36u);
    }
}

// Everything that replaces a Document's texts (a load, a wrap, a wrap without
// memory) leaves each index describing the text it names, and a failed load
// leaves both as they were.
TEST(RowIndex, FollowsEveryReplacementOfTheDocumentsTexts) {
    const std::string path = ::testing::TempDir() + "glyphora_rows_" + std::to_string(::getpid()) + ".ans";
    Document doc;
    auto expect_indexed = [&](const char* what) {
        ASSERT_TRUE(doc.text_rows.describes(doc.text, doc.text_length)) << what;
        ASSERT_TRUE(doc.wrapped_rows.describes(doc.wrapped_text, doc.wrapped_length)) << what;
        const std::string text(doc.text, doc.text + doc.text_length);
        const std::string wrapped(doc.wrapped_text, doc.wrapped_text + doc.wrapped_length);
        const std::vector<uint64_t> starts = reference_row_starts(text), wrapped_starts = reference_row_starts(wrapped);
        for (uint32_t row : {uint32_t(starts.size() - 1), 0u, 2 * kRowStep + 3, kRowStep, 5000u, 0xFFFFFFFFu}) {
            EXPECT_EQ(doc.text_rows.row_start(row), row < starts.size() ? starts[row] : text.size()) << what << row;
            EXPECT_EQ(doc.wrapped_rows.row_start(row), row < wrapped_starts.size() ? wrapped_starts[row] : wrapped.size())
                << what << " wrapped " << row;
        }
    };
    expect_indexed("fresh");
    std::mt19937 rng(12);
    for (int round = 0; round < 8; ++round) {
        // Rows that fit the column make the text its own wrapped copy.
        const bool narrow = round % 4 < 2;
        std::string bytes = many_rows(rng, 3000 + rng() % 3000, narrow);
        for (size_t i = 0; i < bytes.size() && !narrow; i += 1 + rng() % 300) bytes.insert(i, std::string(rng() % 200, 'w'));
        if (round % 2) bytes = "\x1b[1;3" + std::to_string(round) + "m" + bytes;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(bytes.data(), 1, bytes.size(), f), std::fclose(f);
        std::snprintf(doc.file_name, kPathSize, "%s", path.c_str());
        ASSERT_EQ(doc.load(), 1);
        expect_indexed("loaded");  // the wrapped copy of the previous file, still indexed as it is
        doc.wrap(kWrapColumn);
        EXPECT_EQ(doc.wrapped_text == doc.text, narrow) << round;
        expect_indexed("wrapped");
        std::snprintf(doc.file_name, kPathSize, "%s.missing", path.c_str());
        ASSERT_EQ(doc.load(), 0);
        expect_indexed("after a failed load");
    }
    {
        AllocationFailure failure;
        doc.wrap(40);
    }
    EXPECT_EQ(doc.wrapped_length, 0u);
    expect_indexed("wrap without memory");
    std::remove(path.c_str());
}

}  // namespace
