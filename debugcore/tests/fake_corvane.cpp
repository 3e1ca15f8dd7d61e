// A stand-in for the kernel view: GetTaskInfo lists three tasks "A", "B"
// and "C" (codes 1 and 2, control blocks 0x21000 + 0x100 * n),
// answers code 3 from a current control block that the test sets, and
// counts the questions.
#include <cstdint>
#include <cstring>

#include "kernel_tasks.h"

namespace {
uint32_t g_current = 0;
int g_questions = 0;
constexpr uint32_t kTaskBlockA = 0x00021000;
constexpr char kNames[] = "A\0B\0C";
}  // namespace

extern "C" {

int GetTaskInfo(unsigned code, void** io)
{
    if ((code == TASK_INFO_NAMES || code == TASK_INFO_CONTROL_BLOCKS) && io) {
        const int32_t head[2] = {3, 0};
        const size_t body = code == TASK_INFO_NAMES ? sizeof kNames : 3 * sizeof(uint32_t);
        char* block = new char[sizeof head + body];
        std::memcpy(block, head, sizeof head);
        if (code == TASK_INFO_NAMES)
            std::memcpy(block + sizeof head, kNames, sizeof kNames);
        else
            for (uint32_t i = 0; i < 3; ++i) {
                const uint32_t cb = kTaskBlockA + 0x100 * i;
                std::memcpy(block + sizeof head + 4 * i, &cb, 4);
            }
        *io = block;
        return 0;
    }
    if (code != TASK_INFO_IS_OTHER_CURRENT || !io)
        return 1;
    ++g_questions;
    uint32_t asked = 0;
    std::memcpy(&asked, io, sizeof asked);
    return asked != g_current ? 1 : 0;
}

void FakeCorvane_SetCurrent(uint32_t controlBlock)
{
    g_current = controlBlock;
}
int FakeCorvane_Questions(void)
{
    return g_questions;
}

}  // extern "C"
