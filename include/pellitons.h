// The probe command server libPellitons.so: one command packet in, one reply
// packet out, through `do_command`.
//
// Packet: byte 0 the sync byte (selects a connection entry), byte 1 the
// command code, command data from byte 2. Reply: bytes 0 and 1 copy the
// packet's, byte 2 the flags, byte 3 the status, reply data from byte 4, and
// after the last byte (at most byte 289) the checksum: the two's complement
// of the 8-bit sum of bytes 1 to length - 1. Multi-byte numbers are
// big-endian. A reply buffer must hold kPelMaxReply + 1 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kPelMaxReply = 290;  // bytes before the checksum

// The most bytes the server reads of a packet: command 64's data from byte 11
// with its 16-bit length. Other commands read less, as their own counts give
// (PelPacketBytes).
inline constexpr size_t kPelMaxPacket = 11 + 0xFFFF;

// Reply byte 2.
inline constexpr uint8_t kPelFlagRefused = 0x80;      // refused before a handler, or no family
inline constexpr uint8_t kPelFlagTargetFault = 0x08;  // the target check failed
inline constexpr uint8_t kPelFlagHalted = 0x04;

// Reply byte 3.
enum PelStatus : uint8_t {
    PEL_OK = 0,
    PEL_TARGET_CHECK = 2,
    PEL_NO_CONNECTION = 6,
    PEL_VERIFY = 7,
    PEL_FAULT = 11,
    PEL_NOT_SERVED = 13,
    PEL_TOO_LONG = 14,
    PEL_INIT_FAILED = 16,
    PEL_EXCEPTION = 17,
    PEL_NOT_DEBUG_MODE = 22,
    PEL_NO_SERIAL_ICE = 23,
    PEL_NOT_SET_UP = 24,
    PEL_NO_DEVICE = 25,
    PEL_NO_ENET = 26,
    PEL_NO_HP = 27,
    PEL_HP_FAILED = 28,
    PEL_BUSY = 29,
    PEL_NO_TEMPLATE = 31,
    PEL_NO_LA = 32,
    PEL_ERROR_FLAG = 33,
    PEL_SERIAL_ICE_FAILED = 35,
    PEL_NO_USB = 36,
};

enum PelCommand : uint8_t {
    PEL_GET_VERSION = 1,
    PEL_SET_BAUD_RATE = 2,
    PEL_INITIALIZE_TARGET = 16,
    PEL_SET_SPEED = 17,
    PEL_SET_FUNCTION_CODE = 20,
    PEL_SET_CONTROL_FLAGS = 21,
    PEL_SET_REGISTER_BUFFER = 22,
    PEL_SET_RUN_CONTROL = 25,
    PEL_SELECT_TEMPLATE = 26,
    PEL_RUN_FROM_PC = 32,
    PEL_RUN_FROM_ADDRESS = 33,
    PEL_STOP = 34,
    PEL_RESET_AND_RUN = 35,
    PEL_RESET_AND_HALT = 36,
    PEL_STEP = 37,
    PEL_READ_REGISTER = 48,
    PEL_WRITE_REGISTER = 49,
    PEL_READ_MEMORY = 50,
    PEL_WRITE_MEMORY = 51,
    PEL_FILL_MEMORY = 52,
    PEL_MOVE_MEMORY = 53,
    PEL_READ_MEMORY_1 = 54,
    PEL_WRITE_MEMORY_1 = 55,
    PEL_READ_STATE = 56,
    PEL_SET_SCATTER = 57,
    PEL_READ_SCATTER = 58,
    PEL_WRITE_SCATTER = 59,
    PEL_STEP_WITH_STATE = 60,
    PEL_WRITE_LARGE = 64,
    PEL_READ_LARGE = 65,
    PEL_STEP_COUNT = 72,
    PEL_LOGIC_ANALYSER = 176,
    PEL_MISC = 224,
    PEL_SET_CONNECTION = 240,
    PEL_SET_LOGGING = 241,
    PEL_IDENTITY = 242,
    PEL_RETURN_ZERO = 254,
    PEL_RETURN_MINUS_ONE = 255,
};

// Connection kinds (target families).
inline constexpr uint16_t kPelFamilyCpu32 = 0;
inline constexpr uint16_t kPelFamilyPpc8xx = 2;
inline constexpr uint16_t kPelFamilyPpc403 = 3;
inline constexpr uint16_t kPelFamilyColdFire = 4;
inline constexpr uint16_t kPelFamilySerialIce = 5;
inline constexpr uint16_t kPelNoFamily = 0xFFFF;

// Registers of commands 48, 49, 58 and 59 for the PowerPC families.
inline constexpr uint16_t kPelRegPc = 32;
inline constexpr uint16_t kPelRegMsr = 33;
inline constexpr uint16_t kPelRegCr = 34;
inline constexpr uint16_t kPelRegFprBase = 64;  // 8xx: 64 + 2n high word, 65 + 2n low word of FPR n
inline constexpr uint16_t kPelRegFpscr = 128;   // 8xx
inline constexpr uint16_t kPelRegDcrBase = 1024;
inline constexpr uint16_t kPelRegSprBase = 2080;

// How many bytes of a packet the server may read, as the packet's own count
// fields give (at least 16, at most kPelMaxPacket). Bytes 0 to 15 are read
// first to learn it.
inline size_t PelPacketBytes(const uint8_t* packet)
{
    const auto count = [&](size_t at) { return packet[at] == 0 ? size_t(256) : size_t(packet[at]); };
    size_t bytes = 16;
    switch (packet[1]) {
    case PEL_WRITE_REGISTER: bytes = 5 + packet[4]; break;
    case PEL_WRITE_MEMORY:
    case PEL_WRITE_MEMORY_1: bytes = 9 + count(8); break;
    case PEL_SET_SCATTER: bytes = 3 + packet[2]; break;
    case PEL_WRITE_SCATTER: bytes = 3 + 4 * 64; break;
    case PEL_WRITE_LARGE: bytes = 11 + (size_t(packet[9]) << 8 | packet[10]); break;
    case PEL_MISC:
    case PEL_SET_CONNECTION:
    case PEL_SET_LOGGING: bytes = 4 + 2 * 256; break;
    default: break;
    }
    return bytes < 16 ? 16 : bytes;
}

extern "C" {
int32_t do_command(const uint8_t* packet, uint8_t* reply);
int32_t test_command(const uint8_t* packet, uint8_t* reply);
}
