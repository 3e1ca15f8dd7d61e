#include "fake_memory.h"

#include "talvis/talvis.h"

namespace corvane::test {

FakeMemory& Memory()
{
    static FakeMemory memory;
    return memory;
}

void FakeMemory::PutWord(uint32_t address, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[address + i] = static_cast<uint8_t>(bigEndian ? value >> (8 * (3 - i)) : value >> (8 * i));
}

void FakeMemory::PutBytes(uint32_t address, const void* data, uint32_t count)
{
    const auto* b = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < count; ++i)
        bytes[address + i] = b[i];
}

}  // namespace corvane::test

extern "C" int MemReadBlock(void* buffer, ADDR addr, uint32_t count)
{
    using corvane::test::Memory;
    ++Memory().reads;
    if (!buffer || addr.seg != ADDR_SPACE_TARGET)
        return MEM_LIBRARY_ERROR;
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        auto it = Memory().bytes.find(addr.off + i);
        if (it == Memory().bytes.end())
            return -27;
        out[i] = it->second;
    }
    return 0;
}
