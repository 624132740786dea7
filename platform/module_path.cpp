#include "platform/module_path.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

bool substituted = false;
std::string substitute;

std::string own_path() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return "";
    return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

void set_module_path_for_tests(const char* path) {
    substituted = path != nullptr;
    substitute = path != nullptr ? path : "";
}

// As Windows (Vista and later) does: the length without the NUL on success;
// a path too long for the buffer is cut to size - 1 bytes, still terminated,
// and the result is size. Only the program's own module (null) is known.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size) {
    if (module != nullptr || file_name == nullptr || size == 0) return 0;
    const std::string path = substituted ? substitute : own_path();
    if (path.empty()) {
        file_name[0] = '\0';
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(file_name, path.data(), size - 1);
        file_name[size - 1] = '\0';
        return size;
    }
    std::memcpy(file_name, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
