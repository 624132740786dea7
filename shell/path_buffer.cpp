#include "shell/path_buffer.h"

#include <cstring>

#include "render/viewer.h"

char* reusable_path_buffer(Viewer& viewer) {
    if (!viewer.document || !viewer.document->name_store) return nullptr;
    char* buffer = viewer.document->name_store.get();
    std::memset(buffer, 0, kPathSize);
    return buffer;
}

char* chosen_path(uint32_t result, char* buffer, uint32_t size) {
    if (result == 0 || buffer == nullptr || size == 0 || buffer[0] == '\0') return nullptr;
    return std::memchr(buffer, '\0', size) ? buffer : nullptr;
}

char* dropped_path(HDROP drop, char* buffer, uint32_t size) {
    if (buffer == nullptr) return nullptr;
    const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
    if (length >= size) return nullptr;
    const UINT copied = DragQueryFileA(drop, 0, buffer, size);
    return copied == length ? chosen_path(copied, buffer, size) : nullptr;
}
