// The check of a download into the real simulator: target memory from
// `first` to `end` holds objcopy's binary (from `base`) inside the loaded
// sections and the marker byte everywhere else.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "talvis/talvis.h"

namespace quentor::test {

inline constexpr uint8_t UNWRITTEN = 0xA5;

// The bytes that differ (the first five are reported as failures).
inline size_t WrongBytes(uint32_t first, uint32_t end, uint32_t base, const std::string& binary,
                         const std::vector<std::pair<uint32_t, uint32_t>>& loaded)
{
    std::vector<uint8_t> memory(end - first);
    EXPECT_EQ(MemReadBlock(memory.data(), {first, 1}, static_cast<uint32_t>(memory.size())), 0);
    size_t wrong = 0;
    for (uint32_t i = 0; i < memory.size(); ++i) {
        const uint32_t address = first + i;
        const bool inSection = std::any_of(loaded.begin(), loaded.end(),
                                           [&](const auto& r) { return r.first <= address && address < r.second; });
        const uint8_t expected = inSection ? static_cast<uint8_t>(binary[address - base]) : UNWRITTEN;
        if (memory[i] != expected && ++wrong <= 5)
            ADD_FAILURE() << std::hex << "0x" << address << ": 0x" << int(memory[i]) << " for 0x" << int(expected);
    }
    return wrong;
}

}  // namespace quentor::test
