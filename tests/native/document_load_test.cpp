#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "tests/native/allocation_failure.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DocumentLoad : public ::testing::Test {
protected:
    void TearDown() override { for (const std::string& name : written) std::remove(name.c_str()); }
    std::string temp_name(const char* suffix) {
        written.push_back(::testing::TempDir() + "glyphora_doc_" + std::to_string(::getpid()) + "_" +
                          std::to_string(written.size()) + suffix);
        return written.back();
    }
    int32_t load(const std::string& path) { std::snprintf(doc.file_name, kPathSize, "%s", path.c_str()); return doc.load(); }
    int32_t load_bytes(const std::string& bytes) {
        const std::string name = temp_name(".ans");
        std::FILE* f = std::fopen(name.c_str(), "wb");
        if (f) std::fwrite(bytes.data(), 1, bytes.size(), f), std::fclose(f);
        return load(name);
    }
    std::string text() const { return std::string(doc.text, doc.text + doc.text_length); }
    Bytes attrs() const { return doc.is_ansi ? Bytes(doc.attrs, doc.attrs + doc.text_length) : Bytes(); }
    std::string wrapped() const { return std::string(doc.wrapped_text, doc.wrapped_text + doc.wrapped_length); }
    Document doc;
    std::vector<std::string> written;
};

TEST_F(DocumentLoad, StartsAsOneZeroByteWithAnEmptyWrappedCopy) {
    EXPECT_EQ(std::make_tuple(doc.file_name[0], doc.raw_bytes, doc.is_ansi, doc.text_length, doc.text[0], doc.attrs[0]),
              std::make_tuple('\0', nullptr, 0, 1u, 0, 0));
    EXPECT_EQ(std::make_tuple(doc.line_count, doc.max_line_width, doc.wrapped_length), std::make_tuple(0u, 2u, 0u));
    doc.wrap(kWrapColumn);
    EXPECT_EQ(std::make_tuple(wrapped(), doc.wrapped_line_count), std::make_tuple(std::string(1, '\0'), 0u));
}

TEST_F(DocumentLoad, FirstByteEscChoosesDecoding) {
    const struct { const char* what; std::string bytes, text; int32_t plain_only, is_ansi; Bytes attrs;
                   uint32_t line_count, max_line_width; } cases[] = {
        {"plain", "abc\r\nde", "abc\r\nde", 0, 0, {}, 1, 4},
        {"empty", "", "", 0, 0, {}, 0, 1},
        {"ANSI after plain", "\x1b[1;31mA\x1b[3C\x1b[44mB\r\nC", "A   B\r\nC", 0, 1, {65, 65, 65, 65, 97, 97, 97, 97}, 1, 6},
        {"single ESC", "\x1b", "", 0, 1, {}, 0, 1},
        {"plain after ANSI, ESC later", "A\x1b[31mB", "A\x1b[31mB", 0, 0, {}, 0, 8},
        {"plain_only", "\x1b[31mB", "\x1b[31mB", 1, 0, {}, 0, 7},
    };
    for (const auto& c : cases) {  // one Document loads the rows in turn
        SCOPED_TRACE(c.what);
        doc.plain_only = c.plain_only;
        ASSERT_EQ(load_bytes(c.bytes), 1);
        EXPECT_EQ(std::make_tuple(doc.is_ansi, text(), attrs(), doc.line_count, doc.max_line_width),
                  std::make_tuple(c.is_ansi, c.text, c.attrs, c.line_count, c.max_line_width));
        EXPECT_EQ(std::string(doc.raw_bytes, doc.raw_bytes + c.bytes.size()), c.bytes);
        EXPECT_TRUE(doc.text && !doc.file_handle && (c.is_ansi ? doc.text != doc.raw_bytes && doc.attrs : doc.text == doc.raw_bytes));
    }
}

TEST_F(DocumentLoad, UnloadablePathsChangeNothing) {
    ASSERT_EQ(load_bytes("\x1b[35mkeep\r\nme"), 1);
    const auto snapshot = [this] {  // everything a viewer reads from the Document
        return std::make_tuple(text(), attrs(), doc.text, doc.raw_bytes, doc.attrs, doc.is_ansi, doc.line_count,
                               doc.max_line_width, doc.file_handle);
    };
    const auto before = snapshot();
    const std::string big = temp_name(".big"), fifo = temp_name(".fifo");
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0600);  // sparse: takes no disk space
    ASSERT_EQ(::ftruncate(fd, off_t(kMaxFileSize + 1)), 0);
    ::close(fd);
    // A pipe opens and reads but cannot seek, so its size is unknown.
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&fifo] { const int w = ::open(fifo.c_str(), O_WRONLY); (void)!::write(w, "\x1bpipe", 5), ::close(w); });
    for (const std::string& path : {temp_name(".missing"), std::string(), ::testing::TempDir(), big, fifo}) {
        EXPECT_TRUE(load(path) == 0 && snapshot() == before) << "'" << path << "'";
    }
    writer.join();
}

