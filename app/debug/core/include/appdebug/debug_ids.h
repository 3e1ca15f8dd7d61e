// Command ids of the Debug menu that the debugger core handles, with the
// numbers the menus, toolbars, accelerators and WM_COMMAND posts use.
#pragma once

#include "win_types.h"

namespace appdebug {

inline constexpr UINT ID_DEBUG_GO = 32811;
inline constexpr UINT ID_DEBUG_HALT = 32812;
inline constexpr UINT ID_DEBUG_RESET = 32810;
inline constexpr UINT ID_DEBUG_RESTART = 32809;
inline constexpr UINT ID_DEBUG_STEP_INTO = 32813;
inline constexpr UINT ID_DEBUG_STEP_OVER = 32815;
inline constexpr UINT ID_DEBUG_STEP_OUT = 32814;
inline constexpr UINT ID_DEBUG_GOTO_CURSOR = 32816;
inline constexpr UINT ID_DEBUG_STEP_INTO_CONT = 32788;
inline constexpr UINT ID_DEBUG_STEP_OVER_CONT = 32932;
inline constexpr UINT ID_DEBUG_GO_TILL_CALL = 32874;
inline constexpr UINT ID_DEBUG_GO_INTO_CALL = 32876;
inline constexpr UINT ID_DEBUG_GO_TILL_RETURN = 32875;
inline constexpr UINT ID_DEBUG_GO_OVER_RETURN = 32877;
inline constexpr UINT ID_DEBUG_FREE_RUN = 32838;
inline constexpr UINT ID_DEBUG_JUMP = 32796;
inline constexpr UINT ID_DEBUG_JUMP_TO_CURSOR = 32930;
inline constexpr UINT ID_DEBUG_GOTO_ADDRESS = 32872;
inline constexpr UINT ID_DEBUG_BREAKPOINT = 32839;
inline constexpr UINT ID_DEBUG_BREAKPOINT_LIST = 32981;
inline constexpr UINT ID_DEBUG_WATCHPOINT = 59156;
inline constexpr UINT ID_DEBUG_PERIPHERAL = 59149;
inline constexpr UINT ID_DEBUG_FLASH = 248;
inline constexpr UINT ID_DEBUG_UPLOAD_MEMORY = 32873;
inline constexpr UINT ID_DEBUG_DOWNLOAD_MEMORY = 32929;
inline constexpr UINT ID_DEBUG_MEMORY_ACTIONS = 32941;
inline constexpr UINT ID_DEBUG_LOAD_PROGRAM = 32807;
inline constexpr UINT ID_DEBUG_WATCH_WINDOW = 32817;
inline constexpr UINT ID_DEBUG_CALL_STACK_WINDOW = 32831;
inline constexpr UINT ID_DEBUG_MEMORY_WINDOW = 32832;
inline constexpr UINT ID_DEBUG_REGISTER_WINDOW = 32834;
inline constexpr UINT ID_DEBUG_KERNEL_VIEW = 32984;
inline constexpr UINT ID_DEBUG_TRACE_CONTROL = 32889;
inline constexpr UINT ID_DEBUG_TRACE_OFF = 59146;
// "Trace window", "Memory Map", "Bit Memory", an unnamed one and
// "Syncronize with HW": always disabled.
inline constexpr UINT ID_DEBUG_TRACE_WINDOW = 32818;
inline constexpr UINT ID_DEBUG_MEMORY_MAP = 32878;
inline constexpr UINT ID_DEBUG_BIT_MEMORY = 32908;
inline constexpr UINT ID_DEBUG_UNNAMED_32947 = 32947;
inline constexpr UINT ID_DEBUG_SYNC_HW = 59396;

// The refresh command a debug window's view answers.
inline constexpr UINT ID_VIEW_REFRESH = 32802;

// Message numbers of the error-text library used by the core.
inline constexpr UINT IDS_CAPTION = 32769;  // the caption of every report
inline constexpr UINT IDS_RESET_QUESTION = 32794;
inline constexpr UINT IDS_TARGET_LOST = 32799;

}  // namespace appdebug
