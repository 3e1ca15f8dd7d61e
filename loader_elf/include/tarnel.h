// tarnel, the ELF and debug-information loader (libtarnel.so).
//
// LdrLoadWinElf reads one ELF32 image at a time: it checks the file, reads
// its program and section headers, optionally hands its debug information
// to the symbol library quinar, optionally downloads its bytes into target
// memory through talvis, reports progress to a window of the caller and
// stops on Esc. The queries answer for the image loaded last. Everything
// runs on the caller's (GUI) thread; a load pumps that thread's messages,
// and a call made from a pumped message while a load runs is refused.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "ldr_types.h"
#include "win_types.h"
#include "zk_string.h"

// Flags of LdrLoadWinElf. Other bits (0x4, 0x8 of the front end) have no effect.
inline constexpr uint32_t LDR_FLAG_SYMBOLS = 0x1;         // debug information into quinar
inline constexpr uint32_t LDR_FLAG_DOWNLOAD = 0x2;        // into target memory; byte orders must agree
inline constexpr uint32_t LDR_FLAG_SEGMENTS = 0x1000000;  // with 0x2: the program segments
inline constexpr uint32_t LDR_FLAG_DATA = 0x2000000;      // with 0x2: ".data"
inline constexpr uint32_t LDR_FLAG_RODATA = 0x4000000;    // with 0x2: ".romdata", ".rodata", ".rodata1"

// The registers that a function's frame instructions save (DW_CFA_offset
// rules), in the order the instructions name them. Owned by tarnel; valid
// until the next load that reads symbols, or ResetOnCloseELF.
struct LdrSavedRegisters {
    const uint32_t* registers;
    uint32_t count;
};

extern "C" {

// mode: nonzero or 0; the debug-information readers register modules with
// kind 1 (nonzero) or 3 (0). progress: receives PBM_SETPOS with the
// percentage, 100 at every end; null for none. Results: LDR_OK,
// LDR_E_BUSY, LDR_E_OPEN_ELF, LDR_E_UNKNOWN_FORMAT (text records),
// LDR_E_NOT_IMAGE (not an ELF32 image), LDR_E_READ (a header, table or
// download read outside the file), LDR_E_NO_MEMORY, LDR_E_BYTE_ORDER (a
// download of an image whose byte order is not the target's; nothing is
// written), LDR_E_USER_ABORT, LDR_S_UNCHANGED, LDR_E_NO_SECTION, or a
// quinar or talvis result passed through. A load that fails after it began
// filling quinar leaves quinar empty.
LdrResult LdrLoadWinElf(const char* path, int mode, unsigned flags, HWND progress);

// The image's entry point in space 1. Returns 0.
LdrResult LdrGetStartPC_ELF(ADDR* start);
// *top = stack base + size, *size; *zero = 0 and *step = -4 for ARM images
// (+4 for other machines) while the compiler kind is 0 to 6, always -4 for
// kind 8; other kinds leave *zero and *step as they are. Returns 0.
LdrResult LdrGetStack_ELF(int* top, int* size, int* zero, int* step);
// 1 when the image read last is big-endian.
int LdrIsBigEndian_ELF();
// The compiler kind of the loaded debug information (CompilerKind).
int LdrGetMachineType();
// Forgets the loaded image: start PC, source files, class ranges, the
// readers' per-image tables.
void ResetOnCloseELF();
// Every address counts as code: 1.
int LdrIsInCode(unsigned address);
// 1 when the address is Thumb code of the image loaded last, else 0 (also
// for address 0). Images of the ARM tools (compiler kind 8): the nearest
// "$a"/"$t" or function start at or below the address. Others: the Thumb
// ranges of the debug information and STT_ARM_TFUNC symbols, then the EABI
// marks: the mapping symbols "$a", "$t", "$d" and FUNC symbols with bit 0 set.
int LdrIsInThumbRange(unsigned address);
// The Thumb code of an image another reader loaded (the front end's
// IEEE-695 modules): `count` pairs {first, last} (inclusive) in `ranges`,
// which LdrIsInThumbRange answers 1 for until the next load or
// ResetOnCloseELF. Replaces the Thumb ranges given before; the compiler
// kind (LdrGetMachineType) becomes COMPILER_NONE.
void LdrSetThumbCode(const DWORD* ranges, unsigned count);
// range = {low, high} of the class's member functions, {0, 0} when unknown. Returns 0.
LdrResult LdrGetClsFuncRange(const char* className, DWORD range[2]);
void LdrClearClsFuncRange();
// 1 when no source file is known for the module. Else 0, and *path = the
// resolved path of its source file when `name` is the file's name (base
// name and extension, case counts) and the file exists; else *path stays.
int LdrGetSrcInfo(const char* name, const DWORD* moduleHandle, ZkString* path);
// *savedRegs = the saved registers of the function whose quinar handle is
// functionKey, when its frame information names it; else *savedRegs stays.
// *second is never written. Returns 1.
int MapFuncToRegArr(unsigned functionKey, const LdrSavedRegisters** savedRegs, DWORD* second);
// 1 when the image read last with symbols has a .debug_frame section.
int LdrIsHasFrame();

}  // extern "C"
