// The target-write buffer of the readers: bytes for consecutive addresses
// gather into one block of up to 1024 bytes, so that a file of 16-byte
// records reaches target memory in few, large writes.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quentor {

class TargetWriter {
public:
    // Writes count bytes at address into target memory; 0 or the write's error.
    using Write = std::function<int(uint32_t address, const uint8_t* bytes, uint32_t count)>;
    static constexpr size_t CAPACITY = 1024;

    explicit TargetWriter(Write write) : write_(std::move(write)) { buffer_.reserve(CAPACITY); }

    // The bytes of one record at its address. 0, or the result of the first
    // write that failed.
    int Put(uint32_t address, std::span<const uint8_t> bytes);
    // Writes what the buffer holds.
    int Flush();

private:
    Write write_;
    std::vector<uint8_t> buffer_;
    uint32_t start_ = 0;
};

}  // namespace quentor
