// The target-RAM protocol between Mirobel and a device's flash routine.
//
// R is the RAM start (word 36). At R the 60-byte parameter block, every word
// byte-reversed; per chunk the destination at R + 0x08 and the length at
// R + 0x0C (byte-reversed), the data at R + 0x40; the routine's result word
// at R + 0x1C (byte-reversed by the routine); the routine itself, the whole
// file byte for byte, at R + 0x9000 with its entry at its first byte. A run
// sets the PC to the entry and goes till the entry: the routine ends by
// coming back to it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "flash_info.h"
#include "mirobel/flash_target.h"

namespace mirobel {

inline constexpr uint32_t kDestinationOffset = 0x08;
inline constexpr uint32_t kLengthOffset = 0x0C;
inline constexpr uint32_t kResultOffset = 0x1C;
inline constexpr uint32_t kChunkOffset = 0x40;
inline constexpr uint32_t kRoutineOffset = 0x9000;
inline constexpr uint32_t kChunkSize = 20480;
inline constexpr uint32_t kEraseLimitMs = 10000;
inline constexpr uint32_t kChunkLimitMs = 4000;
// After a halt, how long the stop's handling is waited for.
inline constexpr uint32_t kHaltSettleMs = 2000;
inline constexpr int kResultReadAttempts = 3;

class FlashProtocol {
public:
    // The record as the dialog gave it, with the operation in word 24.
    FlashProtocol(FlashTarget& target, WaitFn wait, const FlashInfo& info, uint32_t operation);

    // Writes the parameter block to R and the routine to R + 0x9000.
    // Refuses (FLASH_REFUSED, `error` naming the RAM end the routine needs)
    // a routine that does not fit below the RAM end; a failed write gives
    // its result.
    uint32_t Prepare(const std::vector<uint8_t>& routine, std::string& error);
    // One run of the routine as prepared (the erase), within kEraseLimitMs.
    uint32_t Erase();
    // One chunk of the image: `fileOffset` is the chunk's offset in the file.
    uint32_t ProgramChunk(uint32_t fileOffset, const uint8_t* data, uint32_t size);

private:
    // Runs the routine from its entry to its entry. A routine that does not
    // come back within the limit is halted: FLASH_TIMED_OUT.
    uint32_t RunRoutine(uint32_t limitMs);
    uint32_t ReadResult();
    int WriteWord(uint32_t address, uint32_t value);

    FlashTarget& target_;
    WaitFn wait_;
    FlashInfo info_;
};

}  // namespace mirobel
