#pragma once
// What a start must leave in the registry for a given program path; checked
// against the virtual registry natively and against Wine's real registry.
#include <string>
#include <vector>

namespace registry_expectations {

constexpr const char* kSettingsKey = "Software\\Kolt\\Glyphora";

struct Association {
    std::string key;    // under HKEY_CLASSES_ROOT
    std::string value;  // the key's default REG_SZ value, without its NUL
    unsigned count;     // the count passed with the value
};

// The five associations, in the order they are written.
inline std::vector<Association> associations_for(const std::string& module_path) {
    const unsigned length = static_cast<unsigned>(module_path.size());
    return {
        {".asc", "Glyphora.Viewer", 15},
        {".ans", "Glyphora.Viewer", 15},
        {"Glyphora.Viewer", "Glyphora File", 13},
        {"Glyphora.Viewer\\DefaultIcon", module_path + ",2", length + 2},
        {"Glyphora.Viewer\\shell\\open\\command", "\"" + module_path + "\" \"%1\"", length + 7},
    };
}

// The longest path a 260-byte buffer holds: 259 characters, with spaces.
inline std::string longest_module_path() {
    std::string path = "C:\\Art Tools";
    while (path.size() + 10 + 11 <= 259) path += "\\Folder 42";
    path.resize(259 - 11, 'x');
    return path + "\\viewer.exe";
}

}  // namespace registry_expectations
