#include "shell/registry.h"

#include <cstddef>
#include <cstring>

HKEY settings_key = nullptr;

namespace {

constexpr const char* kSettingsKeyPath = "Software\\Kolt\\Glyphora";
constexpr const char* kProgId = "Glyphora.Viewer";
constexpr const char* kFileTypeName = "Glyphora File";
constexpr const char* kIconSuffix = ",2";  // the third icon group, the documents' icon
constexpr const char* kCommandTail = "\" \"%1\"";

constexpr size_t kPathBytes = MAX_PATH;
constexpr size_t kSettingsClassBytes = 255;
constexpr size_t kClassBytes = 16;

constexpr size_t length_of(const char* text) {
    size_t n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

// Room for the longest value, the quoted command, around the longest path the
// path buffer can hold, so no path the platform returns can overrun it.
constexpr size_t kValueBytes = 1 + (kPathBytes - 1) + length_of(kCommandTail) + 1;
static_assert(kValueBytes >= (kPathBytes - 1) + length_of(kIconSuffix) + 1,
              "the icon value fits the value buffer too");

// Builds a value piece by piece; the capacity above makes overruns impossible.
struct ValueText {
    char bytes[kValueBytes];
    size_t length = 0;

    void append(const char* text, size_t count) {
        std::memcpy(bytes + length, text, count);
        length += count;
        bytes[length] = '\0';
    }
    void append(const char* text) { append(text, length_of(text)); }
};

// Creates the key, then writes its default value, naming the key again from
// HKEY_CLASSES_ROOT; the handle is not used.
void write_association(const char* key_name, const char* value, size_t count, char* key_class) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, key_name, 0, key_class, REG_OPTION_NON_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &key, &disposition);
    RegSetValueA(HKEY_CLASSES_ROOT, key_name, REG_SZ, value, static_cast<DWORD>(count));
}

}  // namespace

int open_settings_key() {
    char key_class[kSettingsClassBytes] = "";
    DWORD disposition = 0;
    const LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, key_class, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &settings_key, &disposition);
    // A key that could not be created says nothing about a first run: a
    // read-only profile must not show the About box at every start.
    if (result != ERROR_SUCCESS) settings_key = nullptr;
    register_file_types();
    return result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY ? 1 : 0;
}

void register_file_types() {
    char key_class[kClassBytes] = "";
    char path[kPathBytes] = "";
    GetModuleFileNameA(nullptr, path, kPathBytes);
    // Older systems leave a cut path unterminated.
    path[kPathBytes - 1] = '\0';
    const size_t path_length = std::strlen(path);

    write_association(".asc", kProgId, length_of(kProgId), key_class);
    write_association(".ans", kProgId, length_of(kProgId), key_class);
    write_association(kProgId, kFileTypeName, length_of(kFileTypeName), key_class);

    ValueText icon;
    icon.append(path, path_length);
    icon.append(kIconSuffix);
    write_association("Glyphora.Viewer\\DefaultIcon", icon.bytes, icon.length, key_class);

    // Both halves quoted, so paths with spaces stay one argument each.
    ValueText command;
    command.append("\"");
    command.append(path, path_length);
    command.append(kCommandTail);
    write_association("Glyphora.Viewer\\shell\\open\\command", command.bytes, command.length,
                      key_class);
}
