// Replaces the array forms of operator new and delete for the whole test
// program. All of them go to malloc and free, so the sanitizers still see
// matching pairs.
#include "tests/native/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {

bool armed = false;
uint32_t allowed = 0;
uint64_t allocations = 0;

void* allocate(std::size_t size) {
    ++allocations;
    if (armed) {
        if (allowed == 0) return nullptr;
        --allowed;
    }
    return std::malloc(size ? size : 1);
}

}  // namespace

AllocationFailure::AllocationFailure(uint32_t succeed) {
    armed = true;
    allowed = succeed;
}

AllocationFailure::~AllocationFailure() { armed = false; }

uint64_t array_allocations() { return allocations; }

void* operator new[](std::size_t size) {
    void* p = allocate(size);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
