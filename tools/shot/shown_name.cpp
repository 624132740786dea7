#include "tools/shot/shown_name.h"

#include <cstdint>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at s[0], or 0: shortest forms only, no
// surrogates, nothing past U+10FFFF.
size_t utf8_length(std::string_view s) {
    const uint8_t b0 = uint8_t(s[0]);
    size_t n;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) n = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        const uint8_t b = uint8_t(s[i]);
        if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
    }
    return n;
}

void put_hex(std::string& out, uint8_t b) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02x", b);
    out += buf;
}

}  // namespace

std::string shown_name(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const uint8_t b = uint8_t(name[i]);
        if (b == 0x1B) {
            out += "\\e";
            ++i;
        } else if (b == '\\') {
            out += "\\\\";
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            put_hex(out, b);
            ++i;
        } else if (b < 0x80) {
            out += char(b);
            ++i;
        } else {
            const size_t n = utf8_length(name.substr(i));
            // U+0080..U+009F are C1 controls: a terminal may act on them too.
            const bool c1 = n == 2 && b == 0xC2 && uint8_t(name[i + 1]) <= 0x9F;
            if (n == 0 || c1) {
                for (size_t k = 0; k < (n ? n : 1); ++k) put_hex(out, uint8_t(name[i + k]));
                i += n ? n : 1;
            } else {
                out.append(name.substr(i, n));
                i += n;
            }
        }
    }
    return out;
}
