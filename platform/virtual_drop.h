#pragma once
// The native build's drop handle: the paths of the files dropped on a window,
// in order, read through DragQueryFileA. Tests build one where the shell would.
#include <string>
#include <vector>

#include "platform/win32.h"

struct HDROP__ {
    std::vector<std::string> paths;
};
