// The flash programmer's settings record and results, shared by Mirobel and
// the programs that keep or show them.
//
// `FlashInfo` is fifteen 32-bit words. On disk (device.ini's "FlashInfo"
// value) it is little-endian whatever the host; in target RAM every word is
// byte-reversed (the parameter block the flash routine reads).
#pragma once

#include <cstddef>
#include <cstdint>

struct FlashInfo {
    uint32_t flashStart = 0x2800000;   // "Flash start:"
    uint32_t flashSize = 0x200000;     // "Flash size:"
    uint32_t flashOffset = 0x2800000;  // where the image's first byte goes; per chunk, its destination
    uint32_t length = 0;               // per chunk, its length in bytes
    uint32_t device = 0;               // maker index in bits 24-31, device index in bits 0-23
    uint32_t portSize = 0;             // 0 "8 Bits", 1 "16 Bits" (read by the routine only)
    uint32_t operation = 0;            // FLASH_OP_*
    uint32_t result = 0;               // written by the routine: 0 success
    uint32_t reserved0 = 0;
    uint32_t ramStart = 0;     // "RAM Range:" (R: where the block, chunk and routine go)
    uint32_t ramEnd = 0x1FFF;  // "to:" (the last byte)
    uint32_t reserved1[4] = {};
};
static_assert(sizeof(FlashInfo) == 60, "FlashInfo is fifteen 32-bit words");

inline constexpr size_t FLASH_INFO_WORDS = 15;

// Word 24's operations.
inline constexpr uint32_t FLASH_OP_ERASE = 0;
inline constexpr uint32_t FLASH_OP_PROGRAM = 1;

// Results of Erase and Flash. Only zero and non-zero are told apart; any
// other value is the first failure met (a target call's result, or the
// routine's own result word).
inline constexpr uint32_t FLASH_OK = 0;
inline constexpr uint32_t FLASH_TIMED_OUT = 3;    // the routine did not come back in time
inline constexpr uint32_t FLASH_FILE_ERROR = 18;  // the image or the routine cannot be read, or is empty
// Results of this system besides those: the operation did not start (another
// one runs, or the routine does not fit below the RAM end), a cancel before
// the whole image was programmed, a run that did not come back.
inline constexpr uint32_t FLASH_REFUSED = 0xFFFFFFFFu;
inline constexpr uint32_t FLASH_CANCELLED = 0xFFFFFFFEu;
// The routine's run stopped away from its entry (a fault, a breakpoint): its
// result word was not written.
inline constexpr uint32_t FLASH_NOT_BACK = 0xFFFFFFFDu;

// Word 16 from and to the two list positions.
inline constexpr uint32_t FlashDeviceWord(uint32_t maker, uint32_t device)
{
    return (maker & 0xFFu) << 24 | (device & 0xFFFFFFu);
}
inline constexpr uint32_t FlashMakerIndex(uint32_t word)
{
    return word >> 24;
}
inline constexpr uint32_t FlashDeviceIndex(uint32_t word)
{
    return word & 0xFFFFFFu;
}
