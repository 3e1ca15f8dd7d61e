// Every read and write of the simulator, by instructions and by commands,
// goes through this memory system: the access kind picks the instruction or
// data side, the protection unit answers for the address and mode, the side's
// cache serves cacheable lines, and the sparse store backs everything.
//
// The protection unit and the caches are plugged in from outside (the system
// control coprocessor owns them). With no protection unit installed the
// protection is off: every access is allowed and non-cacheable, so the
// accesses go straight to the store. Install a unit only while the control
// register enables it; that keeps the executors on their direct path.
#pragma once

#include <cstdint>
#include <functional>

#include "simcore/cpu_state.h"
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

enum class Side : uint8_t { Instruction, Data };

// The protection unit's answer for one access.
enum class Protection : int8_t {
    Refused = -1,
    NonCacheable = 0,
    WriteBack = 1,     // cacheable (the instruction side's only cacheable policy)
    WriteThrough = 2,
    LocalMemory = 3,   // inside an enabled local-memory window: served by the store
};

class ProtectionUnit {
public:
    virtual ~ProtectionUnit() = default;
    virtual Protection Check(Side side, uint32_t addr, Mode mode, bool write) = 0;
};

// One side's cache, as the access routines use it. Lines are 16 bytes; a
// line written back goes to the store the cache was built over.
class CacheModel {
public:
    virtual ~CacheModel() = default;
    // Reads width bytes when the line holding addr is valid.
    virtual bool ReadHit(uint32_t addr, unsigned width, uint32_t& out) = 0;
    // Allocates and fills the line of addr; false when every way of its set is locked.
    virtual bool Fill(uint32_t addr) = 0;
    // Writes width bytes into the line when it is valid.
    virtual bool WriteHit(uint32_t addr, unsigned width, uint32_t value, bool markDirty) = 0;
    // Writes the line back when valid and dirty, then invalidates it.
    virtual void CleanInvalidateLine(uint32_t addr) = 0;
};

class MemorySystem {
public:
    // Observer of every write (address, width, the written bytes in a zeroed
    // word), called before the protection check; for the write-data log.
    using WriteHook = std::function<void(uint32_t addr, unsigned width, uint32_t value)>;

    SparseStore& Store() { return store_; }
    const SparseStore& Store() const { return store_; }

    // 1 on success, 0 when the protection unit refuses the access.
    bool Read(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t& out);
    bool Write(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t value);

    // The executors' paths: instruction fetch (kind 1) and data access (kind 2).
    bool Fetch(uint32_t addr, Mode mode, unsigned width, uint32_t& out) {
        if (direct_) {
            out = store_.Read(addr, width);
            return true;
        }
        return Read(addr, mode, AccessKind::Fetch, width, out);
    }
    bool Load(uint32_t addr, Mode mode, unsigned width, uint32_t& out) {
        if (direct_) {
            out = store_.Read(addr, width);
            return true;
        }
        return Read(addr, mode, AccessKind::Data, width, out);
    }
    bool StoreData(uint32_t addr, Mode mode, unsigned width, uint32_t value) {
        if (direct_) return store_.Write(addr, width, value);
        return Write(addr, mode, AccessKind::Data, width, value);
    }
    // True when every access goes straight to the store.
    bool Direct() const { return direct_; }

    void SetProtectionUnit(ProtectionUnit* unit);
    ProtectionUnit* GetProtectionUnit() const { return protection_; }
    void SetCaches(CacheModel* instruction, CacheModel* data);
    void SetWriteHook(WriteHook hook);

    // The self-modify check: while on, every write adds its word address.
    void SetSelfModifyCheck(bool on);
    bool SelfModifyCheck() const { return selfModifyOn_; }
    SelfModifyList& SelfModified() { return selfModified_; }
    const SelfModifyList& SelfModified() const { return selfModified_; }

private:
    Protection Ask(Side side, uint32_t addr, Mode mode, bool write);
    CacheModel* CacheOf(Side side) const { return side == Side::Instruction ? icache_ : dcache_; }
    bool ReadSide(Side side, bool allocate, uint32_t addr, Mode mode, unsigned width, uint32_t& out);
    bool WriteCached(Side side, uint32_t addr, Mode mode, unsigned width, uint32_t value);
    bool WriteInvalidating(Side side, uint32_t addr, Mode mode, unsigned width, uint32_t value);
    void UpdateDirect();

    SparseStore store_;
    ProtectionUnit* protection_ = nullptr;
    CacheModel* icache_ = nullptr;
    CacheModel* dcache_ = nullptr;
    WriteHook writeHook_;
    bool selfModifyOn_ = false;
    SelfModifyList selfModified_;
    bool direct_ = true;
};

}  // namespace zk::sim
