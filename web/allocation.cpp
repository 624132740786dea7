// Allocation that can fail. The C++ library Emscripten links is built without
// exceptions, and its nothrow new aborts the whole module when memory runs
// out instead of returning null; the program relies on null (a file too large
// for memory leaves the view as it was), so these take its place.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size > 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size > 0 ? size : 1);
}
