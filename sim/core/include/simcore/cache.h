// One side's cache of the simulated core: set-associative, 16-byte lines,
// lockable lines, dirty lines written back on eviction, and a replacement
// order by age of fill (hits do not change ages, so the oldest fill goes
// first and locked lines are never chosen).
//
// Lines are set-major: the ways of set s are lines s * ways to
// s * ways + ways - 1. The set of an address is (address >> 4) & (size /
// ways - 1) >> 4. A cache that is not allocated has no sets: nothing hits
// and nothing can be allocated.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "simcore/sparse_store.h"

namespace zk::sim {

inline constexpr uint32_t kCacheLineBytes = 16;

struct CacheGeometry {
    uint32_t size = 0x2000;  // bytes
    uint32_t ways = 2;

    // At least one way, and size / ways a power of two holding at least one line.
    bool Valid() const;
    uint32_t Sets() const { return ways ? size / ways / kCacheLineBytes : 0; }
};

struct CacheLine {
    uint32_t words[4];
    uint32_t tag;  // the line address (bits 0-3 clear)
    uint32_t age;
    uint8_t valid;
    uint8_t dirty;
    uint8_t lock;
};

// Where lines come from and where dirty lines go: the sparse store, and the
// complement option under which every written-back word is stored
// bit-inverted.
struct LineBacking {
    SparseStore* store = nullptr;
    bool complement = false;

    void WriteBack(const CacheLine& line) const;
};

class Cache {
public:
    explicit Cache(const LineBacking& backing) : backing_(backing) {}
    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    // Zeroed lines for the geometry; false when the geometry is not valid
    // or memory ran out (the cache is then left without lines).
    bool Allocate(const CacheGeometry& geometry);
    void Free();
    bool Allocated() const { return lines_ != nullptr; }
    // The geometry of the allocated lines (sets and ways 0 when none).
    uint32_t Sets() const { return sets_; }
    uint32_t Ways() const { return ways_; }
    uint32_t SetOf(uint32_t addr) const { return (addr >> 4) & setMask_; }

    // The valid line holding addr, or null.
    CacheLine* Lookup(uint32_t addr)
    {
        const uint32_t tag = addr & ~(kCacheLineBytes - 1);
        if (tag == lastTag_)
            return last_;
        return Search(addr);
    }
    // Width 1, 2 or 4 from word (addr & 0xC) of the line, little-endian lanes.
    static uint32_t ReadFrom(const CacheLine& line, uint32_t addr, unsigned width)
    {
        const uint32_t word = line.words[(addr >> 2) & 3];
        if (width == 4)
            return word;
        if (width == 2)
            return (word >> ((addr & 2) * 8)) & 0xFFFF;
        return (word >> ((addr & 3) * 8)) & 0xFF;
    }
    static void WriteInto(CacheLine& line, uint32_t addr, unsigned width, uint32_t value, bool markDirty);

    // Allocates a line for addr and fills it from the store (the victim
    // written back first when dirty); null when every way of the set is
    // locked.
    CacheLine* Fill(uint32_t addr);

    // Invalidation clears valid, dirty, lock and age; "clean" writes a
    // valid dirty line back first.
    void InvalidateAll();
    void CleanInvalidateAll();
    void InvalidateLine(uint32_t addr);
    void CleanInvalidateLine(uint32_t addr);
    // Fills the line of addr when it is absent.
    void Prefetch(uint32_t addr);
    // Set or clear the lock flag of the line of addr when it is present.
    void Lock(uint32_t addr);
    void Unlock(uint32_t addr);

    const CacheLine& Line(uint32_t set, uint32_t way) const { return lines_[set * ways_ + way]; }

    // The "readcache" text of one set, a line per way; nothing when the
    // index is not below the number of sets (the caller then reports the end
    // of the cache).
    std::optional<std::string> ShowSet(uint32_t index) const;

private:
    static constexpr uint32_t kNoTag = 1;  // never a line address

    CacheLine* Search(uint32_t addr);
    void Forget() { lastTag_ = kNoTag; }
    void Invalidate(CacheLine& line);

    struct FreeDeleter {
        void operator()(CacheLine* p) const;
    };
    const LineBacking& backing_;
    std::unique_ptr<CacheLine[], FreeDeleter> lines_;
    uint32_t sets_ = 0;
    uint32_t ways_ = 0;
    uint32_t setMask_ = 0;
    // The line of the last successful lookup: consecutive accesses mostly
    // stay in one line. Forgotten whenever a line changes its tag or validity.
    uint32_t lastTag_ = kNoTag;
    CacheLine* last_ = nullptr;
};

// Text printed when "readcache" runs past the last set.
inline constexpr const char* kCacheEndText = "Reach the end of cache!!!\n";

}  // namespace zk::sim
