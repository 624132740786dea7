#pragma once
// The path buffer that every Open and every drop fills: the Document's own, so
// a long session of opens allocates none, and the rules that decide whether
// what the Open dialog left there, or what a drop holds, is a path at all.
#include <cstdint>

#include "platform/win32.h"

class Viewer;

// The Document's own path buffer (kPathSize bytes), zeroed; null without a
// Document. Only Document::load reads it, while it opens the file.
char* reusable_path_buffer(Viewer& viewer);

// `buffer` when the call that filled it succeeded (result non-zero) and left a
// non-empty path ended by a NUL within `size` bytes; null otherwise. A failed
// Open dialog may leave anything there: when the path is too long for the
// buffer it writes the size it needs into the first two bytes and nothing else.
char* chosen_path(uint32_t result, char* buffer, uint32_t size);

// The path of the first file of a drop, in `buffer`, when it fits there with
// its NUL; null otherwise, as for a cancelled dialog. DragQueryFileA would cut
// a longer path short, and what is left of it may name another file.
char* dropped_path(HDROP drop, char* buffer, uint32_t size);
