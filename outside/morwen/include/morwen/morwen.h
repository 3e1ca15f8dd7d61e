// morwen: the error-text library. Every numbered message of the system (the
// 0x8000 range shared with the loaders' result codes, and the captions) has
// one short text here; ReportError shows a message by number through the
// platform's modal service, so tests answer it and nothing blocks.
#pragma once

#include "win_types.h"
#include "zk_string.h"

// Numbers that callers name.
inline constexpr UINT ERR_CAPTION = 0x8001;                // the caption of the program's messages
inline constexpr UINT ERR_BP_LIST_WHILE_RUNNING = 0x8005;  // the command needs a stopped target (list, load, toggle)
inline constexpr UINT ERR_CONDITION_OPERATOR = 0x8006;     // a condition with a lone "="
inline constexpr UINT ERR_CONDITION_TOO_LONG = 0x8007;     // more than 9 clauses
// The memory tools' texts; the two formats take one argument each.
inline constexpr UINT ERR_MEM_BAD_PATTERN = 32804;         // a search or fill pattern the tools cannot read
inline constexpr UINT ERR_MEM_BAD_ADDRESS = 32820;         // an address text or range the tools cannot use
inline constexpr UINT ERR_MEM_FOUND_AT = 0x804B;           // format: the address of a match
inline constexpr UINT ERR_MEM_LIBRARY = 0x804C;            // the memory library refused the operation
inline constexpr UINT ERR_MEM_CHECKSUM = 0x804D;           // format: the 16-bit checksum
inline constexpr UINT ERR_MEM_FAILED = 0x804E;             // the operation failed on the target
inline constexpr UINT ERR_MEM_DESTINATION_RANGE = 0x804F;  // a copy's destination leaves the space
inline constexpr UINT ERR_MEM_COPY_DONE = 0x8050;
inline constexpr UINT ERR_MEM_FILL_FAILED = 0x8051;
inline constexpr UINT ERR_MEM_FILL_DONE = 0x8052;
inline constexpr UINT ERR_RESET_QUESTION = 32794;    // the Reset command's question
inline constexpr UINT ERR_USER_IMAGES = 32795;       // the frame's user button images did not load
inline constexpr UINT ERR_NO_TIMER = 32796;          // the frame's one-second timer was refused
inline constexpr UINT ERR_TARGET_LOST = 32799;       // a run or access found the target lost
inline constexpr UINT ERR_CLOSE_SHELL_BUSY = 32800;  // closing refused: the command shell works
inline constexpr UINT ERR_CLOSE_RUN_ACTIVE = 32801;  // closing refused: a run command is active
inline constexpr UINT ERR_CLOSE_SCRIPT = 32802;      // closing refused: a script runs
inline constexpr UINT ERR_BAD_PC_TEXT = 32807;       // the Change Program Counter text is no address
inline constexpr UINT ERR_MACRO_NO_NAME = 32825;     // Run in the macro dialog without a procedure name
inline constexpr UINT ERR_MACRO_NO_END_SUB = 32826;  // a macro file ends inside a procedure
inline constexpr UINT ERR_MACRO_FILE_READ = 32856;   // a macro file could not be read

extern "C" {

// Keeps the window that owns the message boxes (the main frame). Result 0.
int ErrInit(HWND owner);
// *text = the message's text; a number without a text of its own gets
// "Error 0x%X." with the number. Returns 1 for a known number, else 0.
int ErrGetText(UINT id, ZkString* text);
// Shows message `id` with the text of `caption` as its caption and the MB_
// flags (buttons, icon, default button); returns the button (IDOK, IDYES...).
int ReportError(UINT id, UINT caption, UINT flags);

}  // extern "C"
