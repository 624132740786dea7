#pragma once
// Forced allocation failures for the buffers the program allocates with
// new (std::nothrow) T[n], and a count of array allocations, so tests can make
// any one of them fail and can tell that an operation allocated nothing.
#include <cstdint>

// While alive, the first `succeed` array allocations go through and every
// later one fails.
class AllocationFailure {
public:
    explicit AllocationFailure(uint32_t succeed = 0);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
};

// Array allocations asked for so far in this process, failed ones included.
uint64_t array_allocations();
