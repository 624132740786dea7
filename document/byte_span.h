#pragma once
// A read-only view of bytes: what the decoder, the line measure and the wrap
// take, so they never see a file or a Document.
#include <cstdint>

struct ByteSpan {
    const uint8_t* data;
    uint32_t size;
};
