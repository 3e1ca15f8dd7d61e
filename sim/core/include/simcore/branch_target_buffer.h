// The branch target buffer: entries of four words, allocated beside the
// caches at init and cleared by a system control coprocessor operation.
// The core does not predict branches, so nothing reads it; it is kept so
// that the coprocessor's operations on it behave as the hardware's do.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

namespace zk::sim {

struct BtbEntry {
    uint32_t valid;
    uint32_t counter;
    uint32_t branchAddress;
    uint32_t target;
};

class BranchTargetBuffer {
public:
    static constexpr unsigned kDefaultEntries = 64;

    // Zeroed entries; false when memory ran out (the buffer is then empty).
    bool Allocate(unsigned entries = kDefaultEntries)
    {
        entries_.reset(new (std::nothrow) BtbEntry[entries]());
        size_ = entries_ ? entries : 0;
        return entries_ != nullptr;
    }
    void Free()
    {
        entries_.reset();
        size_ = 0;
    }
    void Clear()
    {
        for (unsigned i = 0; i < size_; ++i)
            entries_[i] = {};
    }
    unsigned Size() const { return size_; }
    const BtbEntry& Entry(unsigned i) const { return entries_[i]; }

private:
    std::unique_ptr<BtbEntry[]> entries_;
    unsigned size_ = 0;
};

}  // namespace zk::sim
