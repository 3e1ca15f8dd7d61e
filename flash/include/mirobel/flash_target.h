// What Mirobel needs of the target: memory in target RAM, the PC, a go till
// an address with the main frame's handling of its stop, and a halt. The
// library's own implementation goes through talvis, vexlor and sarvik; tests
// give their own.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace mirobel {

// A point in the target's run history (runs started and stops the main
// frame has finished handling), so that a waiter can tell when every run
// since has stopped and been handled.
struct RunMark {
    uint32_t stopsHandled = 0;
    uint32_t runsStarted = 0;
};

// [first, end) of target addresses.
struct AddressRange {
    uint32_t first = 0;
    uint64_t end = 0;
};

class FlashTarget {
public:
    virtual ~FlashTarget() = default;
    // Target memory (address space 1); 0 or the failing call's result.
    virtual int WriteBlock(uint32_t address, const uint8_t* data, uint32_t size) = 0;
    virtual int ReadBlock(uint32_t address, uint8_t* data, uint32_t size) = 0;
    virtual int SetPc(uint32_t pc) = 0;
    virtual int GetPc(uint32_t& pc) = 0;
    virtual RunMark Mark() = 0;
    // The debugger core's go till the address (a temporary breakpoint there,
    // one step off the PC first); returns while the target runs.
    virtual int GoTill(uint32_t address) = 0;
    // The target has stopped and the main frame has finished handling every
    // stop since the mark: no break word or temporary breakpoint is left in
    // target memory.
    virtual bool Settled(const RunMark& mark) = 0;
    // Stops a run that goes on (the debugger core's halt).
    virtual int Halt() = 0;

    // The user's breakpoints whose break words would lie in the ranges (the
    // flash and the RAM area) stay out of target memory until resumed:
    // planted there for a run, a break word would be written back over
    // what the routine programmed, or copied into the flash with a chunk,
    // at the run's stop. Both on the GUI thread.
    virtual void SuspendBreakpoints(const std::vector<AddressRange>& ranges) {}
    virtual void ResumeBreakpoints() {}
};

// How a thread waits for the target: true when `done` became true within
// `limitMs` of the process clock (platform/clock.h), false after that.
using WaitFn = std::function<bool(const std::function<bool()>& done, uint32_t limitMs)>;

// On the GUI thread: pumps its messages (ModalWait), so windows paint and
// the main frame handles the stop while it waits.
bool WaitPumping(const std::function<bool()>& done, uint32_t limitMs);
// On a worker thread: polls, sleeping on the clock between looks.
bool WaitSleeping(const std::function<bool()>& done, uint32_t limitMs);

// The library's target over talvis, vexlor, sarvik and the main frame's
// stop handling. The debugger core's run commands (go till, halt) run on the
// GUI thread whichever thread asks; memory and PC go from the calling thread
// through the target library, whose lock serialises them.
FlashTarget& LibraryTarget();

}  // namespace mirobel
