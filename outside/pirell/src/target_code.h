// Instructions read from target memory (talvis) in the target's byte order
// (vexlor), and the instruction set of an address (the loader's answer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace pirell {

bool BigEndianTarget();
bool IsThumbCode(uint32_t address);

// The disassembly mode (DAD_MODE_*) of the listing and the line assembler,
// and the code set it gives an address: the loader's answer in mixed mode.
int DisassemblyMode();
void SetDisassemblyMode(int mode);
bool IsThumbInMode(uint32_t address);

// A halfword or word of `bytes` in the given byte order.
uint32_t CodeValue(const uint8_t* bytes, size_t width, bool bigEndian);

// An instruction of `width` bytes at `address`: 0, or the memory library's
// failure.
int ReadInstruction(uint32_t address, size_t width, uint32_t* value);
// The same, nothing when it cannot be read (or lies below address 0).
std::optional<uint32_t> InstructionAt(int64_t address, size_t width);

// A Thumb halfword read as a 32-bit value, where there is one.
inline std::optional<uint16_t> Half(std::optional<uint32_t> value)
{
    if (!value)
        return std::nullopt;
    return static_cast<uint16_t>(*value);
}

}  // namespace pirell
