// Halvek, the peripheral register view (libHalvek.so, bound as "Halvek"):
// loads the description of the configured processor's on-chip peripherals
// from its CFG and PCF files, reads and writes their registers through the
// target access library, and drives the peripheral window.
#pragma once

#include <cstdint>

#include "win_types.h"

// Status of a load (PeriInit) and of the window calls; 0 = done.
inline constexpr uint32_t PERI_OK = 0;
inline constexpr uint32_t PERI_NO_CFG_NAME = 0x90000385u;
inline constexpr uint32_t PERI_CLOSE_FAILED = 0x90000386u;
inline constexpr uint32_t PERI_BAD_PROCESSOR = 0x90000387u;
inline constexpr uint32_t PERI_BAD_VERSION = 0x8000038Au;
inline constexpr uint32_t PERI_FILE_NOT_FOUND = 0x8000038Bu;
inline constexpr uint32_t PERI_FIELD_INCOMPLETE = 0x9000038Cu;
inline constexpr uint32_t PERI_NO_PCF_VERSION = 0x9000038Du;  // also a group row not read to its end
inline constexpr uint32_t PERI_REG_INCOMPLETE = 0x9000038Eu;
inline constexpr uint32_t PERI_STRUCTURE = 0x9000038Fu;
inline constexpr uint32_t PERI_WINDOW_FAILED = 0x90000390u;
// A register of a memory-mapped family read before the ranges were computed.
inline constexpr uint32_t PERI_RANGES_NOT_READY = 0x400001AEu;
// The line reader: no line (end of file, or the file cannot be read), no buffer.
inline constexpr uint32_t PERI_READ_FAILED = 0x8092u;
inline constexpr uint32_t PERI_NO_BUFFER = 0x8093u;

// The Refresh Display command that PeriRefreshWindow sends to the window.
inline constexpr UINT PERI_CMD_REFRESH_DISPLAY = 32802;

// Creates the peripheral window in the main frame; null when creation fails.
// The window layer registers it (HalvekRegisterWindowFactory); without one,
// opening a window fails.
using PeriWindowFactory = HWND (*)(HWND mainFrame);

extern "C" {

// Loads the description of the configured processor (vexlor's processor).
uint32_t PeriInit(void);
// Keeps the main frame; opens the single window "Peripheral" when a
// description is loaded (0 without one, 0x90000390 when creation fails).
uint32_t PeriOpenWindow(HWND mainFrame, HWND* window);
uint32_t PeriCloseWindow(void);
uint32_t PeriRefreshWindow(void);
// The first register of that name (case ignored): its offset column and width.
int PeriGetRegInfo(const char* name, int* offset, int* width);
// Group ranges from the current base; every register is read again.
uint32_t PeriUpdateBlockLocation(void);
// The target access library's reset: the current base, nothing recomputed.
void ResetPeriBase(unsigned long base);

void HalvekRegisterWindowFactory(PeriWindowFactory factory);

}  // extern "C"
