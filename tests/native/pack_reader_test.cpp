// The pack reader: names, the art test, the reasons a member is refused, the
// unpacking of its bytes, and every test pack against what its maker says
// pack_list must print.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>

#include "pack/member_bytes.h"
#include "pack/pack_reader.h"
#include "pack/zip_names.h"
#include "pack_support.h"

namespace {

using namespace shot_support;
using namespace pack_support;

TEST(PackNames, Cp437AndUtf8) {
    const struct {
        const char* raw;
        bool utf8;
        const char* shown;
    } cases[] = {
        {"b\x84r.ans", false, "b\u00e4r.ans"},
        {"\xb0\xb1\xb2\xdb.nfo", false, "\u2591\u2592\u2593\u2588.nfo"},
        {"\x80\xff", false, "\u00c7\u00a0"},
        {"plain/ascii.txt", false, "plain/ascii.txt"},
        {"\xc5\xbc\xc3\xb3\xc5\x82w.asc", true, "\u017c\u00f3\u0142w.asc"},
        {"b\x84r.ans", true, "b\ufffdr.ans"},             // a lone continuation byte
        {"\xe2\x82.ans", true, "\ufffd.ans"},             // a sequence cut short: one U+FFFD
        {"\xe0\x80.ans", true, "\ufffd\ufffd.ans"},       // overlong: the second byte read again
        {"\xed\xa0\x80", true, "\ufffd\ufffd\ufffd"},     // a surrogate
        {"\xf4\x90\x80\x80", true, "\ufffd\ufffd\ufffd\ufffd"},  // past U+10FFFF
        {"\xf0\x9f\x8e\xa8", true, "\U0001F3A8"},
        {"cut\xf0\x9f", true, "cut\ufffd"},
    };
    for (const auto& c : cases) EXPECT_EQ(zip_name_utf8(c.raw, c.utf8), c.shown) << c.raw;
}

TEST(PackNames, ArtMembersAndFileNames) {
    const struct {
        const char* path;
        bool art;
        const char* file;
    } cases[] = {
        {"piece.ans", true, "piece.ans"},   {"DIR/PIECE.ANS", true, "PIECE.ANS"},
        {"a\\b\\info.Nfo", true, "info.Nfo"}, {"file_id.diz", true, "file_id.diz"},
        {"x.TXT", true, "x.TXT"},           {"logo.ice", true, "logo.ice"},
        {"keys.asc", true, "keys.asc"},     {".ans", true, ".ans"},
        {"piece.ansi", false, "piece.ansi"}, {"folder.ans/", false, ""},
        {"pack.zip", false, "pack.zip"},    {"ans", false, "ans"},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(is_art_name(c.path), c.art) << c.path;
        EXPECT_EQ(member_file_name(c.path), c.file) << c.path;
    }
}

TEST(PackMembers, RefusedByTheirDirectoryEntry) {
    const uint64_t limit = kMaxMemberSize;
    const struct {
        uint32_t flags, method;
        uint64_t size;
        const char* reason;
    } cases[] = {
        {0, 0, 10, ""},
        {0, 8, limit, ""},
        {0, 8, limit + 1, "larger than 64 MiB"},
        {0, 8, UINT64_MAX, "larger than 64 MiB"},
        {1, 8, 10, "encrypted"},
        {1, 6, limit + 1, "encrypted"},
        {0, 1, 10, "unsupported method: shrink (1)"},
        {0, 2, 10, "unsupported method: reduce (2)"},
        {0, 5, 10, "unsupported method: reduce (5)"},
        {0, 6, limit + 1, "unsupported method: implode (6)"},
        {0, 9, 10, "unsupported method 9"},
        {0, 12, 10, "unsupported method 12"},
        {0, 99, 10, "unsupported method 99"},
        {8, 8, 10, ""},  // a data descriptor is no problem
    };
    for (const auto& c : cases) EXPECT_EQ(member_refusal(c.flags, c.method, c.size), c.reason) << c.method;
}

// Raw bytes handed out in pieces of `step`, as a member's reader would.
struct RawFeed {
    std::string bytes;
    size_t at = 0, step = 7;
    bool fails = false;
};

long feed(void* context, uint8_t* into, unsigned room) {
    RawFeed& f = *static_cast<RawFeed*>(context);
    const size_t n = std::min<size_t>({room, f.step, f.bytes.size() - f.at});
    if (n == 0) return f.fails ? -1 : 0;
    std::memcpy(into, f.bytes.data() + f.at, n);
    f.at += n;
    return long(n);
}

std::string deflated(const std::string& data, int flush = Z_FINISH) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = uInt(out.size());
    deflate(&z, flush);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

uint32_t crc_of(const std::string& data) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

TEST(PackMembers, UnpackedOnlyToTheirDeclaredSize) {
    const std::string art = coloured_art(90, 40), zeros(1 << 20, '\0');
    std::string broken = deflated(art);
    broken[0] = char(0xFF);  // a block of the reserved type
    const struct {
        const char* name;
        uint32_t method;
        std::string raw;
        uint64_t size;
        uint32_t crc;
        bool fails;
        std::string reason;  // "" when the bytes come out whole
    } cases[] = {
        {"stored", 0, art, art.size(), crc_of(art), false, ""},
        {"deflated", 8, deflated(art), art.size(), crc_of(art), false, ""},
        {"empty deflated", 8, deflated(""), 0, 0, false, ""},
        {"empty stored", 0, "", 0, 0, false, ""},
        {"stored, runs on", 0, art, 100, crc_of(art.substr(0, 100)), false, "corrupt at byte 100"},
        {"stored, cut short", 0, art.substr(0, 50), art.size(), crc_of(art), false, "corrupt"},
        {"a bomb", 8, deflated(zeros), 4096, crc_of(zeros.substr(0, 4096)), false, "corrupt at byte 4096"},
        {"never ends", 8, deflated(art, Z_SYNC_FLUSH), art.size() + 10, crc_of(art), false, "corrupt"},
        {"ends early", 8, deflated(art), art.size() + 1, crc_of(art), false, "corrupt"},
        {"broken", 8, broken, art.size(), crc_of(art), false, "corrupt"},
        {"unreadable", 8, deflated(art).substr(0, 20), art.size(), crc_of(art), true, "corrupt"},
        {"bad CRC", 8, deflated(art), art.size(), crc_of(art) ^ 1, false, "bad CRC"},
        {"bad CRC, stored", 0, art, art.size(), crc_of(art) + 1, false, "bad CRC"},
    };
    for (const auto& c : cases) {
        for (const size_t step : {size_t(1), size_t(7), size_t(1) << 20}) {
            RawFeed f{c.raw, 0, step, c.fails};
            PackBytes out;
            std::string reason;
            const bool ok = unpack_member(c.method, c.size, c.crc, feed, &f, out, reason);
            const std::string& expected = c.reason;
            if (expected.empty()) {
                ASSERT_TRUE(ok) << c.name << ": " << reason;
                ASSERT_EQ(out.size, c.size) << c.name;
                EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.bytes.get()), out.size),
                          c.method == 0 ? c.raw : (c.size ? art : "")) << c.name;
            } else {
                EXPECT_FALSE(ok) << c.name;
                EXPECT_EQ(reason, expected) << c.name << " step " << step << ": " << reason;
                EXPECT_FALSE(out.bytes) << c.name;
            }
        }
    }
}

