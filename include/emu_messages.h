// The private window messages by which the libraries and views notify the
// main frame and each other. Every value is fixed: the libraries send them by
// number.
#pragma once

#include "win_messages.h"

// Messages to the main frame.
inline constexpr UINT WM_EMU_SUBPROCESS_OUTPUT = WM_USER + 0x2A;  // 0x42A
inline constexpr UINT WM_EMU_BUILD_STEP_DONE = WM_USER + 0x2B;    // 0x42B, thread message
inline constexpr UINT WM_EMU_POLL_STATUS = WM_USER + 0x60;        // 0x460
inline constexpr UINT WM_EMU_ADD_WATCH = WM_USER + 0x61;          // 0x461
inline constexpr UINT WM_EMU_VIEW_CLOSED = WM_USER + 0x65;        // 0x465
inline constexpr UINT WM_EMU_UPDATE_VIEWS = WM_USER + 0x66;       // 0x466
inline constexpr UINT WM_EMU_REFRESH = WM_USER + 0x73;            // 0x473
inline constexpr UINT WM_SETPCLINE = WM_USER + 0x7B;              // 0x47B
inline constexpr UINT WM_EMU_SELECT_FONT = WM_USER + 0x7B;        // 0x47B, inside the format page only
inline constexpr UINT WM_EMU_ERROR = WM_USER + 0x7C;              // 0x47C
inline constexpr UINT WM_EMU_OPEN_IMAGE = WM_USER + 0x7E;         // 0x47E
inline constexpr UINT WM_EMU_BUSY = WM_USER + 0x7F;               // 0x47F
inline constexpr UINT WM_EMU_SEMIHOST_IO = WM_USER + 0xC9;        // 0x4C9
inline constexpr UINT WM_EMU_MEMORY_TEST = WM_USER + 0xCA;        // 0x4CA

// Messages between other windows and to the application thread.
inline constexpr UINT WM_EMU_STACK_SELECT = WM_USER + 0x01;     // 0x401
inline constexpr UINT WM_FINDTEXTREQUEST = WM_USER + 0x14;      // 0x414
inline constexpr UINT WM_EMU_DOCK_TOGGLE = WM_USER + 0x5F;      // 0x45F
inline constexpr UINT WM_EMU_FIND_RESULT = WM_USER + 0x62;      // 0x462, thread message
inline constexpr UINT WM_EMU_SYMBOLS_CHANGED = WM_USER + 0x74;  // 0x474
inline constexpr UINT WM_EMU_INVOKE_28 = WM_USER + 0x75;        // 0x475, thread message
inline constexpr UINT WM_EMU_INVOKE_29 = WM_USER + 0x76;        // 0x476, thread message
inline constexpr UINT WM_EMU_INVOKE_31 = WM_USER + 0x77;        // 0x477, thread message
inline constexpr UINT WM_EMU_INVOKE_30 = WM_USER + 0x78;        // 0x478, thread message
inline constexpr UINT BuildOutputMessage = WM_USER + 0x79;      // 0x479, thread message
inline constexpr UINT WM_EMU_VIEW_SETTINGS = WM_USER + 0x7A;    // 0x47A
inline constexpr UINT WM_EMU_REFRESH_MARGIN = WM_USER + 0x7D;   // 0x47D
inline constexpr UINT WM_EMU_SELECT_TAB = WM_USER + 0x96;       // 0x496
inline constexpr UINT WM_EMU_CLASSES_CHANGED = WM_USER + 0xC8;  // 0x4C8

// WM_EMU_ERROR: wParam bit 31 asks the frame to refresh afterwards.
inline constexpr WPARAM EMU_ERROR_REFRESH_AFTER = 0x80000000u;

// WM_EMU_SEMIHOST_IO output buffer kinds (byte 0 of the buffer): a
// zero-terminated text from byte 1, or the one character in byte 1. Kinds 3
// and 4 are the program's standard error (":tt" opened for appending).
// Input (wParam n > 0): the window copies at most n bytes of the next typed
// line (ending with a line feed) into the lParam buffer and answers the
// number of bytes copied.
inline constexpr BYTE SEMIHOST_IO_TEXT = 1;
inline constexpr BYTE SEMIHOST_IO_CHAR = 2;
inline constexpr BYTE SEMIHOST_IO_ERROR_TEXT = 3;
inline constexpr BYTE SEMIHOST_IO_ERROR_CHAR = 4;

// The debug window kinds of WM_EMU_UPDATE_VIEWS, WM_EMU_VIEW_CLOSED and the
// saved window placements.
enum DebugViewKind : int {
    DVK_FREEZE = -1,  // freeze control of WM_EMU_UPDATE_VIEWS
    DVK_ALL = 0,
    DVK_REGISTERS = 1,
    DVK_CONSOLE_TEXT = 2,
    DVK_MEMORY1 = 4,
    DVK_MEMORY2 = 5,
    DVK_MEMORY3 = 6,
    DVK_CODE_VIEWS = 7,
    DVK_CALL_STACK = 8,
    DVK_WATCH = 9,
    DVK_SYMBOLS = 10,
    DVK_BIT_MEMORY = 11,
    DVK_BREAKPOINTS = 12,
    DVK_AUX_WINDOW = 13,   // the peripheral register window
    DVK_DISASSEMBLY = 14,  // the disassembly frame reports this kind when it closes
    DVK_MIXED = 15,
    DVK_CLASSES = 19,
    DVK_KERNEL = 20,
};
inline constexpr int DVK_PLACEMENT_COUNT = 18;  // saved placements for kinds 0 to 17
