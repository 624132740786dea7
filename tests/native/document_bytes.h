#pragma once
// Byte helpers for the Document tests: inputs live in heap buffers of exactly
// their size, so the sanitizer run catches any read past their end.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/byte_span.h"

class ExactBytes {
public:
    explicit ExactBytes(const std::string& bytes)
        : size_(static_cast<uint32_t>(bytes.size())), data_(new uint8_t[bytes.size()]) {
        for (size_t i = 0; i < bytes.size(); ++i) data_[i] = static_cast<uint8_t>(bytes[i]);
    }
    ByteSpan span() const { return ByteSpan{data_.get(), size_}; }

private:
    uint32_t size_;
    std::unique_ptr<uint8_t[]> data_;
};

inline std::string as_string(const uint8_t* p, uint32_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

inline std::vector<uint8_t> as_vector(const uint8_t* p, uint32_t n) {
    return std::vector<uint8_t>(p, p + n);
}
