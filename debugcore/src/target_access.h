// Target registers and memory as the semihosting service and the run
// control use them: words in the target's byte order, bounded transfers in
// chunks, registers by simulator number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "emu_types.h"

namespace sarvik {

// The CPSR's Thumb bit and mode field.
inline constexpr uint32_t CPSR_THUMB = 0x20;
inline constexpr uint32_t CPSR_MODE_MASK = 0x1F;
inline constexpr uint32_t CPSR_MODE_SVC = 0x13;
inline constexpr uint32_t CPSR_IRQ_FIQ_DISABLE = 0xC0;

bool BigEndianTarget();

// `count` words at `address` in the target's byte order. 0 or the memory
// library's failure.
int ReadTargetWords(uint32_t address, uint32_t* words, size_t count);
int WriteTargetWords(uint32_t address, const uint32_t* words, size_t count);
// A halfword (Thumb instruction) in the target's byte order.
int ReadTargetHalf(uint32_t address, uint16_t& value);

// Plain bytes.
int ReadTargetBytes(uint32_t address, void* buffer, uint32_t count);
int WriteTargetBytes(uint32_t address, const void* buffer, uint32_t count);

// A text of exactly `length` bytes at `address` (a name with its length);
// the host copy ends at the first zero byte. False when the memory cannot
// be read.
bool ReadTargetText(uint32_t address, uint32_t length, std::string& text);

// Registers by simulator number (SimRegNumber).
int GetTargetReg(int number, uint32_t& value);
int SetTargetReg(int number, uint32_t value);

// The PC's offset aligned to the code at it: Thumb code (the loader's
// answer) to a halfword, ARM code to a word.
uint32_t AlignToCode(uint32_t offset);

}  // namespace sarvik
