// vexlor: the CPU-model library. It holds the debugger's model of the target
// processor: the configured processor, its byte order and family, the
// registers, the program counter and the run state. The run state is the
// target's real state, asked of the target on every call; when the program
// connects with its main window, the end of every free run is posted to that
// window at once as WM_EMU_ERROR with the halt cause (wParam bit 31 set: the
// frame refreshes its views after showing the halt).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "win_types.h"
#include "zk_string.h"

// Register ids: r0-r15 are 0-15 (13 the stack pointer, 14 the link register,
// 15 the PC), then the CPSR and the SPSR of the current mode.
inline constexpr DWORD VEXLOR_REG_CPSR = 16;
inline constexpr DWORD VEXLOR_REG_SPSR = 17;
// 18-37: the banked registers in the simulator's order: r8-r14 and SPSR of
// FIQ, then r13, r14 and SPSR of SVC, Abort, IRQ and Undef.
inline constexpr DWORD VEXLOR_REG_COUNT = 38;
// The decode kind of a PSR's second row in the register grid, and the
// widest text it gives ("NZCVIFT_System32").
inline constexpr WORD VEXLOR_PSR_TEXT_WIDTH = 16;

// Processor families of ProcReturnProcFamily.
inline constexpr DWORD VEXLOR_FAMILY_UNKNOWN = 0;
inline constexpr DWORD VEXLOR_FAMILY_ARM = 1;

// Results of the processor queries besides 0. Register calls give Falcrest's
// EmuResult codes (-1 for an unknown id or name).
inline constexpr int VEXLOR_NOT_CONFIGURED = -1;  // no processor yet, or a null argument
inline constexpr int VEXLOR_BAD_PATTERN = -2;     // not exactly one "%s", or too long

extern "C" {

// Starts the model for a processor at connect: the application's value for
// this library, the main frame's window (receives WM_EMU_ERROR at the end of
// every free run; null: no announcements), the processor name (at most 63
// characters are kept) and its byte order (non-zero: big). Result 0.
int InitDLL_CpuServer(intptr_t appValue, HWND mainFrame, const char* processorName, int byteOrder);

// Run state: bit 0 set while the target runs. Both ask the target; without a
// target the state is 0.
DWORD CpuGetCpuStatus(int a, int b);
DWORD CpuGetCpuStatus1(void);
// The number of run ends the model has heard of since it was loaded. It
// moves after the end's WM_EMU_ERROR is in the main frame's queue, so a
// caller that started a run and saw it stop (the step engine) can wait for
// it to move and then take that announcement out of the queue itself.
DWORD CpuGetStopCount(void);
// The number of free runs the target has started since the model was loaded
// (counted when the go is taken). A caller that issued commands waits for
// the stop count to move as far as this one to know every run's end is in
// the queue.
DWORD CpuGetRunCount(void);
// Accepted with 0; the state reported stays the target's.
int CpuSetCpuStatus(int running);

int CpuGetPC(DWORD* pc);
int CpuSetPC(DWORD pc);
int CpuGetLR(DWORD* lr);  // link register of the current mode

// Registers by id (0-37, see above) or by name ("cpsr", "spsr", "r0" .. "r15", "sp", "lr",
// "pc"; case ignored).
int CpuFindRegisterId(const char* name, DWORD* id);
int CpuGetRegister(DWORD id, DWORD* value);
int CpuSetRegister(DWORD id, DWORD value);

// The register grid. Groups in order: "Current" (r0-r15, CPSR, SPSR of
// the current mode: overall indices 0-17), then "FIQ", "SVC", "Abort",
// "IRQ", "Undef" with their banked registers; a group's first overall index
// is the sum of the counts before it. A PSR has decode kind
// VEXLOR_PSR_TEXT_WIDTH: its decoded text is the simulator's PSR text
// ("nzCvIFt_SVC32": a capital letter for a set N, Z, C, V, I, F or T bit,
// then the mode). Text outputs take their buffer's size and refuse a text
// that does not fit. Results: 0, VEXLOR_NOT_CONFIGURED for a bad argument,
// or the target's EmuResult.
int CpuGetRegGroupNumName(int* groupCount, std::vector<ZkString>* names);
int CpuGetNumRegs(DWORD* count, BYTE group);
int CpuGetRegisterInfo(DWORD index, char* name, size_t nameSize, WORD* auxiliary, WORD* decodeKind, WORD* displayWidth);
int CpuGetRegNameFromIdx(DWORD index, char* name, size_t nameSize);
// values[0..count) hold overall indices on entry and the values on return 0.
int CpuGetAllRegs(BYTE group, DWORD count, DWORD* values);
int CpuGetRegisterWidth(WORD index, DWORD* width);  // bits in the low byte
// The buffer holds the value as "%08lX" on entry, the decoded text on return.
int CpuGetRegisterValueText(WORD index, WORD decodeKind, char* buffer, size_t size);
// Applies a decoded text to the register and rewrites the text to "%08X"
// of the value written, so that the caller can read it back as a number.
int CpuSetRegisterValueText(WORD index, WORD decodeKind, ZkString* text);

// The processor queries answer once InitDLL_CpuServer has run.
int ProcReturnByteOrder(int* order);  // 1: big-endian target, 0: little-endian
int ProcDefaultStackSize(int* size);
int ProcReturnProcessorName(char* buffer64);
// The pattern with its one "%s" replaced by the processor name.
int ProcInsertSpecificProcessor(const char* pattern, char* out128);
int ProcReturnProcFamily(DWORD* family);
// The processor name up to its first '-' (at most 31 characters).
int ProcGetCpuType(char* buffer32);

}  // extern "C"
