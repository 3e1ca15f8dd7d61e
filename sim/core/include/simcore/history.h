// The execution history: a ring of the last four instructions, written after
// every instruction (and for a refused fetch), newest first.
#pragma once

#include <array>
#include <cstdint>

namespace zk::sim {

struct HistoryRecord {
    uint32_t pc = 0;
    uint32_t word = 0;  // the instruction (0 for a refused fetch)
    int32_t code = 0;   // the executor's result code
    bool valid = false;
};

class History {
public:
    static constexpr unsigned kSize = 4;

    void Record(uint32_t pc, uint32_t word, int32_t code)
    {
        head_ = (head_ + 1) & (kSize - 1);
        ring_[head_] = {pc, word, code, true};
    }
    // back = 1 is the newest record, 4 the oldest.
    const HistoryRecord& Back(unsigned back) const { return ring_[(head_ + kSize + 1 - back) & (kSize - 1)]; }

    // The run loop keeps the index of the newest record in a register and
    // hands it back whenever anything else may look at the ring.
    unsigned Head() const { return head_; }
    void SetHead(unsigned head) { head_ = head & (kSize - 1); }
    void Put(unsigned slot, uint32_t pc, uint32_t word, int32_t code)
    {
        ring_[slot & (kSize - 1)] = {pc, word, code, true};
    }
    const HistoryRecord& At(unsigned slot) const { return ring_[slot & (kSize - 1)]; }
    HistoryRecord& Slot(unsigned slot) { return ring_[slot & (kSize - 1)]; }
    void Clear()
    {
        ring_.fill({});
        head_ = 0;
    }

private:
    std::array<HistoryRecord, kSize> ring_{};
    unsigned head_ = 0;
};

}  // namespace zk::sim
