#include "platform/virtual_drop.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kFileCount = 0xFFFFFFFFu;

}  // namespace

// As Windows does: the number of files for index 0xFFFFFFFF; with no buffer,
// the length of the path without its NUL; otherwise as much of the path as
// fits before a NUL, cut short when the buffer is too small, and the bytes
// copied. 0 for a file the drop does not hold.
UINT WINAPI DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size) {
    if (drop == nullptr) return 0;
    if (file == kFileCount) return static_cast<UINT>(drop->paths.size());
    if (file >= drop->paths.size()) return 0;
    const std::string& path = drop->paths[file];
    if (buffer == nullptr) return static_cast<UINT>(path.size());
    if (size == 0) return 0;
    const UINT copied = static_cast<UINT>(std::min<size_t>(path.size(), size - 1));
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return copied;
}
