// vexlor: the CPU-model library. It holds the debugger's model of the target
// processor: the configured processor, its byte order and family, the
// registers, the program counter and the run state. The run state is the
// target's real state, asked of the target on every call; when the program
// connects with its main window, the end of every free run is posted to that
// window at once as WM_EMU_ERROR with the halt cause.
#pragma once

#include <cstdint>

#include "win_types.h"

extern "C" {

// Starts the model for a processor at connect: the application's value for
// this library, the main frame's window (receives WM_EMU_ERROR at the end of
// every free run), the processor name and its byte order (non-zero: big).
int InitDLL_CpuServer(intptr_t appValue, HWND mainFrame, const char* processorName, int byteOrder);

// Run state: bit 0 set while the target runs.
DWORD CpuGetCpuStatus(int a, int b);
DWORD CpuGetCpuStatus1(void);
int CpuSetCpuStatus(int running);

int CpuGetPC(DWORD* pc);
int CpuSetPC(DWORD pc);
int CpuGetLR(DWORD* lr);  // link register of the current mode

// Registers by id (13 is the stack pointer) or by name ("cpsr", "r0" .. "r12",
// "r13"/"sp", "r14"/"lr", "pc").
int CpuFindRegisterId(const char* name, DWORD* id);
int CpuGetRegister(DWORD id, DWORD* value);
int CpuSetRegister(DWORD id, DWORD value);

int ProcReturnByteOrder(int* order);   // non-zero: big-endian target
int ProcDefaultStackSize(int* size);
int ProcReturnProcessorName(char* buffer128);
int ProcInsertSpecificProcessor(const char* pattern, char* out128);
int ProcReturnProcFamily(DWORD* family);
int ProcGetCpuType(char* buffer);

}  // extern "C"
