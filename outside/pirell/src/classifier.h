// The classifier proper: one instruction, decoded through the encoding
// table's rows, with the instruction before it (and for Thumb the halfword
// after it) where a rule needs them.
#pragma once

#include <cstdint>
#include <optional>

#include "pirell/pirell.h"

namespace pirell {

struct Classified {
    DWORD kind = DAD_KIND_PLAIN;
    DWORD length = 4;
    DWORD target = DAD_TARGET_UNKNOWN;
};

Classified ClassifyArm(uint32_t word, uint32_t address, std::optional<uint32_t> previous);
Classified ClassifyThumb(uint16_t halfword, std::optional<uint16_t> next, uint32_t address,
                         std::optional<uint16_t> previous);

// The register a "bx" branches to, or nothing for another instruction.
std::optional<uint32_t> ArmBxRegister(uint32_t word);
std::optional<uint32_t> ThumbBxRegister(uint16_t halfword);

}  // namespace pirell
