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
inline constexpr int SARVIK_ORD_EmuHaltCmd = 12;
inline constexpr int SARVIK_ORD_EmuHalt = 13;
inline constexpr int SARVIK_ORD_EmuJumpCmd = 14;
inline constexpr int SARVIK_ORD_EmuSetPC = 15;
inline constexpr int SARVIK_ORD_EmuRun = 16;
inline constexpr int SARVIK_ORD_EmuGoCmd = 17;
inline constexpr int SARVIK_ORD_EmuRestart = 18;
inline constexpr int SARVIK_ORD_EmuStepCmd = 20;
inline constexpr int SARVIK_ORD_EmuStep = 21;
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
inline constexpr int SARVIK_ORD_EmuResetCmd = 113;
inline constexpr int SARVIK_ORD_EmuResetTarget = 114;
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

// EmuRun's modes.
inline constexpr int EMU_RUN_GO = 1;       // from the PC
inline constexpr int EMU_RUN_GO_FROM = 2;  // the address is stored, the PC stays
inline constexpr int EMU_RUN_GO_TILL = 3;  // till the address (a temporary breakpoint)
inline constexpr int EMU_RUN_FLY_GO = 4;   // 4, 5, 6: as 1, 2, 3 with the fly flag
inline constexpr int EMU_RUN_FLY_GO_FROM = 5;
inline constexpr int EMU_RUN_FLY_GO_TILL = 6;
inline constexpr int EMU_RUN_FREE = 7;   // plants nothing, stops only on a halt
inline constexpr int EMU_RUN_COUNT = 8;  // addr.off stored as a count

// EmuStep's modes.
inline constexpr int EMU_STEP_INTO = 0;
inline constexpr int EMU_STEP_OVER = 1;
inline constexpr int EMU_STEP_OUT = 2;
inline constexpr int EMU_STEP_INTO_CONTINUOUS = 3;  // until Esc or a halt
inline constexpr int EMU_STEP_OVER_CONTINUOUS = 4;
inline constexpr int EMU_GO_TILL_CALL = 5;    // stops before the next call
inline constexpr int EMU_GO_INTO_CALL = 6;    // ... and steps into it
inline constexpr int EMU_GO_TILL_RETURN = 7;  // stops before the return
inline constexpr int EMU_GO_OVER_RETURN = 8;  // ... and steps over it

// EmuTargetStopped's answers besides a failed restore of the break words
// (whose result it passes on).
inline constexpr int EMU_STOP_HALTED = 0;   // the target stays stopped
inline constexpr int EMU_STOP_RESUMED = 2;  // a semihosting call was served and the run goes on
inline constexpr int EMU_STOP_EXITED = 3;   // the program reported its end through semihosting

// HandleSemiHosting's state.
inline constexpr int SEMIHOST_NOT_SERVED = 0;
inline constexpr int SEMIHOST_SERVED = 1;  // the target may go on
inline constexpr int SEMIHOST_EXITED = 2;  // the program reported its end

// Semihosting exit reasons (ARM semihosting, ADP_Stopped_*).
inline constexpr uint32_t SEMIHOST_REASON_APPLICATION_EXIT = 0x20026;

class IDispatch;