TEST(PackList, EveryTestPackAsItsMakerSays) {
    TempFiles files;
    const std::string dir = test_packs();
    const char* packs[] = {"real", "escaping", "methods", "bombs", "overlap", "zip64",
                           "comment", "many", "long_names", "truncated", "outside"};
    for (const char* pack : packs) {
        const std::string zip = dir + "/" + pack + ".zip";
        const ToolRun r = run_command(files, "timeout 30 " + shell_quoted(built_program("pack_list")) + " " + shell_quoted(zip));
        const std::string expected = slurp(dir + "/" + pack + ".expected");
        if (expected == "error\n") {
            EXPECT_EQ(r.code, 1) << pack;
            EXPECT_EQ(r.out.rfind("error\t", 0), 0u) << pack << ": " << r.out;
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << pack;
        } else {
            EXPECT_EQ(r.code, 0) << pack << ": " << r.err;
            EXPECT_TRUE(r.out == expected) << pack << ":\n" << r.out.substr(0, 2000) << "\nexpected:\n"
                                           << expected.substr(0, 2000);
        }
    }
}

TEST(PackList, APackInMemoryReadsAsTheFile) {
    const std::string dir = test_packs();
    for (const char* pack : {"real", "methods", "overlap", "zip64", "comment", "outside"}) {
        const std::string bytes = slurp(dir + "/" + pack + ".zip");
        PackReader from_file, from_memory;
        std::vector<PackMember> file_art, memory_art;
        std::string file_error, memory_error;
        const bool file_ok = from_file.open_file(dir + "/" + pack + ".zip", file_error) &&
                             from_file.list_art(file_art, file_error);
        const bool memory_ok = from_memory.open_memory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                       bytes.size(), memory_error) &&
                               from_memory.list_art(memory_art, memory_error);
        ASSERT_EQ(file_ok, memory_ok) << pack;
        EXPECT_EQ(file_error, memory_error) << pack;
        ASSERT_EQ(file_art.size(), memory_art.size()) << pack;
        for (size_t i = 0; i < file_art.size(); ++i) {
            EXPECT_EQ(file_art[i].path, memory_art[i].path);
            PackBytes a, b;
            std::string why_a, why_b;
            EXPECT_EQ(from_file.read(file_art[i], a, why_a), from_memory.read(memory_art[i], b, why_b));
            EXPECT_EQ(why_a, why_b) << file_art[i].path;
            EXPECT_TRUE(a.size == b.size && (a.size == 0 || !std::memcmp(a.bytes.get(), b.bytes.get(), a.size)));
        }
    }
}

TEST(PackList, ADirectoryLargerThanTheLimitIsRefusedUnread) {
    // An end record alone, claiming a directory of 16 MiB and a byte.
    std::string end = std::string("PK\x05\x06", 4) + std::string(6, '\0');
    end += std::string("\x01\x00", 2);
    const uint32_t claimed = uint32_t(kMaxDirectoryBytes + 1);
    for (int i = 0; i < 4; ++i) end += char(claimed >> (8 * i));
    end += std::string(6, '\0');
    PackReader pack;
    std::string error;
    EXPECT_FALSE(pack.open_memory(reinterpret_cast<const uint8_t*>(end.data()), end.size(), error));
    EXPECT_EQ(error, "its directory takes 16777217 bytes, more than 16 MiB");
    PackReader nothing;
    EXPECT_FALSE(nothing.open_memory(nullptr, 0, error));
    EXPECT_EQ(error, "not a ZIP pack, or its directory is cut short or lies outside it");
}

}  // namespace
