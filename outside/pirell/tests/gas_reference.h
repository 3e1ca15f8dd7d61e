// The toolchain's assembler as the reference for the line assembler: lines
// assembled by arm-none-eabi-as for the ARM7TDMI, linked at an address, and
// the bytes of the linked code. A missing tool or a refused line fails the
// test that asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pirell::test {

// The code of `lines` (ARM, or Thumb with `thumb`) placed from `address`.
std::vector<uint8_t> GasCode(const std::vector<std::string>& lines, bool thumb, uint32_t address);

}  // namespace pirell::test
