#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "document/document.h"
#include "tests/native/document_bytes.h"

namespace {

class DocumentLoad : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& name : written) std::remove(name.c_str());
    }

    std::string temp_name(const std::string& suffix) {
        const std::string name = ::testing::TempDir() + "glyphora_doc_" + std::to_string(::getpid()) +
                                 "_" + std::to_string(written.size()) + suffix;
        written.push_back(name);
        return name;
    }

    std::string write_file(const std::string& bytes) {
        const std::string name = temp_name(".ans");
        std::FILE* f = std::fopen(name.c_str(), "wb");
        EXPECT_NE(f, nullptr) << name;
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return name;
    }

    int32_t load(const std::string& path) {
        std::snprintf(doc.file_name, kPathSize, "%s", path.c_str());
        return doc.load();
    }

    int32_t load_bytes(const std::string& bytes) { return load(write_file(bytes)); }

    std::string text() const { return as_string(doc.text, doc.text_length); }
    std::vector<uint8_t> attrs() const { return as_vector(doc.attrs, doc.text_length); }
    std::string wrapped() const { return as_string(doc.wrapped_text, doc.wrapped_length); }

    Document doc;
    std::vector<std::string> written;
};

// Everything a viewer reads from a Document, to compare before and after.
struct Snapshot {
    explicit Snapshot(const Document& d)
        : text(as_string(d.text, d.text_length)),
          attrs(d.is_ansi ? as_vector(d.attrs, d.text_length) : std::vector<uint8_t>()),
          text_ptr(d.text), raw_ptr(d.raw_bytes), attrs_ptr(d.attrs),
          is_ansi(d.is_ansi), line_count(d.line_count), max_line_width(d.max_line_width) {}
    bool operator==(const Snapshot& o) const {
        return text == o.text && attrs == o.attrs && text_ptr == o.text_ptr && raw_ptr == o.raw_ptr &&
               attrs_ptr == o.attrs_ptr && is_ansi == o.is_ansi && line_count == o.line_count &&
               max_line_width == o.max_line_width;
    }
    std::string text;
    std::vector<uint8_t> attrs;
    const uint8_t* text_ptr;
    const uint8_t* raw_ptr;
    const uint8_t* attrs_ptr;
    int32_t is_ansi;
    uint32_t line_count, max_line_width;
};

TEST_F(DocumentLoad, StartsAsOneZeroByteWithAnEmptyWrappedCopy) {
    ASSERT_NE(doc.file_name, nullptr);
    EXPECT_EQ(doc.file_name[0], '\0');
    EXPECT_EQ(doc.file_handle, nullptr);
    EXPECT_EQ(doc.wrap_enabled, 0);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(doc.plain_only, 0);
    EXPECT_EQ(doc.raw_bytes, nullptr);
    ASSERT_NE(doc.text, nullptr);
    EXPECT_EQ(doc.text_length, 1u);
    EXPECT_EQ(doc.text[0], 0);
    ASSERT_NE(doc.attrs, nullptr);
    EXPECT_EQ(doc.attrs[0], 0);
    EXPECT_NE(doc.wrapped_text, nullptr);
    EXPECT_NE(doc.wrapped_attrs, nullptr);
    EXPECT_EQ(doc.wrapped_length, 0u);
    EXPECT_EQ(doc.wrapped_line_count, 0u);
    EXPECT_EQ(doc.wrap_column, 0u);
    EXPECT_EQ(doc.line_count, 0u);
    EXPECT_EQ(doc.max_line_width, 2u);
}

TEST_F(DocumentLoad, PlainFileIsShownFromTheReadBuffer) {
    ASSERT_EQ(load_bytes("abc\r\nde"), 1);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(doc.text, doc.raw_bytes);
    EXPECT_EQ(text(), "abc\r\nde");
    EXPECT_EQ(doc.line_count, 1u);
    EXPECT_EQ(doc.max_line_width, 4u);
    EXPECT_EQ(doc.file_handle, nullptr);
}

