#include "simcore/cp15.h"

namespace zk::sim {

namespace {

// Bits a write leaves as they were.
constexpr uint32_t kKeepControl = 0x1CC0;  // bits 6, 7, 10, 11, 12
constexpr uint32_t kKeepCacheability = 0xFF000000;
constexpr uint32_t kKeepWriteBuffer = 0xFFFFFF00;
constexpr uint32_t kKeepPermission = 0xFFFF0000;
constexpr uint32_t kKeepRegion = 0xFC0;  // bits 6-11
constexpr uint32_t kKeepLocal = 0x30C;   // bits 2, 3, 8, 9

constexpr uint32_t Merge(uint32_t old, uint32_t value, uint32_t keep)
{
    return (old & keep) | (value & ~keep);
}

// Region register: bit 0 enable, bits 1-5 size field N (size 2^(N+1)
// bytes, at least 4 KB: a smaller field is stored as 11).
constexpr unsigned kRegionMinField = 11;
// Local-memory register: bit 0 enable, bits 4-7 size field M (size 2^(M+2)
// bytes, at least 1 KB: a smaller field is stored as 8).
constexpr unsigned kLocalMinField = 8;

constexpr uint32_t ClampField(uint32_t value, unsigned lsb, uint32_t fieldMask, unsigned min)
{
    if (((value >> lsb) & fieldMask) >= min)
        return value;
    return (value & ~(fieldMask << lsb)) | (min << lsb);
}

ProtectionRegion RegionFrom(uint32_t v)
{
    // N = 31 gives the whole 4 GB: the size needs 33 bits.
    const uint64_t size = uint64_t{1} << (((v >> 1) & 31) + 1);
    return {(v & 1) != 0, static_cast<uint32_t>(v & ~(size - 1)) & ~0xFFFu, size};
}

LocalMemoryWindow LocalFrom(uint32_t v)
{
    return {(v & 1) != 0, v & ~0xFFFu, 1u << (((v >> 4) & 15) + 2)};
}

Protection DataPolicy(uint32_t bits)
{
    switch (bits & 3) {
    case 3: return Protection::WriteBack;
    case 2: return Protection::WriteThrough;
    default: return Protection::NonCacheable;
    }
}

}  // namespace

bool SystemControlCoprocessor::CacheEnabled(Side side) const
{
    const uint32_t bit = side == Side::Instruction ? kCp15ICacheOn : kCp15DCacheOn;
    return (regs_.control & kCp15ProtectionOn) && (regs_.control & bit);
}

bool SystemControlCoprocessor::BtbEnabled() const
{
    return (regs_.control & kCp15ProtectionOn) && (regs_.control & kCp15BtbOn);
}

uint32_t* SystemControlCoprocessor::Find(unsigned crn, unsigned index)
{
    const auto one = [&](uint32_t& reg) { return index == 0 ? &reg : nullptr; };
    const auto of = [&](auto& regs) { return index < regs.size() ? &regs[index] : nullptr; };
    switch (crn) {
    case 0: return one(regs_.id);
    case 1: return one(regs_.control);
    case 2: return one(regs_.cacheability);
    case 3: return one(regs_.writeBuffer);
    case 5: return of(regs_.permission);
    case 6: return of(regs_.region);
    case 8: return of(regs_.localMemory);
    case 9: return one(regs_.cr9);
    case 10: return one(regs_.cr10);
    default: return nullptr;  // CR4 and CR11-CR15 do not exist; CR7 only takes operations
    }
}

bool SystemControlCoprocessor::Read(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode,
                                    uint32_t& value)
{
    if ((regs_.control & kCp15AccessOff) || opcode1 != 0 || opcode2 != 0)
        return false;
    const uint32_t* reg = Find(crn, crm);
    if (!reg)
        return false;
    value = *reg;
    return true;
}

Cp15Write SystemControlCoprocessor::Write(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode mode,
                                          uint32_t value)
{
    if ((regs_.control & kCp15AccessOff) || mode == Mode::User || opcode1 != 0)
        return Cp15Write::Refused;
    if (crn == 7)
        return CacheOperation(crm, opcode2, value) ? Cp15Write::Done : Cp15Write::Refused;
    if (opcode2 != 0)
        return Cp15Write::Refused;
    if (crn == 1 && crm == 0 && (value & kCp15Reset))
        return Cp15Write::ResetRequested;
    if (!WriteRegister(crn, crm, value))
        return Cp15Write::Refused;
    Apply();
    return Cp15Write::Done;
}

bool SystemControlCoprocessor::WriteRegister(unsigned crn, unsigned index, uint32_t value)
{
    uint32_t* reg = Find(crn, index);
    if (!reg)
        return false;
    switch (crn) {
    case 0: return false;  // identification: read-only
    case 1: *reg = Merge(*reg, value, kKeepControl); break;
    case 2: *reg = Merge(*reg, value, kKeepCacheability); break;
    case 3: *reg = Merge(*reg, value, kKeepWriteBuffer); break;
    case 5: *reg = Merge(*reg, value, kKeepPermission); break;
    case 6: *reg = ClampField(Merge(*reg, value, kKeepRegion), 1, 31, kRegionMinField); break;
    case 8: *reg = ClampField(Merge(*reg, value, kKeepLocal), 4, 15, kLocalMinField); break;
    case 9: break;  // accepted, nothing stored
    default: *reg = value; break;
    }
    return true;
}

// CR7: CRm 0 the instruction cache, 1 the data cache, 2 the branch target
// buffer and the instruction local memory, 3 and 4 accepted without effect.
// Prefetch, lock and unlock act only while the side's cache is disabled or
// the address is cacheable.
bool SystemControlCoprocessor::CacheOperation(unsigned crm, unsigned opcode2, uint32_t addr)
{
    MemorySystem& mem = core_.mem;
    const auto lineOp = [&](Side side, unsigned op) {
        if (CacheEnabled(side) && !mem.GetProtectionUnit().Cacheable(side, addr))
            return;
        Cache& cache = mem.CacheOf(side);
        if (op == 0)
            cache.Prefetch(addr);
        if (op == 1)
            cache.Lock(addr);
        if (op == 2)
            cache.Unlock(addr);
    };
    Cache& icache = mem.CacheOf(Side::Instruction);
    Cache& dcache = mem.CacheOf(Side::Data);
    switch (crm) {
    case 0:
        switch (opcode2) {
        case 0: icache.CleanInvalidateAll(); return true;
        case 1: icache.CleanInvalidateLine(addr); return true;
        case 2:
        case 3:
        case 4: lineOp(Side::Instruction, opcode2 - 2); return true;
        default: return false;
        }
    case 1:
        switch (opcode2) {
        case 0: dcache.InvalidateAll(); return true;
        case 1: dcache.CleanInvalidateAll(); return true;
        case 2:
            if (CacheEnabled(Side::Data)) {
                dcache.CleanInvalidateLine(addr);
            } else {
                dcache.InvalidateLine(addr);
            }
            return true;
        case 3:
        case 4:
        case 5: lineOp(Side::Data, opcode2 - 3); return true;
        default: return false;
        }
    case 2:
        switch (opcode2) {
        case 0: btb_.Clear(); return true;
        case 1: instructionLocalLoaded_ = false; return true;
        default: return false;
        }
    case 3:
    case 4: return true;
    default: return false;
    }
}

void SystemControlCoprocessor::Apply()
{
    ProtectionSettings s;
    s.enabled = regs_.control & kCp15ProtectionOn;
    s.cacheEnabled = {CacheEnabled(Side::Instruction), CacheEnabled(Side::Data)};
    for (unsigned r = 0; r < kRegionCount; ++r) {
        s.regions[r] = RegionFrom(regs_.region[r]);
        for (unsigned side = 0; side < 2; ++side) {
            s.permission[side][r] = static_cast<Permission>((regs_.permission[side] >> (2 * r)) & 3);
        }
        s.policy[0][r] = (regs_.cacheability >> (16 + r)) & 1 ? Protection::WriteBack : Protection::NonCacheable;
        s.policy[1][r] = DataPolicy(regs_.cacheability >> (2 * r));
    }
    for (unsigned side = 0; side < 2; ++side)
        s.local[side] = LocalFrom(regs_.localMemory[side]);
    core_.mem.ConfigureProtection(s);
    core_.cpu.vectorBase = regs_.control & kCp15VectorBase;
}

void SystemControlCoprocessor::Reset()
{
    regs_.id = 0x11;
    WriteRegister(1, 0, 0x300);
    WriteRegister(2, 0, 0);
    WriteRegister(3, 0, 0);
    for (unsigned i = 0; i < regs_.permission.size(); ++i)
        WriteRegister(5, i, 0);
    for (unsigned i = 0; i < regs_.region.size(); ++i)
        WriteRegister(6, i, 0);
    for (unsigned i = 0; i < regs_.localMemory.size(); ++i)
        WriteRegister(8, i, 0);
    WriteRegister(10, 0, 0);
    Apply();
}

}  // namespace zk::sim
