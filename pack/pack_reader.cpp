#include "pack/pack_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pack/zip_names.h"

namespace {

using Source = PackReader::Source;

constexpr uint64_t kLocalHeaderBytes = 30;
constexpr uint8_t kLocalSignature[] = {'P', 'K', 3, 4};

uint64_t little_endian(const uint8_t* p, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// Reads at the source's own position (pread for a file), so readers of one
// file in several threads never share an offset.
int64_t read_at(Source& s, uint8_t* into, uint64_t size) {
    uint64_t done = 0;
    while (done < size && s.position < s.size) {
        const uint64_t want = std::min(size - done, s.size - s.position);
        ssize_t got;
        if (s.data) {
            std::memcpy(into + done, s.data + s.position, size_t(want));
            got = ssize_t(want);
        } else {
            got = pread(s.fd, into + done, size_t(std::min<uint64_t>(want, 1u << 30)), off_t(s.position));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                s.error_number = errno;
                return -1;
            }
            if (got == 0) break;
        }
        done += uint64_t(got);
        s.position += uint64_t(got);
    }
    return int64_t(done);
}

// A member's local header, read as libzip opens the member: its place, and
// where its data starts after the header's name and extra field.
void note_local_header(Source& s, const uint8_t* header, uint64_t got) {
    s.watch = false;
    s.header_start = s.position - got;
    s.data_start = s.header_start;
    if (got < kLocalHeaderBytes || std::memcmp(header, kLocalSignature, sizeof kLocalSignature) != 0) return;
    s.data_start += kLocalHeaderBytes + little_endian(header + 26, 2) + little_endian(header + 28, 2);
}

zip_int64_t source_callback(void* context, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    Source& s = *static_cast<Source*>(context);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            s.position = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const int64_t got = read_at(s, static_cast<uint8_t*>(data), length);
            if (got > 0 && s.watch) note_local_header(s, static_cast<uint8_t*>(data), uint64_t(got));
            return got;
        }
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_STAT: {
            zip_stat_t* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = s.size;
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR: {
            zip_error_t error;
            zip_error_init_with_code(&error, ZIP_ER_READ);
            error.sys_err = s.error_number;
            const zip_int64_t n = zip_error_to_data(&error, data, length);
            zip_error_fini(&error);
            return n;
        }
        case ZIP_SOURCE_SEEK: {
            zip_error_t error;
            zip_error_init(&error);
            const zip_int64_t at = zip_source_seek_compute_offset(s.position, s.size, data, length, &error);
            zip_error_fini(&error);
            if (at < 0) return -1;
            s.position = uint64_t(at);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return zip_int64_t(s.position);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                                  ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
        default:
            return -1;
    }
}

constexpr uint8_t kEndSignature[] = {'P', 'K', 5, 6};
constexpr uint8_t kEnd64Signature[] = {'P', 'K', 6, 6};
constexpr uint8_t kLocator64Signature[] = {'P', 'K', 6, 7};
constexpr uint64_t kEndRecordBytes = 22;
constexpr uint64_t kLocator64Bytes = 20;
constexpr uint64_t kEnd64RecordBytes = 56;
constexpr uint64_t kMaxCommentBytes = 0xFFFF;

const char kNotAZip[] = "not a ZIP pack, or its directory is cut short or lies outside it";

bool fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

// The size of the directory a ZIP64 end record (found through its locator
// just before `end_at`) states, or `stated` when there is none.
uint64_t directory_bytes64(Source& s, uint64_t end_at, uint64_t stated) {
    uint8_t locator[kLocator64Bytes], record[kEnd64RecordBytes];
    if (end_at < kLocator64Bytes) return stated;
    s.position = end_at - kLocator64Bytes;
    if (read_at(s, locator, sizeof locator) != int64_t(sizeof locator) ||
        std::memcmp(locator, kLocator64Signature, 4) != 0)
        return stated;
    s.position = little_endian(locator + 8, 8);
    if (read_at(s, record, sizeof record) != int64_t(sizeof record) || std::memcmp(record, kEnd64Signature, 4) != 0)
        return stated;
    return little_endian(record + 40, 8);
}

// The size of the directory the end record states: the earliest record
// within reach of the end whose comment ends exactly where the file does (a
// comment may hold what looks like a later record; libzip weighs every one
// it finds and keeps the one whose directory reads). 0 when none fits.
uint64_t stated_directory_bytes(Source& s) {
    const uint64_t reach = std::min(s.size, kEndRecordBytes + kMaxCommentBytes);
    std::vector<uint8_t> tail(size_t(reach), 0);
    s.position = s.size - reach;
    if (read_at(s, tail.data(), reach) != int64_t(reach)) return 0;
    for (uint64_t at = 0; at + kEndRecordBytes <= reach; ++at) {
        const uint8_t* end = &tail[size_t(at)];
        if (std::memcmp(end, kEndSignature, sizeof kEndSignature) != 0) continue;
        if (at + kEndRecordBytes + little_endian(end + 20, 2) != reach) continue;
        const uint64_t stated = little_endian(end + 12, 4);
        return stated == 0xFFFFFFFF ? directory_bytes64(s, s.size - reach + at, stated) : stated;
    }
    return 0;
}

// A member's bytes in the pack, its local header included; `member` indexes
// the art members, kNotArt another member's.
struct Span {
    uint64_t start, end;
    size_t member;
};
constexpr size_t kNotArt = SIZE_MAX;

// Marks every art member whose bytes share one with another member's: a pack
// whose members overlap is a ZIP bomb (each inflates the same small data) or
// damaged, and neither is art to show.
void mark_overlaps(std::vector<Span>& spans, std::vector<PackMember>& art) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    uint64_t reach = 0;
    size_t holder = kNotArt;
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span& s = spans[i];
        if (i > 0 && s.start < reach) {
            for (const size_t m : {s.member, holder})
                if (m != kNotArt && art[m].problem.empty()) art[m].problem = "corrupt";
        }
        if (i == 0 || s.end > reach) {
            reach = s.end;
            holder = s.member;
        }
    }
}

