// Target memory for the kernel view without a target: the test executable
// defines MemReadBlock, which stands in for talvis's (the kernel view
// library binds the first definition, the executable's). Bytes not placed
// fail to read.
#pragma once

#include <cstdint>
#include <map>

namespace corvane::test {

struct FakeMemory {
    std::map<uint32_t, uint8_t> bytes;
    bool bigEndian = false;
    int reads = 0;

    void PutWord(uint32_t address, uint32_t value);
    void PutBytes(uint32_t address, const void* data, uint32_t count);
};

// The memory that MemReadBlock reads.
FakeMemory& Memory();

}  // namespace corvane::test
