// Registers and memory of the stopped target, for the values of expressions.
#include <cstring>

#include "expressions.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace quinar {

SymResult ReadTargetRegister(uint32_t id, uint32_t* value)
{
    DWORD v = 0;
    if (id >= kRegisterCount || CpuGetRegister(id, &v) != 0)
        return SYM_E_NO_VALUE;
    *value = v;
    return SYM_OK;
}

SymResult ReadTargetMemory(uint32_t address, uint32_t size, uint64_t* value)
{
    uint8_t bytes[8] = {};
    if (size == 0 || size > sizeof bytes)
        return SYM_E_WRONG_TYPE;
    if (MemReadBlock(bytes, {address, ADDR_SPACE_TARGET}, size) != 0)
        return SYM_E_NO_VALUE;
    const bool bigEndian = TargetBigEndian();
    uint64_t v = 0;
    for (uint32_t i = 0; i < size; ++i) {
        const uint32_t at = bigEndian ? i : size - 1 - i;
        v = (v << 8) | bytes[at];
    }
    *value = v;
    return SYM_OK;
}

SymResult ReadTargetWord(uint32_t address, uint32_t size, uint32_t* value)
{
    uint64_t v = 0;
    const SymResult r = ReadTargetMemory(address, size, &v);
    *value = static_cast<uint32_t>(v);
    return r;
}

// Without a configured processor the target is taken as little-endian.
bool TargetBigEndian()
{
    int bigEndian = 0;
    return ProcReturnByteOrder(&bigEndian) == 0 && bigEndian != 0;
}

bool TargetPc(uint32_t* pc)
{
    return ReadTargetPc(pc) == 0;
}

int ReadTargetPc(uint32_t* pc)
{
    DWORD v = 0;
    const int r = CpuGetPC(&v);
    if (r == 0)
        *pc = v;
    return r;
}

}  // namespace quinar