TEST_F(DocumentLoad, EmptyFileIsPlainWithWidthOne) {
    ASSERT_EQ(load_bytes(""), 1);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(doc.text_length, 0u);
    EXPECT_NE(doc.text, nullptr);
    EXPECT_EQ(doc.line_count, 0u);
    EXPECT_EQ(doc.max_line_width, 1u);
}

TEST_F(DocumentLoad, FileStartingWithEscIsDecoded) {
    const std::string raw = "\x1b[1;31mA\x1b[3C\x1b[44mB\r\nC";
    ASSERT_EQ(load_bytes(raw), 1);
    EXPECT_EQ(doc.is_ansi, 1);
    EXPECT_NE(doc.text, doc.raw_bytes);
    EXPECT_EQ(as_string(doc.raw_bytes, static_cast<uint32_t>(raw.size())), raw);
    EXPECT_EQ(text(), "A   B\r\nC");
    EXPECT_EQ(attrs(), (std::vector<uint8_t>{65, 65, 65, 65, 97, 97, 97, 97}));
    EXPECT_EQ(doc.line_count, 1u);
    EXPECT_EQ(doc.max_line_width, 6u);
}

TEST_F(DocumentLoad, SingleEscByteIsAnEmptyAnsiText) {
    ASSERT_EQ(load_bytes("\x1b"), 1);
    EXPECT_EQ(doc.is_ansi, 1);
    EXPECT_EQ(doc.text_length, 0u);
    EXPECT_NE(doc.text, nullptr);
    EXPECT_NE(doc.attrs, nullptr);
    EXPECT_EQ(doc.max_line_width, 1u);
}

TEST_F(DocumentLoad, OnlyTheFirstByteChoosesAnsi) {
    ASSERT_EQ(load_bytes("A\x1b[31mB"), 1);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(text(), "A\x1b[31mB");
}

TEST_F(DocumentLoad, PlainOnlyNeverDecodes) {
    doc.plain_only = 1;
    ASSERT_EQ(load_bytes("\x1b[31mB"), 1);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(doc.text, doc.raw_bytes);
    EXPECT_EQ(text(), "\x1b[31mB");
}

TEST_F(DocumentLoad, PlainAfterAnsiAndAnsiAfterPlain) {
    ASSERT_EQ(load_bytes("\x1b[32mgreen\n"), 1);
    ASSERT_EQ(doc.is_ansi, 1);
    ASSERT_EQ(load_bytes("plain"), 1);
    EXPECT_EQ(doc.is_ansi, 0);
    EXPECT_EQ(doc.text, doc.raw_bytes);
    EXPECT_EQ(text(), "plain");
    EXPECT_EQ(doc.line_count, 0u);
    ASSERT_EQ(load_bytes("\x1b[33mX"), 1);
    EXPECT_EQ(doc.is_ansi, 1);
    EXPECT_EQ(text(), "X");
    EXPECT_EQ(attrs(), std::vector<uint8_t>{3});
}

TEST_F(DocumentLoad, UnloadablePathsChangeNothing) {
    ASSERT_EQ(load_bytes("\x1b[35mkeep\r\nme"), 1);
    const Snapshot before(doc);
    EXPECT_EQ(load(temp_name(".missing")), 0) << "missing file";
    EXPECT_TRUE(Snapshot(doc) == before);
    EXPECT_EQ(load(""), 0) << "empty path";
    EXPECT_TRUE(Snapshot(doc) == before);
    EXPECT_EQ(load(::testing::TempDir()), 0) << "directory";
    EXPECT_TRUE(Snapshot(doc) == before);
    EXPECT_EQ(doc.file_handle, nullptr);
}

TEST_F(DocumentLoad, StreamWithoutSizeChangesNothing) {
    ASSERT_EQ(load_bytes("\x1b[31mbefore"), 1);
    const Snapshot before(doc);
    // A pipe opens and reads but cannot seek, so its size is unknown.
    const std::string name = temp_name(".fifo");
    ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    std::thread writer([&name] {
        const int fd = ::open(name.c_str(), O_WRONLY);
        if (fd >= 0) {
            const ssize_t written = ::write(fd, "\x1b[32mpiped", 10);
            (void)written;
            ::close(fd);
        }
    });
    EXPECT_EQ(load(name), 0);
    writer.join();
    EXPECT_TRUE(Snapshot(doc) == before);
    EXPECT_EQ(doc.file_handle, nullptr);
}

