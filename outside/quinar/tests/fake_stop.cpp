#include "fake_stop.h"

#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace quinar::test {

FakeStop& Stop()
{
    static FakeStop stop;
    return stop;
}

}  // namespace quinar::test

using quinar::test::Stop;

extern "C" {

int CpuGetRegister(DWORD id, DWORD* value)
{
    if (id >= 18)
        return -1;
    if (Stop().targetGone)
        return Stop().goneResult;
    *value = Stop().regs[id];
    return 0;
}

int CpuGetPC(DWORD* pc)
{
    if (Stop().targetGone)
        return Stop().goneResult;
    *pc = Stop().regs[15];
    return 0;
}

int ProcReturnByteOrder(int* order)
{
    *order = Stop().bigEndian ? 1 : 0;
    return 0;
}

int MemReadBlock(void* buffer, ADDR addr, uint32_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        if (Stop().unreadable.count(addr.off + i))
            return EMU_TARGET_LOST;
        auto it = Stop().memory.find(addr.off + i);
        out[i] = it == Stop().memory.end() ? 0 : it->second;
    }
    return 0;
}

}  // extern "C"