long read_raw(void* file, uint8_t* into, unsigned room) {
    const zip_int64_t got = zip_fread(static_cast<zip_file_t*>(file), into, room);
    return got < 0 ? -1 : long(got);
}

}  // namespace

PackReader::~PackReader() {
    if (zip_) zip_discard(static_cast<zip_t*>(zip_));
    if (source.fd >= 0) close(source.fd);
}

bool PackReader::open_source(std::string& error) {
    // libzip takes an empty file for a new, empty archive; a pack has at
    // least its end record.
    if (source.size < kEndRecordBytes) return fail(error, kNotAZip);
    const uint64_t directory = stated_directory_bytes(source);
    source.position = 0;
    if (directory > kMaxDirectoryBytes)
        return fail(error, "its directory takes " + std::to_string(directory) + " bytes, more than " +
                               std::to_string(kMaxDirectoryBytes >> 20) + " MiB");
    zip_error_t problem;
    zip_error_init(&problem);
    zip_source_t* src = zip_source_function_create(source_callback, &source, &problem);
    zip_t* zip = src ? zip_open_from_source(src, ZIP_RDONLY, &problem) : nullptr;
    if (!zip) {
        if (src) zip_source_free(src);
        const int code = zip_error_code_zip(&problem);
        error = code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS ? kNotAZip : zip_error_strerror(&problem);
        zip_error_fini(&problem);
        return false;
    }
    zip_error_fini(&problem);
    zip_ = zip;
    return true;
}

bool PackReader::open_file(const std::string& path, std::string& error) {
    source.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source.fd < 0) return fail(error, std::strerror(errno));
    struct stat st {};
    if (fstat(source.fd, &st) != 0) return fail(error, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return fail(error, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode)) return fail(error, "not a file: a pack is read from a file");
    source.size = uint64_t(st.st_size);
    return open_source(error);
}

bool PackReader::open_memory(const uint8_t* data, uint64_t size, std::string& error) {
    static const uint8_t kNothing = 0;
    source.data = data ? data : &kNothing;
    source.size = data ? size : 0;
    return open_source(error);
}

bool PackReader::list_art(std::vector<PackMember>& art, std::string& error) {
    art.clear();
    zip_t* zip = static_cast<zip_t*>(zip_);
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0) return fail(error, kNotAZip);
    std::vector<Span> spans;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        zip_stat_t st;
        const char* raw = zip_get_name(zip, i, ZIP_FL_ENC_RAW);
        const char* strict = zip_get_name(zip, i, ZIP_FL_ENC_STRICT);
        if (!raw || !strict || zip_stat_index(zip, i, ZIP_FL_ENC_RAW, &st) != 0)
            return fail(error, "its directory is damaged at entry " + std::to_string(i + 1));
        // libzip turns CP437 into UTF-8 strictly, so the name it leaves as it
        // is was marked UTF-8 (or is ASCII, the same either way).
        const std::string_view raw_name(raw);
        const std::string path = zip_name_utf8(raw_name, raw_name == strict);
        const bool art_member = is_art_name(path);
        PackMember m;
        const uint32_t flags = st.encryption_method != ZIP_EM_NONE ? kZipEncryptedFlag : 0;
        m.problem = member_refusal(flags, st.comp_method, st.size);
        m.size = st.size;
        m.compressed_size = st.comp_size;
        m.crc = st.crc;
        m.method = st.comp_method;
        m.index = i;
        // Where its bytes lie, from its local header as libzip opens it raw:
        // for the overlap test, over every member, art or not.
        source.watch = true;
        zip_file_t* file = zip_fopen_index(zip, i, ZIP_FL_COMPRESSED);
        const bool seen = file && !source.watch;
        source.watch = false;
        // An empty member may be opened without its header being read: it
        // has no bytes to share with another.
        const bool empty = file && m.compressed_size == 0;
        if (file) zip_fclose(file);
        if (seen) {
            const uint64_t end = source.data_start + std::min(m.compressed_size, UINT64_MAX - source.data_start);
            spans.push_back(Span{source.header_start, end, art_member ? art.size() : kNotArt});
        } else if (m.problem.empty() && !empty) {
            m.problem = "corrupt";
        }
        if (art_member) {
            m.path = path;
            art.push_back(std::move(m));
        }
    }
    mark_overlaps(spans, art);
    // Stable: members of one path keep the directory's order.
    std::stable_sort(art.begin(), art.end(), [](const PackMember& a, const PackMember& b) { return a.path < b.path; });
    return true;
}

bool PackReader::read(const PackMember& member, PackBytes& out, std::string& reason) {
    out = PackBytes();
    if (!member.problem.empty()) return fail(reason, member.problem);
    zip_file_t* file = zip_fopen_index(static_cast<zip_t*>(zip_), member.index, ZIP_FL_COMPRESSED);
    if (!file) return fail(reason, "corrupt");
    const bool ok = unpack_member(member.method, member.size, member.crc, read_raw, file, out, reason);
    zip_fclose(file);
    return ok;
}
