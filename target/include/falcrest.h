// Falcrest, the target access library (libFalcrest.so): the emu* interface
// through which the debugger reaches the target for every operation. Its one
// back end is the instruction-set simulator, loaded at run time by name
// ("Dorvel.dll") and driven through its Sim_Command entry. Every call runs to
// completion on the caller's (GUI) thread; Falcrest has no threads.
//
// Results are EmuResult codes: 0 success, 1 no back end (the simulator is not
// bound: never connected, its entry missing, or closed), -1 refused (a bad
// argument), -7 compare: the ranges are equal; simulator results are passed on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "emu_types.h"
#include "sim_command.h"
#include "win_types.h"

// Compare result: the address of the first difference in the first range and
// that range's address space at byte 12.
struct EMU_COMPARE_RESULT {
    uint32_t address;
    uint32_t reserved[2];
    uint16_t space;
    uint16_t reserved2;
};
static_assert(sizeof(EMU_COMPARE_RESULT) == 16);

// The verify-error record (all zero on the simulator).
struct EMU_VERIFY_ERROR {
    uint32_t words[4];
};

// A watchpoint record of the probe back ends, passed by value; unused here.
struct EMU_WATCH_RECORD {
    uint8_t bytes[168];
};

inline constexpr uint32_t EMU_PERI_BASE_DEFAULT = 0x03FF0000u;
inline constexpr size_t EMU_EVENT_BLOCK_SIZE = 448;
inline constexpr size_t EMU_EVENT_EXTRA_SIZE = 16;

// Registration points for the libraries that sit above Falcrest; each breaks
// a link cycle (those libraries link Falcrest, Falcrest never links them).
// The run-state entry of the CPU-model library: emuGo calls it with 1 when
// the simulator has started a free run.
using EmuRunStateHook = int (*)(int running);
// The peripheral view's reset entry: emuReset calls it with the reset base.
using EmuPeriResetHook = void (*)(uint32_t base);

