// One simulated ARM7TDMI-class core with its memory, owned by one object (no
// globals): processor state, memory system with caches and protection unit,
// system control coprocessor, execution history, software breakpoint list,
// self-modify check, instruction count, and the run loop with its stop
// conditions and result codes.
//
// Threads: Run() executes on the caller's thread. RequestStop() may be called
// from any thread while a run goes; everything else belongs to the thread that
// owns the simulator and must not be used while Run() executes.
#pragma once

#include <atomic>
#include <cstdint>

#include "simcore/breakpoint_list.h"
#include "simcore/core.h"
#include "simcore/cp15.h"
#include "simcore/exec_codes.h"

namespace zk::sim {

class Simulator {
public:
    // Called after every instruction of a run (also for aborts), with the
    // history record just written; the hook may read the simulator's state.
    using InstructionHook = void (*)(void* context, const HistoryRecord& record);

    Simulator()
    {
        core_.cp15 = &cp15_;
        Init();
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Frees the caches and the branch target buffer and empties the memory
    // store, allocates the caches (configured geometry) and the buffer anew,
    // empties the self-modify list and the history, resets the processor and
    // resets the system control coprocessor twice. When an allocation fails
    // its message goes to standard output, the steps up to the coprocessor's
    // first reset are skipped, and the result is false.
    bool Init() { return Initialise(true); }
    // The "reset" command: as Init with one reset of the coprocessor.
    bool Reset() { return Initialise(false); }
    // Frees the caches, the branch target buffer and the memory store.
    void Close();
    // Processor reset: SVC mode, ARM state, CPSR 0xD3, PC 0, count 0.
    void ResetProcessor() { core_.cpu.Reset(); }

    // Runs until `count` instructions have been executed (0: no limit), a
    // normal-end or break word is fetched (kNormalEnd, PC left on it), the
    // self-modify check stops it (kSelfModify), a write of the coprocessor's
    // control register asks for a reset (kReset: the run ends after that
    // instruction and the simulator is reset), or a stop request arrives.
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

    // The system control coprocessor behind MRC and MCR.
    SystemControlCoprocessor& Cp15() { return cp15_; }
    const SystemControlCoprocessor& Cp15() const { return cp15_; }
    // CRn[index] with opcode1 and opcode2 0, in the current mode, under the
    // rules of MRC and MCR; false when refused. A write asking for a reset
    // performs it before returning.
    bool ReadCoprocessorRegister(unsigned crn, unsigned index, uint32_t& value);
    bool WriteCoprocessorRegister(unsigned crn, unsigned index, uint32_t value);

    // Cache geometry used by the next Init or Reset; false (nothing changed)
    // when the geometry is not valid.
    bool SetCacheGeometry(Side side, const CacheGeometry& geometry);
    const CacheGeometry& ConfiguredCacheGeometry(Side side) const { return geometry_[static_cast<unsigned>(side)]; }

    // Pre-decoding (on by default): instructions run from their decoded
    // slots; with the protection unit, the caches or a write observer on,
    // each is still fetched through them in program order and its slot used
    // when it holds the fetched word. Off, every instruction is fetched and
    // decoded afresh; the results are the same.
    void SetPredecode(bool on) { predecode_ = on; }
    bool Predecode() const { return predecode_; }

    void SetInstructionHook(InstructionHook hook, void* context)
    {
        hook_ = hook;
        hookContext_ = context;
    }

private:
    template <bool kChecked>
    int RunLoop(uint64_t limit);
    template <bool kThumb>
    bool EnterPage(uint32_t addr, DecodedSlot*& slots, uint32_t& pageNumber);
    template <bool kThumb, bool kThrough>
    bool RunDecoded(DecodedSlot* slots, uint32_t pageNumber, uint64_t limit, uint64_t& executed, unsigned& head,
                    int& code, bool& ran);
    bool Initialise(bool secondCp15Reset);
    bool AllocateCachesAndBuffer();
    void FreeCachesAndBuffer();

    Core core_;
    SystemControlCoprocessor cp15_{core_};
    CacheGeometry geometry_[2];
    BreakpointList breakpoints_;
    std::atomic<bool> stopRequest_{false};
    InstructionHook hook_ = nullptr;
    void* hookContext_ = nullptr;
    bool predecode_ = true;
};

}  // namespace zk::sim
