// vexlor's process-wide model: the configured processor and the main frame
// that receives the stop announcements.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "emu_types.h"
#include "win_types.h"

namespace vexlor {

// The longest processor name kept: callers read it into 64-byte buffers.
inline constexpr size_t PROCESSOR_NAME_MAX = 63;

struct CpuModel {
    bool configured = false;
    intptr_t appValue = 0;
    std::string processorName;
    int byteOrder = 0;  // non-zero: big-endian
    // Read by the simulator's run thread when a run ends.
    std::atomic<HWND> mainFrame{nullptr};
    // Ends of runs heard of, counted after each one's announcement is posted.
    std::atomic<uint32_t> stopsHeard{0};
    // Free runs the target reported started.
    std::atomic<uint32_t> runsStarted{0};
};

CpuModel& Model();

// The halt cause shown for the end of a free run.
HaltCause HaltCauseForStop(int reason);

// Connects the stop announcement and the run-state notice to Falcrest.
void RegisterWithTarget();

}  // namespace vexlor
