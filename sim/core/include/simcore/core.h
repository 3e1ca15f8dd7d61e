// The parts one instruction works on: processor state, memory system, the
// coprocessor port and the execution history. The Simulator owns one.
#pragma once

#include <cstdint>

#include "simcore/coprocessor.h"
#include "simcore/cpu_state.h"
#include "simcore/history.h"
#include "simcore/memory_system.h"

namespace zk::sim {

struct Core {
    CpuState cpu;
    MemorySystem mem;
    Coprocessor15* cp15 = nullptr;
    History history;
};

// Execute one ARM word whose condition passed, after the caller tested the
// normal-end words and set the next PC to PC + 4 and r15 to PC + 8.
int ExecuteArm(Core& core, uint32_t word);

}  // namespace zk::sim
