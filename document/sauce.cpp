#include "document/sauce.h"

#include <cstring>

namespace {

constexpr char kSauceMark[] = "SAUCE00";
constexpr char kCommentMark[] = "COMNT";
constexpr uint32_t kMarkSize = 5;
constexpr uint8_t kCharacterData = 1;
constexpr uint8_t kBinaryTextData = 5;
constexpr uint8_t kXBinData = 6;
constexpr uint8_t kIceFlag = 0x01;

// Character file types whose TInfo1 is a width in characters: ASCII, ANSi,
// ANSiMation, PCBoard, Avatar and TundraDraw (RIP's is in pixels).
constexpr bool has_character_width(uint8_t file_type) {
    return file_type == 0 || file_type == 1 || file_type == 2 || file_type == 4 || file_type == 5 ||
           file_type == 8;
}

template <size_t N>
void copy_field(char (&out)[N], const uint8_t* field) {
    uint32_t n = N - 1;
    std::memcpy(out, field, n);
    out[n] = '\0';
    // A NUL ends a field early; blanks pad it.
    n = static_cast<uint32_t>(std::strlen(out));
    while (n > 0 && out[n - 1] == ' ') out[--n] = '\0';
}

uint16_t little16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

uint32_t Sauce::columns() const {
    return found && data_type == kCharacterData && has_character_width(file_type) ? tinfo1 : 0;
}

bool Sauce::ice_colours() const {
    if (!found || !(flags & kIceFlag)) return false;
    return (data_type == kCharacterData && file_type <= 2) || data_type == kBinaryTextData || data_type == kXBinData;
}

Sauce read_sauce(ByteSpan file) {
    Sauce sauce;
    sauce.art_size = file.size;
    if (file.size < kSauceRecordSize) return sauce;
    const uint32_t at = file.size - kSauceRecordSize;
    const uint8_t* r = file.data + at;
    if (std::memcmp(r, kSauceMark, sizeof kSauceMark - 1) != 0) return sauce;
    sauce.found = true;
    copy_field(sauce.title, r + 7);
    copy_field(sauce.author, r + 42);
    copy_field(sauce.group, r + 62);
    copy_field(sauce.date, r + 82);
    sauce.data_type = r[94];
    sauce.file_type = r[95];
    sauce.tinfo1 = little16(r + 96);
    sauce.comment_lines = r[104];
    sauce.flags = r[105];
    copy_field(sauce.font, r + 106);
    sauce.art_size = at;
    // The comment block counts only where its mark stands.
    const uint64_t block = kMarkSize + uint64_t(sauce.comment_lines) * kSauceCommentLineSize;
    if (sauce.comment_lines > 0 && block <= at &&
        std::memcmp(file.data + at - block, kCommentMark, kMarkSize) == 0)
        sauce.art_size = static_cast<uint32_t>(at - block);
    return sauce;
}
