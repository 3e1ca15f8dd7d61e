// The system control coprocessor (CP15) of the simulated core: the
// identification register, the control register (protection unit, caches,
// branch target buffer, vector base), cacheability and access permissions
// per region, eight protection regions, the cache and buffer operations of
// CR7 and two local-memory window registers.
//
// Registers are CRn[index], the index being the CRm field of MRC/MCR.
// opcode1 and opcode2 must be 0, except for the operations of CR7. MCR is
// refused in USER mode; both MRC and MCR are refused while control bit 15 is
// set. Every accepted write re-derives the settings of the protection unit,
// the caches and the vector base.
#pragma once

#include <array>
#include <cstdint>

#include "simcore/branch_target_buffer.h"
#include "simcore/coprocessor.h"
#include "simcore/core.h"

namespace zk::sim {

struct Cp15Registers {
    uint32_t id = 0x11;                     // CR0[0]
    uint32_t control = 0;                   // CR1[0]
    uint32_t cacheability = 0;              // CR2[0]
    uint32_t writeBuffer = 0;               // CR3[0]
    std::array<uint32_t, 2> permission{};   // CR5[0] instruction side, CR5[1] data side
    std::array<uint32_t, 8> region{};       // CR6[0..7]
    std::array<uint32_t, 2> localMemory{};  // CR8[0] instruction side, CR8[1] data side
    uint32_t cr9 = 0;
    uint32_t cr10 = 0;
};

// Control register bits.
inline constexpr uint32_t kCp15ProtectionOn = 1u << 0;
inline constexpr uint32_t kCp15BtbOn = 1u << 2;
inline constexpr uint32_t kCp15ICacheOn = 1u << 3;
inline constexpr uint32_t kCp15DCacheOn = 1u << 4;
inline constexpr uint32_t kCp15Reset = 1u << 14;
inline constexpr uint32_t kCp15AccessOff = 1u << 15;
inline constexpr uint32_t kCp15VectorBase = 0xFFFF0000u;

class SystemControlCoprocessor : public Coprocessor15 {
public:
    explicit SystemControlCoprocessor(Core& core) : core_(core) {}

    bool Read(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode mode, uint32_t& value) override;
    // Writing the control register with bit 14 set stores nothing and
    // answers ResetRequested.
    Cp15Write Write(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode mode, uint32_t value) override;

    // CR0 := 0x11; CR1 written with 0x300 and CR2, CR3, CR5, CR6, CR8 and
    // CR10 with 0, each through its write rule (CR9 keeps its value): all
    // regions disabled, protection, caches and buffer off, vector base 0.
    void Reset();

    // The register values, for the coprocessor display (CR7 has none).
    const Cp15Registers& Registers() const { return regs_; }

    // Derived settings: each active only while the protection unit is on.
    bool CacheEnabled(Side side) const;
    bool BtbEnabled() const;

    BranchTargetBuffer& Btb() { return btb_; }
    const BranchTargetBuffer& Btb() const { return btb_; }

    // Cleared by a CR7 operation. The local-memory windows have no storage
    // of their own (the store serves them), so nothing ever loads them.
    bool InstructionLocalMemoryLoaded() const { return instructionLocalLoaded_; }

private:
    uint32_t* Find(unsigned crn, unsigned index);
    bool WriteRegister(unsigned crn, unsigned index, uint32_t value);
    bool CacheOperation(unsigned crm, unsigned opcode2, uint32_t addr);
    void Apply();

    Core& core_;
    Cp15Registers regs_;
    BranchTargetBuffer btb_;
    bool instructionLocalLoaded_ = false;
};

}  // namespace zk::sim
