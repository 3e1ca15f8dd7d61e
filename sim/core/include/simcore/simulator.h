// One simulated ARM7TDMI-class core with its memory, owned by one object (no
// globals): processor state, memory system, execution history, software
// breakpoint list, self-modify check, instruction count, and the run loop
// with its stop conditions and result codes.
//
// Threads: Run() executes on the caller's thread. RequestStop() may be called
// from any thread while a run goes; everything else belongs to the thread that
// owns the simulator and must not be used while Run() executes.
#pragma once

#include <atomic>
#include <cstdint>

#include "simcore/breakpoint_list.h"
#include "simcore/core.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

class Simulator {
public:
    // Called after every instruction of a run (also for aborts), with the
    // history record just written; the hook may read the simulator's state.
    using InstructionHook = void (*)(void* context, const HistoryRecord& record);

    Simulator() { Init(); }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Empties the memory store, the self-modify list and the history, and
    // resets the processor.
    void Init();
    // Processor reset: SVC mode, ARM state, CPSR 0xD3, PC 0, count 0.
    void ResetProcessor() { core_.cpu.Reset(); }

    // Runs until `count` instructions have been executed (0: no limit), a
    // normal-end or break word is fetched (kNormalEnd, PC left on it), the
    // self-modify check stops it (kSelfModify), or a stop request arrives.
    // Returns the last result code. At least one instruction is executed
    // unless the run stops before it. Dirty flags are cleared first.
    int Run(uint32_t count);

    // Ends the run in progress after its current instruction. The request
    // ends the next run (after one instruction) when made while none goes; the
    // run that ends on a request clears it, and so does ClearStopRequest().
    void RequestStop() { stopRequest_.store(true, std::memory_order_relaxed); }
    void ClearStopRequest() { stopRequest_.store(false, std::memory_order_relaxed); }
    bool StopRequested() const { return stopRequest_.load(std::memory_order_relaxed); }

    // Registers by SimRegNumber (0 CPSR, 1-16 r0-r15 of the current mode,
    // 17 SPSR of the current mode, 18-37 the banked registers). Reading 16
    // gives the PC with bit 0 (Thumb) or bits 0-1 (ARM) cleared; writing 16
    // sets the address where execution continues, unmasked; writing 0
    // replaces the whole CPSR and re-selects the bank and the Thumb state.
    // False for numbers outside 0-37 (the value is left unchanged).
    bool ReadRegister(int number, uint32_t& value) const;
    bool WriteRegister(int number, uint32_t value);

    // Memory through the access kinds, in the current mode.
    bool ReadMemory(uint32_t addr, AccessKind kind, unsigned width, uint32_t& value);
    bool WriteMemory(uint32_t addr, AccessKind kind, unsigned width, uint32_t value);

    CpuState& Cpu() { return core_.cpu; }
    const CpuState& Cpu() const { return core_.cpu; }
    MemorySystem& Memory() { return core_.mem; }
    const MemorySystem& Memory() const { return core_.mem; }
    const History& GetHistory() const { return core_.history; }
    BreakpointList& Breakpoints() { return breakpoints_; }
    const BreakpointList& Breakpoints() const { return breakpoints_; }

    // The self-modify check: while on, every write records its word, and the
    // run stops before executing a recorded word.
    void SetSelfModifyCheck(bool on) { core_.mem.SetSelfModifyCheck(on); }
    bool SelfModifyCheck() const { return core_.mem.SelfModifyCheck(); }
    SelfModifyList& SelfModified() { return core_.mem.SelfModified(); }

    uint32_t InstructionCount() const { return core_.cpu.icount; }
    void SetInstructionCount(uint32_t n) { core_.cpu.icount = n; }

    // The system control coprocessor behind MRC/MCR (none: both are refused).
    void SetCoprocessor15(Coprocessor15* cp15) { core_.cp15 = cp15; }
    void SetInstructionHook(InstructionHook hook, void* context) {
        hook_ = hook;
        hookContext_ = context;
    }

private:
    template <bool kChecked>
    int RunLoop(uint64_t limit);

    Core core_;
    BreakpointList breakpoints_;
    std::atomic<bool> stopRequest_{false};
    InstructionHook hook_ = nullptr;
    void* hookContext_ = nullptr;
};

}  // namespace zk::sim
