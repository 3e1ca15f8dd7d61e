// Processor state of the simulated ARMv4T core: 38 physical registers, the
// map of each mode's view of r0-r15/CPSR/SPSR onto them, the current view the
// executors use, the state words (PC, next PC, Thumb state),
// dirty flags per physical register, the instruction count, and exception
// entry.
//
// The current mode's r0-r15 live in `r`; the physical file holds the
// registers of the other banks. Switching modes moves r8-r14 between the two,
// so every read through the mode map sees one consistent value.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zk::sim {

enum class Mode : uint8_t { User = 0, Fiq = 1, Irq = 2, Svc = 3, Abort = 4, Undef = 5, System = 6, Invalid = 7 };

// Mode from CPSR bits 0-3 (bit 4 is ignored): 0 USER, 1 FIQ, 2 IRQ, 3 SVC,
// 7 ABORT, 11 UNDEF, 15 SYSTEM, anything else the invalid mode.
constexpr Mode ModeFromCpsr(uint32_t cpsr)
{
    switch (cpsr & 0xF) {
    case 0x0: return Mode::User;
    case 0x1: return Mode::Fiq;
    case 0x2: return Mode::Irq;
    case 0x3: return Mode::Svc;
    case 0x7: return Mode::Abort;
    case 0xB: return Mode::Undef;
    case 0xF: return Mode::System;
    default: return Mode::Invalid;
    }
}

// "USER", "FIQ", "IRQ", "SVC", "ABORT", "UNDEF", "SYSTEM"; empty for the invalid mode.
std::string_view ModeName(Mode mode);

// USER, SYSTEM and the invalid mode have no SPSR of their own and may not
// change the control bits.
constexpr bool HasSpsr(Mode m)
{
    return m != Mode::User && m != Mode::System && m != Mode::Invalid;
}

enum class Exception : uint8_t { Undefined, Swi, PrefetchAbort, DataAbort };

// Physical register numbers (18-37 coincide with SimRegNumber).
inline constexpr unsigned kPhysCpsr = 16;
inline constexpr unsigned kPhysSpsrUser = 17;  // the spare slot of USER, SYSTEM and invalid
inline constexpr unsigned kPhysCount = 38;

// Logical register numbers of a mode's view.
inline constexpr unsigned kRegSp = 13;
inline constexpr unsigned kRegLr = 14;
inline constexpr unsigned kRegPc = 15;
inline constexpr unsigned kLogicalCpsr = 16;
inline constexpr unsigned kLogicalSpsr = 17;

// Byte lanes of a PSR write (MSR field mask); kWholeWord stores unconditionally.
inline constexpr unsigned kLaneControl = 0x1;    // bits 0-7
inline constexpr unsigned kLaneExtension = 0x2;  // bits 8-15
inline constexpr unsigned kLaneStatus = 0x4;     // bits 16-23
inline constexpr unsigned kLaneFlags = 0x8;      // bits 24-31
inline constexpr unsigned kWholeWord = 0x10;

inline constexpr uint32_t kCpsrThumb = 0x20;
inline constexpr uint32_t kCpsrResetValue = 0xD3;  // SVC, IRQ and FIQ disabled, ARM state
inline constexpr uint32_t kSpsrResetValue = 0x10;

// Physical register of logical register `logical` (0-17) in mode `m`.
unsigned PhysicalIndex(Mode m, unsigned logical);

class CpuState {
public:
    CpuState() { Reset(); }

    // The current mode's view; during execution r[15] reads PC + 8 (ARM) or
    // PC + 4 (Thumb), between instructions it holds the PC.
    uint32_t r[16] = {};
    uint32_t cpsr = kCpsrResetValue;
    uint32_t pc = 0;      // address of the instruction being executed
    uint32_t nextPc = 0;  // address of the following instruction
    Mode mode = Mode::Svc;
    bool thumb = false;   // mirrors CPSR bit 5
    uint32_t icount = 0;  // executed instructions
    uint32_t vectorBase = 0;
    uint32_t dirtyView = 0;  // bit i: r[i] written since the last fold into the physical flags

    // SVC mode, ARM state, all registers 0, CPSR 0xD3, the banked SPSRs 0x10,
    // PC 0, dirty flags and the instruction count cleared.
    void Reset();

    // Executor writes. r15 goes to the next PC.
    void SetReg(unsigned i, uint32_t v)
    {
        if (i == kRegPc) {
            WritePc(v);
        } else {
            r[i] = v;
            dirtyView |= 1u << i;
        }
    }
    void WritePc(uint32_t v)
    {
        nextPc = v;
        r[kRegPc] = v;
        dirtyView |= 1u << kRegPc;
    }
    // Sets PC, next PC and r15 together (register commands, image entry).
    void SetPc(uint32_t v);
    // BX: the Thumb state and CPSR bit 5 from bit 0 of the target.
    void SetThumb(bool on)
    {
        thumb = on;
        cpsr = (cpsr & ~kCpsrThumb) | (on ? kCpsrThumb : 0u);
        MarkDirty(kPhysCpsr);
    }

    // Whole-word CPSR write: re-derives the Thumb state and the mode and
    // re-banks the view when the mode changed.
    void WriteCpsr(uint32_t v);
    uint32_t Spsr() const { return phys_[PhysicalIndex(mode, kLogicalSpsr)]; }
    void SetSpsr(uint32_t v);

    // MSR with a field mask (kLane* bits): CPSR lanes 0-2 only outside USER
    // mode, SPSR lanes 0-2 only in modes with an SPSR, lane 3 always. An MSR
    // that turns the Thumb state on makes the next PC PC + 2.
    void MsrCpsr(uint32_t value, unsigned lanes);
    void MsrSpsr(uint32_t value, unsigned lanes);

    // Mode-relative access to logical registers 0-17 (r0-r15, CPSR, SPSR).
    // Reading r15 gives the PC with bit 0 (Thumb) or bits 0-1 (ARM) cleared.
    uint32_t Read(unsigned logical, Mode m) const;
    void Write(unsigned logical, Mode m, uint32_t value, unsigned lanes = kWholeWord);

    // Physical registers 0-37.
    uint32_t ReadPhysical(unsigned p) const;
    void WritePhysical(unsigned p, uint32_t value);

    // USER-mode bank (LDM/STM with the S bit).
    uint32_t UserReg(unsigned i) const;
    void SetUserReg(unsigned i, uint32_t v);

    // Exception entry: new CPSR low byte, SPSR of the new mode := old CPSR,
    // r14 of the new mode, PC := vector base + offset.
    void EnterException(Exception e);

    // Dirty flags of the physical registers.
    bool IsDirty(unsigned p) const;
    uint64_t DirtyMask() const;
    void ClearDirty();

private:
    void SwitchMode(Mode to);
    void FoldDirty() const;
    int ActiveSlot(unsigned p) const;
    void Store(unsigned p, uint32_t value);
    void MarkDirty(unsigned p) const { dirtyPhys_ |= uint64_t{1} << p; }

    std::array<uint32_t, kPhysCount> phys_{};
    mutable uint64_t dirtyPhys_ = 0;
};

}  // namespace zk::sim
