// Any bytes as target memory under the test image's kernel types: the input
// fills memory from address 0 (where the image's code and data lie), every
// other address fails to read. All seven kinds are read and the task query
// answers; never a write outside a table or block, bounded work.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "../fake_memory.h"
#include "corvane/corvane.h"
#include "corvane/tables.h"
#include "corvane/target_read.h"
#include "quentor.h"
#include "tarnel.h"

#ifndef ZK_FIXTURE_DIR
#error "ZK_FIXTURE_DIR names the folder of the test images"
#endif

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool loaded = LdrLoadWin(ZK_FIXTURE_DIR "/kernel_le.elf", 1, LDR_LOAD_SYMBOLS, nullptr) == LDR_OK;
    if (!loaded)
        return 0;
    test::FakeMemory& memory = test::Memory();
    memory.bytes.clear();
    const size_t n = size < 0x10000 ? size : 0x10000;
    for (size_t i = 0; i < n; ++i)
        memory.bytes[static_cast<uint32_t>(i)] = data[i];
    memory.reads = 0;

    ResetTables();
    ReadAllKinds();
    for (int kind = 0; kind < KIND_COUNT; ++kind)
        if (Tables().counts[kind] < 0 || Tables().counts[kind] > TABLE_CAPACITY)
            __builtin_trap();
    // Seven walks of at most 100 blocks, each with one block read and at
    // most 16 name pieces, and a few globals.
    if (memory.reads > KIND_COUNT * TABLE_CAPACITY * 17 + 32)
        __builtin_trap();
    for (unsigned code : {TASK_INFO_NAMES, TASK_INFO_CONTROL_BLOCKS}) {
        void* io = nullptr;
        if (GetTaskInfo(code, &io) == 0)
            delete[] static_cast<uint8_t*>(io);
    }
    uint32_t asked = 0;
    GetTaskInfo(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&asked));
    return 0;
}
