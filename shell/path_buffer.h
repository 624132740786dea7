#pragma once
// The path buffer that every Open and every drop fills: the Document's own, so
// a long session of opens allocates none, and the rule that decides whether
// what the Open dialog or a drop left there is a path at all.
#include <cstdint>

class Viewer;

// The Document's own path buffer (kPathSize bytes), zeroed; null without a
// Document. Only Document::load reads it, while it opens the file.
char* reusable_path_buffer(Viewer& viewer);

// `buffer` when the call that filled it succeeded (result non-zero) and left a
// non-empty path ended by a NUL within `size` bytes; null otherwise. A failed
// Open dialog may leave anything there: when the path is too long for the
// buffer it writes the size it needs into the first two bytes and nothing else.
char* chosen_path(uint32_t result, char* buffer, uint32_t size);
