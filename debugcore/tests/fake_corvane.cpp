// A stand-in for the kernel view: GetTaskInfo answers code 3 from a current
// control block that the test sets, and counts the questions.
#include <cstring>

#include "kernel_tasks.h"

namespace {
uint32_t g_current = 0;
int g_questions = 0;
}  // namespace

extern "C" {

int GetTaskInfo(unsigned code, void** io)
{
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
