// Resource numbers, command ids and control ids of the application shell.
#pragma once

#include "command_ids.h"
#include "win_types.h"

namespace shell {

// Strings and tables.
inline constexpr UINT IDR_MAINFRAME = 1;  // menu, and the source documents' strings
inline constexpr UINT IDR_PROJECT = 5;    // the project documents' strings
inline constexpr UINT IDS_OLE_INIT_FAILED = 100;
inline constexpr UINT IDS_PROJECT_FILTER = 20004;
inline constexpr UINT IDS_APP_TITLE = 57344;     // AFX_IDS_APP_TITLE
inline constexpr UINT IDS_IDLE_MESSAGE = 57345;  // AFX_IDS_IDLEMESSAGE

// Dialogs.
inline constexpr UINT IDD_ABOUTBOX = 100;
inline constexpr UINT IDD_CHANGE_PC = 148;
inline constexpr UINT IDD_ADDRESS = 177;
// The splash bitmap.
inline constexpr UINT IDB_SPLASH = 327;

// Controls.
inline constexpr int IDC_ABOUT_FOURTH = 1001;
inline constexpr int IDC_PC_EDIT = 1021;
inline constexpr int IDC_ADDRESS_LABEL = 1094;
inline constexpr int IDC_ADDRESS_EDIT = 1100;
inline constexpr int IDC_ABOUT_NOTICE = 1126;
inline constexpr int IDC_ABOUT_VERSION = 1127;
inline constexpr int IDC_ABOUT_BUILD = 1128;
inline constexpr int IDC_ABOUT_PROCESSOR = 1169;

// Status bar panes.
inline constexpr UINT ID_INDICATOR_HALT = 59148;
inline constexpr UINT ID_INDICATOR_PC = 59143;
inline constexpr UINT ID_INDICATOR_TRACE = 59146;
inline constexpr UINT ID_INDICATOR_BLANK = 59147;
inline constexpr UINT ID_INDICATOR_LINE = 59144;
// ID_INDICATOR_OVR (59140) is the class library's.

// Commands.
inline constexpr UINT ID_FILE_OPEN_PROJECT = 32789;
inline constexpr UINT ID_PROJECT_ADD_SOURCES = 32792;
inline constexpr UINT ID_PROJECT_BUILD = 32794;
inline constexpr UINT ID_PROJECT_REBUILD = 32795;
inline constexpr UINT ID_PROJECT_CLOSE_ALL = 32797;
inline constexpr UINT ID_PROJECT_SAVE = 32798;
inline constexpr UINT ID_DEBUG_CONNECT = 32803;  // "Load": connect and load
inline constexpr UINT ID_GOTO_ASSEMBLY = 32823;
inline constexpr UINT ID_GOTO_MIXED = 32861;
inline constexpr UINT ID_EDIT_MACRO = 32880;
inline constexpr UINT ID_VIEW_HTML = 32883;
inline constexpr UINT ID_STARTUP_CONFIG = 32910;
inline constexpr UINT ID_VIEW_BINARY = 32916;
inline constexpr UINT ID_FILE_NEW_PROJECT = 32931;
inline constexpr UINT ID_TOOLS_ACTION_RECORD = 32945;
inline constexpr UINT ID_EDIT_COMPARE = 32951;
inline constexpr UINT ID_TOOLS_CORVANE = 32984;
inline constexpr UINT ID_RECENT_PROJECT_FIRST = 57628;

// The Debug menu's commands (the debugger core's route) and the frame's bar
// toggles.
inline constexpr UINT ID_DEBUG_STEP_CONT = 32788;
inline constexpr UINT ID_DEBUG_LOAD_FILE = 32807;  // a program file, chosen in the dialog
inline constexpr UINT ID_DEBUG_GO_TILL_CALL = 32874;
inline constexpr UINT ID_DEBUG_GO_TILL_RETURN = 32875;
inline constexpr UINT ID_DEBUG_GO_INTO_CALL = 32876;
inline constexpr UINT ID_DEBUG_GO_OVER_RETURN = 32877;
inline constexpr UINT ID_DEBUG_STEP_OVER_CONT = 32932;
inline constexpr UINT ID_DEBUG_MEMORY_ACTIONS = 32941;
inline constexpr UINT ID_DEBUG_WATCHPOINT = 59156;
inline constexpr UINT ID_DEBUG_JUMP = 32796;
inline constexpr UINT ID_DEBUG_RESTART = 32809;
inline constexpr UINT ID_DEBUG_RESET = 32810;
inline constexpr UINT ID_DEBUG_GO = 32811;
inline constexpr UINT ID_DEBUG_HALT = 32812;
inline constexpr UINT ID_DEBUG_STEP_INTO = 32813;
inline constexpr UINT ID_DEBUG_STEP_OUT = 32814;
inline constexpr UINT ID_DEBUG_STEP_OVER = 32815;
inline constexpr UINT ID_DEBUG_GOTO_CURSOR = 32816;
inline constexpr UINT ID_DEBUG_WATCH_WINDOW = 32817;
inline constexpr UINT ID_DEBUG_CALL_STACK_WINDOW = 32831;
inline constexpr UINT ID_DEBUG_MEMORY_WINDOW = 32832;
inline constexpr UINT ID_DEBUG_REGISTER_WINDOW = 32834;
inline constexpr UINT ID_DEBUG_FREE_RUN = 32838;
inline constexpr UINT ID_DEBUG_BREAKPOINT = 32839;
inline constexpr UINT ID_DEBUG_GOTO_ADDRESS = 32872;
inline constexpr UINT ID_DEBUG_JUMP_TO_CURSOR = 32930;
inline constexpr UINT ID_DEBUG_BREAKPOINTS = 32981;
inline constexpr UINT ID_VIEW_PROJECT_WINDOW = 32784;
inline constexpr UINT ID_VIEW_OUTPUT_WINDOW = 32786;
inline constexpr UINT ID_VIEW_DEBUG_TOOLBAR = 32821;
inline constexpr UINT ID_VIEW_EDIT_TOOLBAR = 32822;

// The main frame's toolbars.
inline constexpr UINT IDR_STANDARD_TOOLBAR = 1;
inline constexpr UINT IDR_DEBUG_TOOLBAR = 156;
inline constexpr UINT IDR_BUILD_TOOLBAR = 157;

// Top-level menu positions other parts rely on.
inline constexpr int kEditMenuPosition = 1;
inline constexpr int kOptionMenuPosition = 5;
inline constexpr int kBuildToolsItemPosition = 3;
inline constexpr int kToolsMenuPosition = 6;

// Registers the shell's strings, menu, toolbars and dialog templates (once).
void RegisterShellResources();

}  // namespace shell
