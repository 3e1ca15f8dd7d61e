// The simulator connected as the program connects a target: the CPU model,
// the target library with libDorvel.so, the memory library and sarvik's
// set-up, all announcing to one frame window; and the way back.
#pragma once

#include <gtest/gtest.h>

#include "falcrest.h"
#include "sarvik.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {

inline constexpr const char* SIM_PROCESSOR = "ARM7TDMI";

inline void ConnectSimulator(HWND frame, uint32_t catchMask)
{
    InitDLL_CpuServer(0, frame, SIM_PROCESSOR, 0);
    int port = 0;
    ASSERT_EQ(NewABIDLL(1, SIM_PROCESSOR, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
    MemInitServer(frame);
    EmuInit(frame);
    const EMU_TARGET_CONFIG config{0x101, 8, 0x100000, EMU_PROTOCOL_SIMULATOR, catchMask};
    EmuSetTargetConfig(&config);
}

// Takes the break instructions out, forgets the breakpoints, disconnects.
inline void DisconnectSimulator()
{
    EmuTargetStopped();
    BptDeleteAllObjects();
    MemExitServer();
    ExitABIDLL();
}

}  // namespace sarvik::test