TEST_F(DocumentLoad, TooLargeFileChangesNothing) {
    ASSERT_EQ(load_bytes("plain before"), 1);
    const Snapshot before(doc);
    // A sparse file: its size is past the limit, yet it takes no disk space.
    const std::string name = temp_name(".big");
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(kMaxFileSize + 1)), 0);
    std::fclose(f);
    EXPECT_EQ(load(name), 0);
    EXPECT_TRUE(Snapshot(doc) == before);
}

TEST_F(DocumentLoad, CursorForwardBlanksAreCappedPerDocument) {
    ASSERT_EQ(load_bytes("\x1b[40000000C\x1b[40000000CZ\x1b[5CY"), 1);
    ASSERT_EQ(doc.text_length, kMaxForwardBlanks + 2);
    EXPECT_EQ(doc.text[kMaxForwardBlanks - 1], ' ');
    EXPECT_EQ(doc.text[kMaxForwardBlanks], 'Z');
    EXPECT_EQ(doc.text[kMaxForwardBlanks + 1], 'Y');
}

class DocumentWrap : public DocumentLoad {};

TEST_F(DocumentWrap, WrapsTheConstructedText) {
    doc.wrap(kWrapColumn);
    EXPECT_EQ(doc.wrap_column, kWrapColumn);
    EXPECT_EQ(wrapped(), std::string(1, '\0'));
    EXPECT_EQ(doc.wrapped_line_count, 0u);
}

TEST_F(DocumentWrap, PlainTextKeepsItsWrappedAttributes) {
    const uint8_t* attrs_before = doc.wrapped_attrs;
    ASSERT_EQ(load_bytes(std::string(100, 'p') + "\r\n" + std::string(170, 'q')), 1);
    doc.wrap(kWrapColumn);
    EXPECT_EQ(doc.wrapped_attrs, attrs_before);
    EXPECT_EQ(doc.wrapped_length, doc.text_length + 3);
    EXPECT_EQ(doc.line_count, 1u);
    EXPECT_EQ(doc.wrapped_line_count, 4u);
}

TEST_F(DocumentWrap, AnsiTextWrapsItsAttributes) {
    ASSERT_EQ(load_bytes("\x1b[36m" + std::string(82, 'c') + "\n"), 1);
    doc.wrap(kWrapColumn);
    ASSERT_EQ(wrapped(), std::string(80, 'c') + "\ncc\n");
    std::vector<uint8_t> expected(84, 6);
    expected[80] = 0;
    EXPECT_EQ(as_vector(doc.wrapped_attrs, doc.wrapped_length), expected);
    EXPECT_EQ(doc.wrapped_line_count, 2u);
}

TEST_F(DocumentWrap, FailedLoadLeavesTheWrappedCopyToRewrap) {
    ASSERT_EQ(load_bytes(std::string(90, 'w')), 1);
    doc.wrap(kWrapColumn);
    const std::string before = wrapped();
    EXPECT_EQ(load(temp_name(".missing")), 0);
    doc.wrap(kWrapColumn);
    EXPECT_EQ(wrapped(), before);
}

TEST_F(DocumentWrap, SizePastThirtyTwoBitsLeavesAnEmptyCopy) {
    ASSERT_EQ(load_bytes("\x1b[31mshort"), 1);
    doc.wrap(kWrapColumn);
    const uint8_t* text_before = doc.wrapped_text;
    // A text length whose wrapped size cannot be counted in 32 bits; the
    // wrap must give up before reading any of it.
    const uint32_t real_length = doc.text_length;
    doc.text_length = 0xFFFFFFFEu;
    doc.wrap(2);
    doc.text_length = real_length;
    EXPECT_EQ(doc.wrapped_length, 0u);
    EXPECT_EQ(doc.wrapped_line_count, 0u);
    EXPECT_EQ(doc.wrapped_text, text_before);
    EXPECT_NE(doc.wrapped_attrs, nullptr);
}

}  // namespace
