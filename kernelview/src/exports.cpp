// The module's entry points: the task query of task-qualified breakpoints
// and the kernel window's opening.
#include <algorithm>
#include <cstring>

#include "corvane/corvane.h"
#include "corvane/tables.h"
#include "corvane/target_read.h"

namespace corvane {

namespace {

KernelWindowHost* g_host = nullptr;

// A block {int32 count; int32 current; body}, made with new[].
uint8_t* NewBlock(size_t bodyCapacity, int32_t count, int32_t current)
{
    const size_t size = bodyCapacity + 9;
    auto* block = new uint8_t[size]();
    std::memcpy(block, &count, 4);
    std::memcpy(block + 4, &current, 4);
    return block;
}

int32_t ThreadCount()
{
    return std::clamp<int32_t>(Tables().counts[KIND_THREAD], 0, TABLE_CAPACITY);
}

void EnsureThreadList()
{
    if (!Tables().threadListValid)
        ReadKernelKind(KIND_THREAD);
}

}  // namespace

void SetWindowHost(KernelWindowHost* host)
{
    g_host = host;
}

void WindowDestroyed()
{
    Tables().window = nullptr;
    Tables().windowOpen = false;
}

}  // namespace corvane

using namespace corvane;

extern "C" {

int TaskOpenWindow(int mode)
{
    KernelTables& t = Tables();
    if (t.window && t.windowOpen) {
        if (!g_host)
            return 0;
        if (mode != 2)
            g_host->Raise(t.window);
        return g_host->Refresh(t.window);
    }
    if (mode == 2 || !g_host)
        return 0;
    void* window = g_host->Create();
    if (!window)
        return 0;
    t.window = window;
    t.windowOpen = true;
    return 1;
}

int GetTaskInfo(unsigned code, void** io)
{
    KernelTables& t = Tables();
    switch (code) {
    case TASK_INFO_REREAD: t.threadListValid = ReadKernelKind(KIND_THREAD) != 0; return t.threadListValid ? 0 : 1;
    case TASK_INFO_NAMES: {
        if (!io)
            return 1;
        EnsureThreadList();
        const int32_t n = ThreadCount();
        uint8_t* block = NewBlock(size_t(n) * NAME_FIELD, n, t.currentThread);
        char* out = reinterpret_cast<char*>(block + 8);
        for (int i = 0; i < n; ++i) {
            const char* name = RecordName(KIND_THREAD, i);
            const size_t len = strnlen(name, NAME_FIELD - 1);
            std::memcpy(out, name, len);
            out += len + 1;
        }
        *io = block;
        return 0;
    }
    case TASK_INFO_CONTROL_BLOCKS: {
        if (!io)
            return 1;
        EnsureThreadList();
        const int32_t n = ThreadCount();
        uint8_t* block = NewBlock(size_t(n) * 4, n, t.currentThread);
        std::memcpy(block + 8, t.addresses[KIND_THREAD].data(), size_t(n) * 4);
        *io = block;
        return 0;
    }
    case TASK_INFO_IS_OTHER_CURRENT: {
        if (!io)
            return 0;
        uint32_t asked = 0;
        std::memcpy(&asked, io, sizeof asked);
        return ReadCurrentThreadPointer() != asked ? 1 : 0;
    }
    default: return 0;
    }
}

}  // extern "C"