TEST_F(DocumentLoad, AFailedAllocationChangesNothing) {
    ASSERT_EQ(load_bytes("plain\nkeep"), 1);
    const auto snapshot = [this] { return std::make_tuple(text(), doc.text, doc.raw_bytes, doc.is_ansi, doc.line_count); };
    const auto before = snapshot();
    // Raw bytes, then decoded text, then attributes: each in turn fails.
    for (uint32_t succeed : {0u, 1u, 2u}) {
        AllocationFailure failure(succeed);
        EXPECT_TRUE(load_bytes("\x1b[31mansi\x1b[9Cart\n") == 0 && snapshot() == before) << succeed;
    }
}

TEST_F(DocumentLoad, CursorForwardBlanksAreBoundedByTheFileSize) {
    const struct { uint64_t file_size; uint32_t budget; } rule[] = {
        {0, kMinForwardBlanks},  {20, kMinForwardBlanks}, {16384, kMinForwardBlanks},
        {16385, kMinForwardBlanks + kBlanksPerFileByte},  {(1u << 20) - 1, kMaxForwardBlanks - kBlanksPerFileByte},
        {1u << 20, kMaxForwardBlanks}, {kMaxFileSize, kMaxForwardBlanks},
    };
    for (const auto& r : rule) EXPECT_EQ(forward_blank_budget(r.file_size), r.budget) << r.file_size;

    // The sequence that reaches the budget is cut to it and later ones add
    // nothing; the characters around them stay.
    const struct { std::string head, tail; uint32_t budget; } files[] = {
        {"\x1b[2147483647C", "", kMinForwardBlanks},  // 19 bytes
        {"\x1b[2000000000C\x1b[2000000000C", std::string(20000, '.'), 20032 * kBlanksPerFileByte},  // 26 + 6 + 20000 bytes
        {"\x1b[40000000C\x1b[40000000C", std::string(1u << 20, '.'), kMaxForwardBlanks},
    };
    for (const auto& f : files) {
        ASSERT_EQ(load_bytes(f.head + "Z\x1b[5CY" + f.tail), 1);
        ASSERT_EQ(doc.text_length, f.budget + 2 + f.tail.size());
        EXPECT_EQ(std::string(doc.text + f.budget - 1, doc.text + f.budget + 2), " ZY");
    }
}

TEST_F(DocumentLoad, WrapKeepsPlainAttributesAndWrapsAnsiOnes) {
    const uint8_t* attrs_before = doc.wrapped_attrs;
    ASSERT_EQ(load_bytes(std::string(16000, 'p')), 1);
    doc.wrap(kWrapColumn);
    EXPECT_EQ(std::make_tuple(doc.wrapped_attrs, doc.wrapped_length, doc.wrapped_line_count),
              std::make_tuple(attrs_before, 16199u, 199u));
    ASSERT_EQ(load_bytes("\x1b[36m" + std::string(82, 'c') + "\n"), 1);
    doc.wrap(kWrapColumn);
    ASSERT_EQ(std::make_tuple(wrapped(), doc.wrapped_line_count), std::make_tuple(std::string(80, 'c') + "\ncc\n", 2u));
    EXPECT_EQ(std::string(doc.wrapped_attrs, doc.wrapped_attrs + 84), std::string(80, '\6') + '\0' + std::string(3, '\6'));

    // A wrapped size past 32 bits: an empty copy over valid buffers, no text read.
    const uint8_t* text_before = doc.wrapped_text;
    const uint32_t real_length = doc.text_length;
    doc.text_length = 0xFFFFFFFEu;
    doc.wrap(2);
    doc.text_length = real_length;
    EXPECT_EQ(std::make_tuple(doc.wrapped_length, doc.wrapped_line_count, doc.wrapped_text), std::make_tuple(0u, 0u, text_before));
    EXPECT_NE(doc.wrapped_attrs, nullptr);
}

// Bytes in memory load as the same bytes in a file would, and a text limit
// keeps the start of the text, however it was decoded.
TEST_F(DocumentLoad, BytesInMemoryLoadAsAFileAndTheTextLimitKeepsItsStart) {
    const std::string files[] = {"plain\r\ntext", "\x1b[1;33mA\x1b[2000000000CB\n\x1b[44mC", "", "\x1b[31m"};
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ASSERT_EQ(load_bytes(file), 1);
        const std::string from_file = text();
        const Bytes attrs_from_file = attrs();
        const uint32_t lines = doc.line_count, widest = doc.max_line_width;
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[file.size() + 1]);
        std::copy(file.begin(), file.end(), bytes.get());
        ASSERT_EQ(doc.load_bytes(std::move(bytes), static_cast<uint32_t>(file.size())), 1);
        EXPECT_EQ(std::make_tuple(text(), attrs(), doc.line_count, doc.max_line_width),
                  std::make_tuple(from_file, attrs_from_file, lines, widest));
        for (uint32_t limit : {0u, 1u, 3u, 6u, 1000u}) {
            doc.text_limit = limit;
            ASSERT_EQ(load_bytes(file), 1);
            const size_t kept = std::min<size_t>(limit, from_file.size());
            EXPECT_EQ(text(), from_file.substr(0, kept)) << limit;
            EXPECT_EQ(attrs(), doc.is_ansi ? Bytes(attrs_from_file.begin(), attrs_from_file.begin() + kept) : Bytes());
        }
        doc.text_limit = UINT32_MAX;
    }
    EXPECT_EQ(doc.load_bytes(nullptr, 0), 0);
}

}  // namespace
