#pragma once
// The native build's registry: an in-memory tree of keys under the predefined
// roots, each key with an optional default string value, behind
// RegCreateKeyExA and RegSetValueA. Tests look into it through the calls
// below; the program itself only ever uses the two Win32 functions.
#include <string>
#include <vector>

#include "platform/win32.h"

namespace virtual_registry {

enum class Operation { create_key, set_value };

// One call of RegCreateKeyExA or RegSetValueA, as it arrived and as it ended.
struct Call {
    Operation operation = Operation::create_key;
    HKEY key = nullptr;
    std::string sub_key;
    // The key the call named, from its root: "HKEY_CLASSES_ROOT\\.asc".
    std::string path;
    // RegCreateKeyExA only.
    std::string key_class;
    DWORD options = 0;
    REGSAM access = 0;
    DWORD disposition = 0;
    // RegSetValueA only: the type, the count and the bytes the count covers.
    DWORD type = 0;
    DWORD count = 0;
    std::string data;
    LONG result = 0;
};

// A key's default value as stored: the bytes, terminating NUL included.
struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::string bytes;
};

// Forgets every key, value, handle, recorded call and denial.
void reset();

// From now on creating, opening or writing the key at path under root, or any
// key below it, fails with ERROR_ACCESS_DENIED, as in a read-only profile.
void deny(HKEY root, const std::string& path);

bool key_exists(HKEY root, const std::string& path);
StoredValue default_value(HKEY root, const std::string& path);

// The full path of an open handle ("HKEY_CURRENT_USER\\Software"); empty for a
// handle the registry never gave out.
std::string key_path(HKEY key);

// Every call since the last reset, in order.
const std::vector<Call>& calls();

}  // namespace virtual_registry
