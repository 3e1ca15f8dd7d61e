// Known differences between the simulator and qemu-system-arm. The simulator
// models the ARM7TDMI; qemu's ARMv4T model differs in a few corners. Each
// difference is recognised before the instruction runs, counted, and after it
// the simulator takes over qemu's outcome so that the comparison goes on.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "simcore/simulator.h"

namespace zk::tools {

enum class Category : unsigned {
    StorePc,        // STR/STRH/STM of r15: PC + 12 here, PC + 8 in qemu
    ShiftedPcRead,  // r15 as Rm or Rn of a register-shifted operand: PC + 12 here, PC + 8 in qemu
    UnalignedWord,  // LDR at an unaligned address: rotated word here, unaligned bytes in qemu
    UnalignedHalf,  // LDRH/LDRSH at an odd address: halfword lane here, unaligned bytes in qemu
    NvCondition,    // condition NV: never executed here, undefined instruction in qemu
    Count
};

struct CategoryInfo {
    std::string_view id;
    std::string_view text;
};

inline constexpr std::array<CategoryInfo, static_cast<size_t>(Category::Count)> kCategories = {{
    {"store-pc", "store of r15: PC+12 here, PC+8 in qemu"},
    {"shifted-pc-read", "r15 read by a register-shifted operand: PC+12 here, PC+8 in qemu"},
    {"unaligned-ldr", "unaligned LDR: rotated word here, unaligned read in qemu"},
    {"unaligned-halfword", "LDRH/LDRSH at an odd address: halfword lane here, unaligned read in qemu"},
    {"nv-condition", "NV condition: never executed here, undefined instruction in qemu"},
}};

using CategorySet = uint32_t;
constexpr CategorySet Bit(Category c)
{
    return 1u << static_cast<unsigned>(c);
}

// The categories the instruction at the PC falls into, from the state
// before it runs.
CategorySet Classify(const sim::Simulator& sim);

}  // namespace zk::tools
