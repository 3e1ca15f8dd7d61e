// What the developer tools (ldrdump) show of the tables tarnel keeps for
// the image loaded last: its instruction-set runs and its frame entries.
#pragma once

#include <cstdint>
#include <vector>

namespace tarnel {

// A run of addresses of one instruction set.
struct CodeSpan {
    uint32_t first = 0;
    uint32_t last = 0;  // inclusive
    bool thumb = false;
};

// The runs over [first, last], address by address in steps of 2, as
// LdrIsInThumbRange answers them.
std::vector<CodeSpan> CodeSpansOver(uint32_t first, uint32_t last);

// One FDE of .debug_frame: its code range, its CIE and the registers its
// DW_CFA_offset rules save, in their order.
struct FdeSummary {
    uint32_t first = 0;
    uint32_t last = 0;  // inclusive; below first for an empty range
    uint32_t cieOffset = 0;
    std::vector<uint32_t> savedRegisters;
};

std::vector<FdeSummary> LoadedFdes();

}  // namespace tarnel
