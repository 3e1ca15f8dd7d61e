// The simulated target's memory: one flat 4 GB little-endian address space
// backed by a sparse word store. Unwritten memory reads 0; reads never
// allocate; a write allocates the storage of its word. Storage is kept in
// 4 KB pages found through a table indexed by address bits 12-31. A page
// from which instructions ran also has its pre-decoded slots; every write
// empties the slots of the word it reaches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "simcore/decoded_page.h"

namespace zk::sim {

class SparseStore {
public:
    static constexpr unsigned kPageBits = 12;
    static constexpr uint32_t kPageWords = (1u << kPageBits) / 4;
    static constexpr size_t kPageCount = size_t{1} << (32 - kPageBits);

    SparseStore();
    ~SparseStore();
    SparseStore(const SparseStore&) = delete;
    SparseStore& operator=(const SparseStore&) = delete;

    // The word at addr & ~3.
    uint32_t ReadWord(uint32_t addr) const
    {
        const uint32_t* page = pages_[addr >> kPageBits];
        return page ? page[(addr >> 2) & (kPageWords - 1)] : 0;
    }
    // Byte lane addr & 3, halfword lane addr & 2, or the word at addr & ~3.
    uint32_t Read(uint32_t addr, unsigned width) const
    {
        const uint32_t word = ReadWord(addr);
        if (width == 4)
            return word;
        if (width == 2)
            return (word >> ((addr & 2) * 8)) & 0xFFFF;
        return (word >> ((addr & 3) * 8)) & 0xFF;
    }

    // Writes the word at addr & ~3; false when no storage could be had.
    bool WriteWord(uint32_t addr, uint32_t value)
    {
        uint32_t* page = pages_[addr >> kPageBits];
        if (!page && !(page = Allocate(addr)))
            return false;
        page[(addr >> 2) & (kPageWords - 1)] = value;
        ForgetDecoded(addr);
        return true;
    }
    // Writes the width's lane; the other bytes of the word are untouched.
    bool Write(uint32_t addr, unsigned width, uint32_t value)
    {
        if (width == 4)
            return WriteWord(addr, value);
        uint32_t* page = pages_[addr >> kPageBits];
        if (!page && !(page = Allocate(addr)))
            return false;
        uint32_t& word = page[(addr >> 2) & (kPageWords - 1)];
        const unsigned shift = (width == 2 ? (addr & 2) : (addr & 3)) * 8;
        const uint32_t lane = (width == 2 ? 0xFFFFu : 0xFFu) << shift;
        word = (word & ~lane) | ((value << shift) & lane);
        ForgetDecoded(addr);
        return true;
    }

    // A 16-byte line (four words from addr & ~15), unwritten words 0.
    void ReadLine(uint32_t addr, uint32_t out[4]) const;
    bool WriteLine(uint32_t addr, const uint32_t in[4]);

    // Copies bytes in and out (loaders, tests); reads give 0 where unwritten.
    bool WriteBytes(uint32_t addr, const uint8_t* data, size_t size);
    void ReadBytes(uint32_t addr, uint8_t* data, size_t size) const;

    // Forgets every word.
    void Clear();
    // Whether storage exists for the word at addr.
    bool IsAllocated(uint32_t addr) const { return pages_[addr >> kPageBits] != nullptr; }
    size_t AllocatedPages() const { return allocated_; }

    // The pre-decoded slots of the page holding addr, created empty on first
    // use (null when no memory could be had). They stay until Clear().
    DecodedPage* Decoded(uint32_t addr)
    {
        DecodedPage* page = decoded_[addr >> kPageBits];
        return page ? page : AllocateDecoded(addr);
    }
    // Empties every pre-decoded slot (the instructions are decoded afresh).
    void ForgetAllDecoded();

private:
    uint32_t* Allocate(uint32_t addr);
    DecodedPage* AllocateDecoded(uint32_t addr);
    void ForgetDecoded(uint32_t addr)
    {
        if (DecodedPage* page = decoded_[addr >> kPageBits]) [[unlikely]]
            page->Forget(addr);
    }

    struct FreeDeleter {
        void operator()(void* p) const;
    };
    std::unique_ptr<uint32_t*[], FreeDeleter> pages_;
    size_t allocated_ = 0;
    std::unique_ptr<DecodedPage*[], FreeDeleter> decoded_;
    size_t decodedPages_ = 0;
};

}  // namespace zk::sim
