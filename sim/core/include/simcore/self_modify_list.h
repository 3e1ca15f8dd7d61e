// Word addresses written while the self-modify check is on. The run loop
// stops before executing an instruction whose word is in the set. Adding and
// looking up cost the same however many words the set holds (a bitmap per
// 4 KB page behind a hash map), and the addresses come out in ascending order
// without duplicates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace zk::sim {

class SelfModifyList {
public:
    void Add(uint32_t addr)
    {
        Bits& bits = PageFor(addr >> 12);
        const uint32_t word = (addr >> 2) & 1023;
        uint64_t& chunk = bits[word >> 6];
        const uint64_t bit = uint64_t{1} << (word & 63);
        if (!(chunk & bit)) {
            chunk |= bit;
            ++size_;
        }
    }
    bool Contains(uint32_t addr) const
    {
        if (size_ == 0)
            return false;
        const Bits* bits = FindPage(addr >> 12);
        if (!bits)
            return false;
        const uint32_t word = (addr >> 2) & 1023;
        return ((*bits)[word >> 6] >> (word & 63)) & 1;
    }
    void Clear();
    size_t Size() const { return size_; }
    // The word addresses (bits 0-1 clear), ascending.
    std::vector<uint32_t> Addresses() const;

private:
    using Bits = std::array<uint64_t, 16>;
    Bits& PageFor(uint32_t page);
    const Bits* FindPage(uint32_t page) const;

    std::unordered_map<uint32_t, std::unique_ptr<Bits>> pages_;
    mutable uint32_t lastPage_ = 0;
    mutable Bits* last_ = nullptr;
    size_t size_ = 0;
};

}  // namespace zk::sim
