// Every read and write of the simulator, by instructions and by commands,
// goes through this memory system: the access kind picks the instruction or
// data side, the protection unit answers for the address and mode, the side's
// cache serves cacheable lines, and the sparse store backs everything.
//
// The memory system owns both caches and the protection unit; the system
// control coprocessor configures them. While the protection unit is off
// every access is allowed and non-cacheable, so the executors' paths go
// straight to the store.
#pragma once

#include <cstdint>
#include <functional>

#include "simcore/cache.h"
#include "simcore/cpu_state.h"
#include "simcore/protection_unit.h"
#include "simcore/self_modify_list.h"
#include "simcore/sparse_store.h"

namespace zk::sim {

// Access kinds: which side, whether a miss allocates, and what a write does
// to the caches.
enum class AccessKind : uint8_t {
    StoreOnly = 0,         // read and write the store, no protection check
    Fetch = 1,             // instruction side; a read miss allocates
    Data = 2,              // data side; a read miss allocates, writes per region policy
    InvalidateI = 3,       // write: invalidate the instruction-side line, then the store
    InvalidateD = 4,       // write: invalidate the data-side line, then the store
    InvalidateBoth = 5,    // write: as 4, then as 3 (bypasses both caches)
    DebugInstruction = 6,  // read: instruction side, no allocation
    DebugData = 7,         // read: data side, no allocation
};

class MemorySystem {
public:
    // Observer of every write (address, width, the written bytes in a zeroed
    // word), called before the protection check; for the write-data log.
    using WriteHook = std::function<void(uint32_t addr, unsigned width, uint32_t value)>;

    MemorySystem() = default;
    MemorySystem(const MemorySystem&) = delete;
    MemorySystem& operator=(const MemorySystem&) = delete;

    SparseStore& Store() { return store_; }
    const SparseStore& Store() const { return store_; }

    // 1 on success, 0 when the protection unit refuses the access.
    bool Read(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t& out);
    bool Write(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t value);

    // The executors' paths: instruction fetch (kind 1) and data access (kind 2).
    bool Fetch(uint32_t addr, Mode mode, unsigned width, uint32_t& out)
    {
        if (direct_) {
            out = store_.Read(addr, width);
            return true;
        }
        return ReadSide<Side::Instruction, true>(addr, mode, width, out);
    }
    // Load and StoreData are inlined into the executors' handlers, where the
    // width is a constant: the direct path then costs a table look-up.
    [[gnu::always_inline]] bool Load(uint32_t addr, Mode mode, unsigned width, uint32_t& out)
    {
        if (direct_) [[likely]] {
            out = store_.Read(addr, width);
            return true;
        }
        return ReadSide<Side::Data, true>(addr, mode, width, out);
    }
    [[gnu::always_inline]] bool StoreData(uint32_t addr, Mode mode, unsigned width, uint32_t value)
    {
        if (direct_) [[likely]]
            return store_.Write(addr, width, value);
        // Through the protection unit and the data cache; a write observer
        // or the self-modify check takes the full path.
        if (!observed_)
            return WriteCached<Side::Data>(addr, mode, width, width == 4 ? value : value & ((1u << 8 * width) - 1));
        return Write(addr, mode, AccessKind::Data, width, value);
    }
    // True when every access goes straight to the store.
    bool Direct() const { return direct_; }

    // The protection unit; the system control coprocessor configures it.
    const ProtectionUnit& GetProtectionUnit() const { return protection_; }
    void ConfigureProtection(const ProtectionSettings& settings);

    Cache& CacheOf(Side side) { return side == Side::Instruction ? icache_ : dcache_; }
    const Cache& CacheOf(Side side) const { return side == Side::Instruction ? icache_ : dcache_; }

    // The complement option: every word of a line written back from a
    // cache is stored bit-inverted.
    void SetComplementOnWriteBack(bool on) { backing_.complement = on; }
    bool ComplementOnWriteBack() const { return backing_.complement; }

    void SetWriteHook(WriteHook hook);

    // The self-modify check: while on, every write adds its word address.
    void SetSelfModifyCheck(bool on);
    bool SelfModifyCheck() const { return selfModifyOn_; }
    SelfModifyList& SelfModified() { return selfModified_; }
    const SelfModifyList& SelfModified() const { return selfModified_; }

private:
    template <Side kSide, bool kAllocate>
    bool ReadSide(uint32_t addr, Mode mode, unsigned width, uint32_t& out);
    template <Side kSide>
    bool WriteCached(uint32_t addr, Mode mode, unsigned width, uint32_t value);
    template <Side kSide>
    bool WriteInvalidating(uint32_t addr, Mode mode, unsigned width, uint32_t value);
    void UpdateDirect();

    SparseStore store_;
    LineBacking backing_{&store_};
    Cache icache_{backing_};
    Cache dcache_{backing_};
    ProtectionUnit protection_;
    WriteHook writeHook_;
    bool selfModifyOn_ = false;
    SelfModifyList selfModified_;
    bool direct_ = true;
    bool observed_ = false;  // a write observer or the self-modify check is on
};

// A read through one side: refused, or served by the side's cache when the
// answer is cacheable, else by the store. A miss allocates only for kinds 1
// and 2; when no way can be allocated the store is read.
template <Side kSide, bool kAllocate>
inline bool MemorySystem::ReadSide(uint32_t addr, Mode mode, unsigned width, uint32_t& out)
{
    const Protection p = protection_.Check(kSide, addr, mode, false);
    if (p == Protection::WriteBack || p == Protection::WriteThrough) [[likely]] {
        Cache& cache = CacheOf(kSide);
        const CacheLine* line = cache.Lookup(addr);
        if (kAllocate && !line)
            line = cache.Fill(addr);
        out = line ? Cache::ReadFrom(*line, addr, width) : store_.Read(addr, width);
        return true;
    }
    if (p == Protection::Refused)
        return false;
    out = store_.Read(addr, width);
    return true;
}

// Write-back: into the line, marked dirty, allocating on a miss; the store
// only when no way can be allocated. Write-through: into the line when it
// is there (not dirty), and always the store.
template <Side kSide>
inline bool MemorySystem::WriteCached(uint32_t addr, Mode mode, unsigned width, uint32_t value)
{
    const Protection p = protection_.Check(kSide, addr, mode, true);
    if (p == Protection::Refused)
        return false;
    Cache& cache = CacheOf(kSide);
    if (p == Protection::WriteBack) {
        CacheLine* line = cache.Lookup(addr);
        if (!line)
            line = cache.Fill(addr);
        if (line) {
            Cache::WriteInto(*line, addr, width, value, true);
            return true;
        }
    } else if (p == Protection::WriteThrough) {
        if (CacheLine* line = cache.Lookup(addr))
            Cache::WriteInto(*line, addr, width, value, false);
    }
    return store_.Write(addr, width, value);
}

}  // namespace zk::sim
