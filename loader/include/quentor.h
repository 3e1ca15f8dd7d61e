// Quentor, the loader front end (libQuentor.so): the one door through which
// the system loads a program image. LdrLoadWin reads S-record and IEEE-695 images itself
// and hands ELF files, unchanged, to tarnel's LdrLoadWinElf; the queries
// answer for whichever loader read the image last. Everything runs on the
// caller's (GUI) thread; a load pumps that thread's messages, and a load
// asked for from a pumped message while one runs is refused.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "ldr_types.h"
#include "win_types.h"

// Flags of LdrLoadWin; ELF files get them unchanged (see tarnel.h for the
// segment and section bits).
inline constexpr unsigned LDR_LOAD_SYMBOLS = 0x1;    // symbols and debug information into quinar
inline constexpr unsigned LDR_LOAD_CODE = 0x2;       // code and data into target memory
inline constexpr unsigned LDR_LOAD_ASK_AGAIN = 0x8;  // ask before loading this image's symbols again
// IEEE-695 only: every assembler module of the debug part opens a module of
// its own (else one named like the module before joins that module).
inline constexpr unsigned LDR_LOAD_ASM_MODULES = 0x10;
// IEEE-695 only: the public names of the external part become labels and data labels.
inline constexpr unsigned LDR_LOAD_EXTERNAL = 0x800;

// LdrFileFormat.
inline constexpr int LDR_FORMAT_SRECORDS = 2;
inline constexpr int LDR_FORMAT_ELF = 3;
inline constexpr int LDR_FORMAT_OTHER = 5;  // none loaded yet, or an IEEE-695 module

extern "C" {

// Loads the image at path. A file that begins with 'S' or '$' is read as
// S-records (mode unused); one that begins with 0xE0 is an IEEE-695 module
// (mode 0 reads every source-line block of its debug part, another mode only
// those of a part with blocks of unknown size; a damaged header or section
// part gives LDR_E_UNKNOWN_FORMAT with a message in quentor/load_messages.h);
// every other file goes to LdrLoadWinElf(path, mode, flags, progress). progress receives
// PBM_SETPOS percentages, 100 at the end; null for none. Results: LDR_OK,
// LDR_E_BUSY, LDR_E_OPEN, LDR_E_USER_ABORT, LDR_S_UNCHANGED, and for
// S-records and IEEE-695 modules LDR_E_NO_DATA, LDR_E_BAD_RECORD (a damaged
// record: the records before it are written, nothing of it), LDR_E_READ, a
// quinar or talvis result; for ELF files tarnel's results.
LdrResult LdrLoadWin(const char* path, unsigned mode, unsigned flags, HWND progress);
// LDR_FORMAT_SRECORDS or LDR_FORMAT_ELF for the image loaded last, else LDR_FORMAT_OTHER.
int LdrFileFormat(void);
// start->off = the start address (0 after S-records); the space stays. Returns 0.
LdrResult LdrGetStartPC(ADDR* start);
// *top = stack base + size, *size, *zero = 0, *step = 4 (ELF: tarnel's answer). Returns 0.
LdrResult LdrGetStack(int* top, int* size, int* zero, int* step);
// 1 for a big-endian image: ELF by its header, other formats by the
// configured processor's byte order.
int LdrIsBigEndian(void);
// 1 while quinar holds symbols.
int LdrIsSymbolLoaded(void);

}  // extern "C"
