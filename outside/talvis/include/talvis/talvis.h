// talvis: the target memory library. Every reader and writer of target
// memory outside the target access library goes through it: the loaders,
// the debugger core, the program's memory windows and tools, the peripheral
// view, the flash programmer and the kernel view. All calls are synchronous
// and return 0 for success; -27 (EMU_TARGET_LOST) means the target is lost,
// other EmuResult codes of the target access library are passed on.
// Ranges are inclusive: an end ADDR is the last byte. Transfers are
// byte-exact; a range longer than the target library's 16-bit lengths is
// split. Search, checksum and the memory test run here, over block reads.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "win_types.h"

// The library's own results.
inline constexpr int MEM_LIBRARY_ERROR = 0x8008;  // bad range, width, pattern or buffer
inline constexpr int MEM_NOT_FOUND = 0x8009;      // search: no match in the range
inline constexpr int MEM_TEST_FAILED = 1;         // memory test: a cell or line failed

extern "C" {

// Set-up at connect with the main frame's window, shut-down at disconnect.
int MemInitServer(HWND mainFrame);
int MemExitServer(void);

// Reads count bytes at addr into buffer, in target memory order.
int MemReadBlock(void* buffer, ADDR addr, uint32_t count);
// Writes count bytes at addr. width: access width in bytes (1, 2, 4), or -1
// for the library's default; the simulator's memory takes the bytes as given
// whatever the width. Other widths are refused.
int MemWriteBlock(ADDR addr, const void* data, uint32_t count, int width);

// Memory tools. mode: the caller's mode word (1 memory tools, 3 download),
// passed through.
// kind 0 cell test, 1 data bus, 2 address bus; width 0 byte, 1 halfword,
// 2 word (narrower for a range shorter than the width). The text is "Test Successful!" when the test passed, else says
// where it failed; the memory's contents are put back.
int MemTestRange(ADDR start, ADDR end, char* text1024, int kind, int width);
int MemSearchBlock(ADDR start, ADDR end, const void* pattern, uint32_t patternLength, int ignoreCase, ADDR* found,
                   int mode);
int MemCopyBlock(ADDR sourceStart, ADDR sourceEnd, ADDR destination, int mode);
// 0 when a difference was found (its source address stored), -7
// (EMU_RANGES_EQUAL) when equal. In units of the target library's access size.
int MemCompareBlock(ADDR start, ADDR end, ADDR destination, ADDR* firstDifference, int mode);
// The 16-bit sum of the bytes.
int MemChecksumBlock(ADDR start, ADDR end, WORD* checksum, int mode);
int MemFillBlock(ADDR start, ADDR end, const void* pattern, uint32_t patternLength, int mode);

uint32_t MemSwapBytesInLong(uint32_t value);
uint16_t MemSwapBytesInWord(uint16_t value);

}  // extern "C"

// Ordinals by which talvis is also imported.
inline constexpr int TALVIS_ORD_MemReadBlock = 21;
inline constexpr int TALVIS_ORD_MemTestRange = 23;
inline constexpr int TALVIS_ORD_MemSearchBlock = 24;
inline constexpr int TALVIS_ORD_MemCopyBlock = 25;
inline constexpr int TALVIS_ORD_MemCompareBlock = 26;
inline constexpr int TALVIS_ORD_MemChecksumBlock = 27;
inline constexpr int TALVIS_ORD_MemFillBlock = 28;
inline constexpr int TALVIS_ORD_MemWriteBlock = 29;
inline constexpr int TALVIS_ORD_MemInitServer = 36;
inline constexpr int TALVIS_ORD_MemExitServer = 37;