extern "C" {

// --- Library set-up --------------------------------------------------------
// Keeps the main window for every notification, makes the breakpoint
// collection of the connection (65535 slots from 0, holding the records
// already set) and binds the kernel view's
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
EmuResult BptSetBp(const ADDR* addr, const char* condition, UINT count, int hwUnit, int enable, DWORD accessAddr);
// The first breakpoint in from..to: records in list order, then the
// watchpoint units. to {0, 0} with from in space 1: exactly from. Two
// addresses of space 0: a source position (line, module key of the symbol
// library), matching the line's code ranges.
BPT_MARK BptFindBp(const ADDR* from, ADDR to, CBpData** found);
EmuResult BptResetHitCounts(void);
// After a stop at *pc: the records there are asked in list order (pass
// counts advance, conditions and task qualifiers are tested) until one
// hits; then the watchpoint units. Outside a step command, a stop at the
// address of the go-till in progress is that go-till's hit whatever the
// breakpoints there count. BPT_HIT_* or 0.
int BptCheckHit(const ADDR* pc);
EmuResult BptEnableBp(const ADDR* addr, int reserved, int enable);
// The breakpoint collection's dispatch interface (the caller owns the
// reference), or null before EmuInit.
IDispatch* BptGetBkptCollection(void);

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
// instruction out of target memory (the records stay, temporary ones too:
// the go-till ends when its stop is shown, RemoveTempBp). A stop at the
// semihosting vector (not after a halt) is served here and the run resumed:
// EMU_STOP_RESUMED; the program's reported end gives EMU_STOP_EXITED;
// otherwise EMU_STOP_HALTED, or the failed restore's result.
int EmuTargetStopped(void);

// --- Run control ---------------------------------------------------------------
// A go (EMU_RUN_*): WM_EMU_BUSY to the main window, a temporary breakpoint
// for a go-till, one step off the PC, a semihosting call that step reached
// served, then either a stop at once (a breakpoint hit at the new PC, the
// program ended: WM_EMU_REFRESH, result 0) or the break words planted and
// the target started; returns while the target runs.
EmuResult EmuRun(int mode, ADDR addr);
// Aborts the target, waits for the stop, takes the break words out and
// refreshes the main window's views. The halt-action flag is set.
EmuResult EmuHalt(void);
// The halt-action flag (a halt was given since the last go), cleared.
int EmuIsHaltAction(void);
// Resets the target and sets the PC (aligned to its code, the CPSR's T bit
// for that code); the program's host files are closed. No refresh.
EmuResult EmuResetTarget(ADDR pc);
// Sets the PC (aligned, with the T bit for its code) and refreshes; -1
// while a step command or the target runs.
EmuResult EmuSetPC(ADDR addr);
// What Restart does: stop at the image's start, or run to the function
// (a leading '#' is dropped). The default runs to "main".
void SetRestartOption(int stopAtEntry, const char* symbol);
// The PC to the image's start, the program's host files closed, then
// either a refresh or a go till the restart function.
EmuResult EmuRestart(int, int);

// --- Step commands -------------------------------------------------------------
// A step command, synchronous: while it waits for the target it pumps the
// GUI thread's messages (Esc ends it); it ends with WM_EMU_REFRESH. By
// source line when sourceLevel is set and the PC has a source line, else
// by instruction. Every go-till inside it ends with the stop entry's work
// before its temporary breakpoint is removed. 0 while another step command
// runs (nothing is done) and for a mode outside EMU_STEP_*; -1 for Step
// Out without a caller frame; -13 when Esc ended the step to a line start;
// else the failing call's result.
EmuResult EmuStep(int mode, int sourceLevel);

// --- Semihosting ---------------------------------------------------------------
// Serves a semihosting call at the vector (the target stopped there):
// *state SEMIHOST_*; the result is the last target call's.
int HandleSemiHosting(int* state);
// The command line that SYS_GET_CMDLINE gives the program (empty until
// set; a runner passes the image and its arguments).
void SemihostSetCommandLine(const char* line);
// 1 when the program reported its end (SYS_EXIT, SYS_EXIT_EXTENDED) since
// the last go or reset: its reason and status (0 without one).
int SemihostGetExit(DWORD* reason, DWORD* status);
// The console line of a reported end's reason ("Stop Emulation for ...").
const char* SemihostExitText(DWORD reason);
// A new program image is in target memory: the previous program's host
// files are closed and its reported end is forgotten, as at a reset.
void SemihostProgramLoaded(void);

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
// programmed (unit 1 only in hardware-breakpoint mode; outside it unit 1
// keeps the record of what it holds). Result 1.
int RestoreBpFile(const char* path);
// Where the bp command saves the breakpoints after setting one: the file
// "_envbpsave.sav" of the current folder until this is called; null or an
// empty path saves nothing (a headless run that was not asked to).
void SetBpSaveFile(const char* path);

// --- Text commands (the shell's words; messages to the shell console) ----------
// "BP": the list; "BP address": sets (or enables) a breakpoint and saves the
// list to "_envbpsave.sav".
void BptSetCmd(int argc, char** argv);
// "BC address", "BC ALL", "BC HW0", "BC HW1".
void BptClearCmd(int argc, char** argv);
// The watchpoint units: print them, or program one from name-value pairs
// and options.
void WatchpointCmd(int argc, char** argv);
// "GO", "GO any" (free run), "GO FROM a", "GO TILL a", "GO FROM a TILL b"
// (words "FLY" are passed over); -27 writes "Communication Failed!".
int EmuGoCmd(int argc, char** argv);
// "STEP", "STEP OVER", "STEP OUT", "STEP FOREVER", "STEP n", "STEP OVER
// FOREVER", "STEP OVER n", "STEP w @reg w value", "STEP w addr w value";
// the instruction at the new PC goes to the shell. -1 while a step runs.
int EmuStepCmd(int argc, char** argv);
// "HALT": "Cpu is halted.", or "Could not set ICE mode. Please reset the chip!".
int EmuHaltCmd(int argc, char** argv);
// "RESET" (the image's start), "RESET pc", "RESET P=pc" (hexadecimal).
int EmuResetCmd(int argc, char** argv);
// "JUMP address": the PC, refreshed; -1 while a step or the target runs.
int EmuJumpCmd(int argc, char** argv);

}  // extern "C"
