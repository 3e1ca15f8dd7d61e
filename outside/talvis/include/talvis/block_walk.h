// The memory test of a range as the program runs it: the range cut into
// blocks on 256-byte boundaries (the first from the start to the next
// boundary or the end, then 256-byte blocks), each block given to
// MemTestRange as a cell test, with progress after each block and a
// cancel query before each one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "emu_types.h"

namespace talvis {

inline constexpr uint32_t TEST_BLOCK = 256;

struct BlockWalkOutcome {
    // The last block's text ("Test Successful!" when every block passed), or
    // the text of the first block that failed; empty when cancelled before
    // any block.
    std::string text;
    bool passed = false;     // the text says the test succeeded
    bool cancelled = false;  // the cancel query ended the walk
    uint32_t blocks = 0;     // blocks tested
};

// The number of blocks of [start, end] (end inclusive; 0 for an empty or
// reversed range).
uint32_t TestBlockCount(uint32_t start, uint32_t end);

// width: 0 byte, 1 halfword, 2 word accesses. progress gets block x 100 /
// count after each block; cancelled (may be empty) is asked before each.
BlockWalkOutcome TestRangeInBlocks(ADDR start, ADDR end, int width, const std::function<bool()>& cancelled,
                                   const std::function<void(int percent)>& progress);

}  // namespace talvis
