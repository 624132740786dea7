#pragma once
// Whether a file's name ends in an extension, in any case (".ANS" is ".ans"):
// which reading a file takes, which files are packs and which members art.
#include <string_view>

// `extension` in lower case, with its dot.
inline bool has_extension(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) return false;
    const std::string_view tail = name.substr(name.size() - extension.size());
    for (size_t i = 0; i < extension.size(); ++i) {
        const char c = tail[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != extension[i]) return false;
    }
    return true;
}
