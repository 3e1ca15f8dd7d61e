// Pre-decoded instructions of one 4 KB page of the store: for each word the
// ARM handler its encoding selects, for each halfword the Thumb handler,
// each with the encoding it was decoded from and what the run loop needs to
// know about it. Empty flags mark a slot not decoded yet (or one the full
// pass always takes). The store empties a word's slots whenever that word is
// written, so a slot with flags always matches the store's contents.
#pragma once

#include <cstdint>

namespace zk::sim {

struct Core;

using InstructionHandler = int (*)(Core&, uint32_t);

// What the run loop knows of a decoded instruction before it executes it.
enum SlotFlag : uint8_t {
    // Decoded and runnable from the slot: not a normal-end or break word.
    kSlotRunnable = 1,
    // Never writes r15, the state, the mode or the memory map: unless it
    // raises an exception, execution goes on with the next instruction.
    kSlotStraight = 2,
};

struct DecodedSlot {
    InstructionHandler handler;
    uint32_t word;
    uint8_t flags;
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
        arm[w].flags = 0;
        arm[w].handler = nullptr;
        thumb[2 * w].flags = 0;
        thumb[2 * w].handler = nullptr;
        thumb[2 * w + 1].flags = 0;
        thumb[2 * w + 1].handler = nullptr;
    }
};

// The flags of an ARM word and of a Thumb halfword, read through the rows of
// the encoding tables.
uint8_t ArmSlotFlags(uint32_t word);
uint8_t ThumbSlotFlags(uint32_t halfword);

}  // namespace zk::sim
