#pragma once
// What a start must leave in the registry, for any program path. The native
// tests check it against the virtual registry; the Windows tests check the
// same table against Wine's real registry (there a stored value's size is the
// count plus its NUL, and the program path is the test program's own).
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

// The longest path a 260-byte path buffer holds: 259 characters, in folders
// of ordinary length and with spaces.
inline std::string longest_module_path() {
    const std::string file = "\\viewer.exe";
    const std::string folder = "\\Folder 42";
    std::string path = "C:\\Art Tools";
    while (path.size() + folder.size() + file.size() <= 259) path += folder;
    path.append(259 - file.size() - path.size(), 'x');
    return path + file;
}

}  // namespace registry_expectations