extern "C" {

// --- Connection ------------------------------------------------------------
// Opens the simulator connection: 1 when the simulator is bound, 0 otherwise
// (useSimulator 0, the library not found, or no Sim_Command in it). Only
// useSimulator is used.
int NewABIDLL(int useSimulator, const char* port, int* baudOrPortAddress, const char* protocol, int logMode);
// Closes the connection (Sim_Command 47 when bound), frees the library; 1 always.
int ExitABIDLL(void);
EmuResult emuInitialize(void);

// Registered hooks (null removes). The stop hook goes to the simulator's
// Sim_SetStopHook now when bound and again at every later bind; a simulator
// library without that entry announces nothing.
void emuRegisterStopHook(SimStopHook hook, void* context);
void emuRegisterRunStateHook(EmuRunStateHook hook);
void emuRegisterPeriReset(EmuPeriResetHook hook);

// --- Run control -----------------------------------------------------------
EmuResult emuGo(int ignored);
EmuResult emuStepOne(int ignored);
EmuResult emuAbort(int ignored);
// *status: 0 while running, 1 when stopped.
EmuResult emuGetCpuStatus(char* status);
// CPSR keeps its mode bits with IRQ and FIQ disabled; r13 and r14 of the
// current mode become 0; the peripheral base returns to its reset value.
EmuResult emuReset(int, int, int);
EmuResult emuStepRange(int start, int, int end, int, int);

// --- Registers -------------------------------------------------------------
// Banks 0 and 1 (the same); register numbers are SimRegNumber (low 16 bits):
// 0-37 go to the simulator, 49-64 (watchpoint units) are answered here
// (read -1, writes dropped), every other number is refused.
EmuResult emuGetReg(int bank, int regNumber, int* value);
EmuResult emuSetReg(int bank, int regNumber, int value);
EmuResult emuGetAllReg(int bank, void* block);
EmuResult emuSetHwBp(int addrValue, int* addrMask, int dataValue, int* dataMask, int, int, uint32_t* control, int unit);
EmuResult emuEnableHwBp(int enable, int unit);
EmuResult emuClrHwBp(int unit);
// Peripheral registers at the current base + offset, size 1, 2 or 4 bytes
// moved as one unit: the value read comes back zero-extended in host order
// (*value is written only on success), the value written goes as its low
// size bytes in target order.
EmuResult emuGetIntReg(int offset, int size, int* value, int);
EmuResult emuSetIntReg(int offset, int size, int value, int);
void emuSetHalvekBaseAddress(uint32_t current, uint32_t reset, int flag, uint32_t mask);
EmuResult emuSetDERValue(int value);
int MMUMapUpdate(void);

// --- Memory ----------------------------------------------------------------
// The access size (1, 2 or 4; 4 at load) is the unit of copies, compares
// and peripheral transfers; other sizes are refused and the size kept.
EmuResult emuSetAccessSize(int size);
EmuResult emuGetAccessSize(int16_t* size);
EmuResult emuGetMem(uint32_t address, int16_t space, char* byte);
EmuResult emuSetMem(uint32_t address, int16_t space, char value);
// Lengths are taken modulo 65536; block transfers move bytes (unit 1).
EmuResult emuGetMemN(ADDR address, void* buffer, int length);
EmuResult emuSetMemN(ADDR address, const void* buffer, int length);
// Copies in memmove order: overlapping ranges keep the source's contents.
EmuResult emuCopy(uint32_t source, int16_t sourceSpace, uint32_t length, uint32_t destination,
                  int16_t destinationSpace);
// 0 with the first differing unit reported, -7 when the ranges are equal.
EmuResult emuCompare(uint32_t address1, int16_t space1, uint32_t length, uint32_t address2, int16_t space2,
                     EMU_COMPARE_RESULT* result, int* ignored);
// The repeated pattern; the first failed write ends the fill with its result.
EmuResult emuFill(ADDR* address, uint32_t length, const char* pattern, uint32_t patternLength);
void emuGetVerifyErrorInfo(EMU_VERIFY_ERROR* block);
// Not served by the simulator back end: nothing is sent, -1.
EmuResult emuSearch(ADDR* where, uint32_t length, const char* pattern, uint32_t patternLength);
EmuResult emuChecksum(uint32_t address, int16_t space, uint32_t length, WORD* sum1, WORD* sum2);
// text: at least 32 bytes.
EmuResult emuTest(uint32_t address, int16_t space, char* text, int kind, int);

// --- Breakpoints -----------------------------------------------------------
EmuResult emuSetBp(ADDR address);
EmuResult emuClrBp(ADDR address);
EmuResult emuEnableSwBkpt(void);
EmuResult emuDisableSwBkpt(void);
// The software break word, 0xFEDEFEDE (not an EmuResult).
DWORD emuGetBkptCode(int);
EmuResult emuSetBkptCode(int code);
EmuResult emuSetHWBP(int, int, int, int, int);
EmuResult emuSetWP(EMU_WATCH_RECORD record);
EmuResult emuSetBkptNonmask(int);

// --- Calls with a fixed answer (no effect on the target) -------------------
int MemCacheDisable(uint32_t option1, uint32_t option2);  // 1
EmuResult emuSetOcdLog(int mode);
void emuHardRefresh(int);
void emuGetTraceFrame(int, int, int, int, int);
EmuResult emuGetID(char* text);
EmuResult emuGetEvent(void* event448, void* extra16, int16_t* word, char* kind, int* count, int16_t* pair);
EmuResult emuGetTraceInfo(int16_t* first, int16_t* second, int16_t* third, int16_t* fourth);
EmuResult emuIsTraceBufferFull(int, char* full);
EmuResult emuGetVerify(int16_t* on);
EmuResult emuGetMapSize(int* count);
EmuResult emuGetWait(int16_t* value);
EmuResult emuGetControl(int16_t* value);
EmuResult emuGetReady(int16_t* value);
EmuResult emuGetSync(int16_t* value);
EmuResult emuInput(int, int, int, char* value);
EmuResult emuSetEvent(int, void* record56);
EmuResult emuSetAllEvents(void* block192, void* block16, int);
EmuResult emuClearEvent(int);
EmuResult emuSetTrig(int, void* trigger);
EmuResult emuGetAllTrig(void* trigger1, void* trigger2, void* trigger3, void* trigger4);
EmuResult emuClearTrig(int);
EmuResult emuSetTraceBreak(int);
EmuResult emuTraceReset(void);
EmuResult emuSetISCT_SER(int);
EmuResult emuSize(int);
EmuResult emuSetUpm(int, int, int);
EmuResult emuGetUpm(int, void* block256);
EmuResult emuSetVerify(int);
EmuResult emuSetTimerCounter(int, int);
EmuResult emuOutput(int, int, int, int);
EmuResult emuSetQualTrace(int, int, int, int);
EmuResult PPCAdvancedLSDataBP(int, int, int, int);
EmuResult emuSetMap(int, int, int);
EmuResult emuGetTraceBufferInfo(int, int, int);
EmuResult PPCAdvancedHardBP(int, int, int);
EmuResult PPCSetLSDataBP(int, int, int, int, int, int);
EmuResult emuGetStatus(void);
EmuResult emuDiagnostic(void);
EmuResult emuDisableQual(void);
EmuResult AbiCustomCmd(int);
EmuResult DiagnosticFunction(int);
EmuResult DisableHardBP(int);
EmuResult DisableLSDataBP(int);
EmuResult emuGetMap(int);
EmuResult emuSelfTest(int);
EmuResult emuSetControl(int);
EmuResult emuSetExtEvent(int);
EmuResult emuSetReady(int);
EmuResult emuSetSync(int);
EmuResult emuSetTimerReg(int);
EmuResult emuSetTraceBuffer(int);
EmuResult emuSetWait(int);

}  // extern "C"
