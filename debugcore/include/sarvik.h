// sarvik, the debugger core library (libsarvik.so): the breakpoint model
// (records, list, planting, temporary breakpoints, watchpoint units,
// exception catching) and the library's set-up for a target connection.
//
// Everything runs on the GUI thread. Functions are exported with C linkage
// under their names; those the program binds by number are also in the
// library's ordinal table (SARVIK_ORD_*, found with GetProcAddress).
//
// The stop of a run: break words are in target memory only while the target
// runs. Whoever observes the end of a run (the main frame's stop handler, a
// step loop, a test) calls EmuTargetStopped before anything reads target
// memory or asks BptFindBp/BptCheckHit about the stop.
#pragma once

#include <cstdint>

#include "emu_types.h"
#include "kernel_tasks.h"
#include "sarvik/bp_records.h"
#include "win_types.h"

// Ordinals of the library's exports.
inline constexpr int SARVIK_ORD_EmuSetTargetConfig = 22;
inline constexpr int SARVIK_ORD_BptSetCmd = 100;
inline constexpr int SARVIK_ORD_BptClearCmd = 101;
inline constexpr int SARVIK_ORD_BptGetList = 102;
inline constexpr int SARVIK_ORD_BptClearAll = 103;
inline constexpr int SARVIK_ORD_BptDeleteAllObjects = 104;
inline constexpr int SARVIK_ORD_BptClearBp = 105;
inline constexpr int SARVIK_ORD_BptSetBp = 106;
inline constexpr int SARVIK_ORD_BptFindBp = 107;
inline constexpr int SARVIK_ORD_EmuInit = 112;
inline constexpr int SARVIK_ORD_EmuSetSourceLevel = 115;
inline constexpr int SARVIK_ORD_EmuIsBusy = 116;
inline constexpr int SARVIK_ORD_BptResetHitCounts = 117;
inline constexpr int SARVIK_ORD_BptCheckHit = 118;

// The list holds at most this many records (the breakpoint file counts them
// in 16 bits); BptSetBp refuses more with 1.
inline constexpr size_t BPT_LIST_CAPACITY = 65535;

// BptCheckHit's answers besides 0 (no hit).
inline constexpr int BPT_HIT_PERMANENT = 1;
inline constexpr int BPT_HIT_TEMPORARY = 2;
inline constexpr int BPT_HIT_UNIT_DISABLED = 3;
inline constexpr int BPT_HIT_UNIT_ENABLED = 4;

extern "C" {

// --- Library set-up --------------------------------------------------------
// Keeps the main window for every notification and binds the kernel view's
// GetTaskInfo ("Corvane.dll"); returns its address, or 0 when the kernel
// view or the entry is missing (task-qualified breakpoints then act as
// plain ones).
intptr_t EmuInit(HWND mainWindow);
// Stores the record's options, moves the exception-catch breakpoints when
// the vector base changes, plants them for the new mask and reserves
// watchpoint unit 1 outside hardware-breakpoint mode. Returns word 0.
int EmuSetTargetConfig(const EMU_TARGET_CONFIG* config);
// Non-zero while a run or step command of the library is active.
int EmuIsBusy(void);
// Stores whether the step commands go by source line (1) or by instruction
// (0); returns the level.
int EmuSetSourceLevel(int level);

// --- Breakpoint list -------------------------------------------------------
const CBpList* BptGetList(void);
// BptClearBp({0, 0}, 0).
EmuResult BptClearAll(void);
// Deletes every record without touching the target.
void BptDeleteAllObjects(void);
// hwUnit non-zero: the watchpoint unit at *addr (-1 when none), and the
// records at its offset. *addr {0, 0}: every record. Otherwise the records
// at addr->off. The result is the target call's.
EmuResult BptClearBp(const ADDR* addr, int hwUnit);
// A new breakpoint at *addr: a record with the condition (empty: plain),
// pass count, enabled state and task control-block address (-1 or 0:
// none), or with hwUnit non-zero a watchpoint-unit breakpoint. 0 when set;
// 1 when the user declined an address outside code, no unit is free, or
// the list is full; a target failure's code. Nothing is set on failure.
EmuResult BptSetBp(const ADDR* addr, const char* condition, UINT count, int hwUnit, int enable,
                   DWORD accessAddr);
// The first breakpoint in from..to: records in list order, then the
// watchpoint units. to {0, 0} with from in space 1: exactly from. Two
// addresses of space 0: a source position (line, module key of the symbol
// library), matching the line's code ranges.
BPT_MARK BptFindBp(const ADDR* from, ADDR to, CBpData** found);
EmuResult BptResetHitCounts(void);
// After a stop at *pc: the records there are asked in list order (pass
// counts advance, conditions and task qualifiers are tested) until one
// hits; then the watchpoint units. BPT_HIT_* or 0.
int BptCheckHit(const ADDR* pc);
EmuResult BptEnableBp(const ADDR* addr, int reserved, int enable);

// --- Temporary breakpoints (go-till, Step Over) ----------------------------
EmuResult AddTempBp(DWORD offset, DWORD space);
// Removes the temporary breakpoints; a user's disabled breakpoint that
// AddTempBp enabled becomes disabled again, unchanged otherwise.
EmuResult RemoveTempBp(ADDR unused);

// --- Planting ----------------------------------------------------------------
// Before a run: the break instruction at every enabled breakpoint (a word
// in ARM code, the halfword 0xFEDE in Thumb code), keeping the replaced
// bytes. A failure takes out what this call planted.
EmuResult BptLoadBreakpoints(BYTE unused);
// Writes the replaced bytes back, in the reverse order of planting, and
// drops the temporary records.
EmuResult BptUnloadBreakpoints(void);

// --- The stop entry ------------------------------------------------------------
// Called at every stop of the target (end of a free run, end of a go-till,
// halt, Esc) before anything reads target memory: takes every break
// instruction out of target memory (BptUnloadBreakpoints). The result is
// the restore's.
EmuResult EmuTargetStopped(void);

// --- The breakpoint file -------------------------------------------------------
// Writes every breakpoint and both watchpoint units to path, replacing the
// file whole; nothing happens and nothing is reported when it cannot be
// written.
void SaveBpFile(const char* path);
// Reads a file that SaveBpFile wrote, in full, before anything changes. A
// missing file, one under 27 bytes or one whose header does not match is
// passed over; a damaged body is reported and changes nothing. Otherwise
// every breakpoint is cleared, the stored ones are set again (pass count,
// condition, enabled state, symbol text) and the stored units are taken and
// programmed (unit 1 only in hardware-breakpoint mode). Result 1.
int RestoreBpFile(const char* path);

// --- Text commands (the shell's words; messages to the shell console) ----------
// "BP": the list; "BP address": sets (or enables) a breakpoint and saves the
// list to "_envbpsave.sav".
void BptSetCmd(int argc, char** argv);
// "BC address", "BC ALL", "BC HW0", "BC HW1".
void BptClearCmd(int argc, char** argv);
// The watchpoint units: print them, or program one from name-value pairs
// and options.
void WatchpointCmd(int argc, char** argv);

}  // extern "C"
