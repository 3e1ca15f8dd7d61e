// The stopped target as the test executable stands in for it: the CPU
// model's registers, PC and byte order and the memory library's reads
// answer from this record.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>

namespace quinar::test {

struct FakeStop {
    uint32_t regs[18] = {};
    bool targetGone = false;  // registers and PC do not answer
    int goneResult = -1;      // what they answer then (EMU_TARGET_LOST: the connection is lost)
    bool bigEndian = false;
    std::map<uint32_t, uint8_t> memory;
    std::set<uint32_t> unreadable;
    void Poke(uint32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            memory[address++] = b;
    }
    // A word in the target's byte order.
    void PokeWord(uint32_t address, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            memory[address + i] = static_cast<uint8_t>(value >> (8 * (bigEndian ? 3 - i : i)));
    }
};

FakeStop& Stop();

}  // namespace quinar::test
