// Pre-decoded instructions of one 4 KB page of the store: for each word the
// ARM handler its encoding selects, for each halfword the Thumb handler,
// each with the encoding it was decoded from. An empty handler is a slot not
// decoded yet. The store empties a word's slots whenever that word is
// written, so a slot with a handler always matches the store's contents.
#pragma once

#include <cstdint>

namespace zk::sim {

struct Core;

using InstructionHandler = int (*)(Core&, uint32_t);

struct DecodedSlot {
    InstructionHandler handler;
    uint32_t word;
};

struct DecodedPage {
    static constexpr unsigned kArmSlots = 1024;
    static constexpr unsigned kThumbSlots = 2048;
    DecodedSlot arm[kArmSlots];
    DecodedSlot thumb[kThumbSlots];

    // Empties the slots of the word at addr & ~3 (one ARM, two Thumb).
    void Forget(uint32_t addr)
    {
        const uint32_t w = (addr >> 2) & (kArmSlots - 1);
        arm[w].handler = nullptr;
        thumb[2 * w].handler = nullptr;
        thumb[2 * w + 1].handler = nullptr;
    }
};

}  // namespace zk::sim
