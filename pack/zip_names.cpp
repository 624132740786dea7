#include "pack/zip_names.h"

#include <array>

#include "document/file_extension.h"

namespace {

// Code page 437's upper half; its lower half is ASCII.
constexpr std::array<uint16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr uint32_t kReplacement = 0xFFFD;

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The decoder browsers use (TextDecoder): a sequence that breaks off becomes
// one U+FFFD and the byte that broke it is read again, so both readers of a
// pack name its members alike.
std::string decode_utf8(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    uint32_t cp = 0, needed = 0, seen = 0;
    uint8_t lower = 0x80, upper = 0xBF;
    for (size_t i = 0; i < raw.size();) {
        const uint8_t b = uint8_t(raw[i]);
        if (needed == 0) {
            ++i;
            if (b < 0x80) { out += char(b); continue; }
            if (b >= 0xC2 && b <= 0xDF) { needed = 1; cp = b & 0x1F; }
            else if (b >= 0xE0 && b <= 0xEF) {
                if (b == 0xE0) lower = 0xA0;
                if (b == 0xED) upper = 0x9F;
                needed = 2; cp = b & 0x0F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                if (b == 0xF0) lower = 0x90;
                if (b == 0xF4) upper = 0x8F;
                needed = 3; cp = b & 0x07;
            } else {
                append_utf8(out, kReplacement);
            }
            continue;
        }
        if (b < lower || b > upper) {
            cp = needed = seen = 0;
            lower = 0x80, upper = 0xBF;
            append_utf8(out, kReplacement);
            continue;  // this byte starts afresh
        }
        ++i;
        lower = 0x80, upper = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        if (++seen == needed) {
            append_utf8(out, cp);
            cp = needed = seen = 0;
        }
    }
    if (needed != 0) append_utf8(out, kReplacement);
    return out;
}

constexpr std::string_view kArtExtensions[] = {".ans", ".asc", ".nfo", ".diz", ".txt", ".ice"};

}  // namespace

std::string zip_name_utf8(std::string_view raw, bool utf8) {
    if (utf8) return decode_utf8(raw);
    std::string out;
    out.reserve(raw.size());
    for (const char c : raw) {
        const uint8_t b = uint8_t(c);
        append_utf8(out, b < 0x80 ? b : kCp437High[b - 0x80]);
    }
    return out;
}

std::string_view member_file_name(std::string_view path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool is_art_name(std::string_view path) {
    const std::string_view name = member_file_name(path);
    for (const std::string_view ext : kArtExtensions)
        if (has_extension(name, ext)) return true;
    return false;
}
