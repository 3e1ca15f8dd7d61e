// Command ids: one constant each, with the numbers the system's menus,
// toolbars, accelerators and WM_COMMAND posts use. The class library's own
// ids (file, edit, window, help, bars, panes) come first; the system's
// commands are added by the modules that handle them.
#pragma once

#include "win_types.h"

inline constexpr UINT ID_SEPARATOR = 0;

// File
inline constexpr UINT ID_FILE_NEW = 0xE100;
inline constexpr UINT ID_FILE_OPEN = 0xE101;
inline constexpr UINT ID_FILE_CLOSE = 0xE102;
inline constexpr UINT ID_FILE_SAVE = 0xE103;
inline constexpr UINT ID_FILE_SAVE_AS = 0xE104;
inline constexpr UINT ID_FILE_PAGE_SETUP = 0xE105;
inline constexpr UINT ID_FILE_PRINT_SETUP = 0xE106;
inline constexpr UINT ID_FILE_PRINT = 0xE107;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 0xE108;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
inline constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
inline constexpr UINT ID_FILE_MRU_FIRST = ID_FILE_MRU_FILE1;
inline constexpr UINT ID_FILE_MRU_FILE16 = 0xE11F;
inline constexpr UINT ID_FILE_MRU_LAST = ID_FILE_MRU_FILE16;

// Edit
inline constexpr UINT ID_EDIT_CLEAR = 0xE120;
inline constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
inline constexpr UINT ID_EDIT_COPY = 0xE122;
inline constexpr UINT ID_EDIT_CUT = 0xE123;
inline constexpr UINT ID_EDIT_FIND = 0xE124;
inline constexpr UINT ID_EDIT_PASTE = 0xE125;
inline constexpr UINT ID_EDIT_REPEAT = 0xE128;
inline constexpr UINT ID_EDIT_REPLACE = 0xE129;
inline constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
inline constexpr UINT ID_EDIT_UNDO = 0xE12B;
inline constexpr UINT ID_EDIT_REDO = 0xE12C;

// Window
inline constexpr UINT ID_WINDOW_NEW = 0xE130;
inline constexpr UINT ID_WINDOW_ARRANGE = 0xE131;
inline constexpr UINT ID_WINDOW_CASCADE = 0xE132;
inline constexpr UINT ID_WINDOW_TILE_HORZ = 0xE133;
inline constexpr UINT ID_WINDOW_TILE_VERT = 0xE134;
inline constexpr UINT ID_WINDOW_SPLIT = 0xE135;
// The Window menu's list of MDI children starts here.
inline constexpr UINT AFX_IDM_FIRST_MDICHILD = 0xFF00;

// Application and help
inline constexpr UINT ID_APP_ABOUT = 0xE140;
inline constexpr UINT ID_APP_EXIT = 0xE141;
inline constexpr UINT ID_HELP_INDEX = 0xE142;
inline constexpr UINT ID_HELP_FINDER = 0xE143;
inline constexpr UINT ID_HELP_USING = 0xE144;
inline constexpr UINT ID_CONTEXT_HELP = 0xE145;
inline constexpr UINT ID_HELP = 0xE146;
inline constexpr UINT ID_DEFAULT_HELP = 0xE147;
inline constexpr UINT ID_NEXT_PANE = 0xE150;
inline constexpr UINT ID_PREV_PANE = 0xE151;

// Print preview bar
inline constexpr UINT AFX_ID_PREVIEW_CLOSE = 0xE300;
inline constexpr UINT AFX_ID_PREVIEW_NUMPAGE = 0xE301;
inline constexpr UINT AFX_ID_PREVIEW_NEXT = 0xE302;
inline constexpr UINT AFX_ID_PREVIEW_PREV = 0xE303;
inline constexpr UINT AFX_ID_PREVIEW_PRINT = 0xE304;
inline constexpr UINT AFX_ID_PREVIEW_ZOOMIN = 0xE305;
inline constexpr UINT AFX_ID_PREVIEW_ZOOMOUT = 0xE306;

// Status bar indicators
inline constexpr UINT ID_INDICATOR_EXT = 0xE700;
inline constexpr UINT ID_INDICATOR_CAPS = 0xE701;
inline constexpr UINT ID_INDICATOR_NUM = 0xE702;
inline constexpr UINT ID_INDICATOR_SCRL = 0xE703;
inline constexpr UINT ID_INDICATOR_OVR = 0xE704;
inline constexpr UINT ID_INDICATOR_REC = 0xE705;

// Bars: the view commands equal the bar ids they toggle.
inline constexpr UINT AFX_IDW_CONTROLBAR_FIRST = 0xE800;
inline constexpr UINT AFX_IDW_CONTROLBAR_LAST = 0xE8FF;
inline constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
inline constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr UINT AFX_IDW_PREVIEW_BAR = 0xE802;
inline constexpr UINT AFX_IDW_DIALOGBAR = 0xE805;
inline constexpr UINT ID_VIEW_TOOLBAR = AFX_IDW_TOOLBAR;
inline constexpr UINT ID_VIEW_STATUS_BAR = AFX_IDW_STATUS_BAR;
// User-defined toolbars take the bar ids 59400 to 59409.
inline constexpr UINT ID_USER_TOOLBAR_FIRST = 59400;
inline constexpr UINT ID_USER_TOOLBAR_LAST = 59409;
// A dockable view's "Float View" / "Dock View".
inline constexpr UINT ID_VIEW_DOCK_TOGGLE = 32964;

// Panes of frames and splitters.
inline constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
inline constexpr UINT AFX_IDW_PANE_LAST = 0xE9FF;
inline constexpr UINT AFX_IDW_HSCROLL_FIRST = 0xEA00;
inline constexpr UINT AFX_IDW_VSCROLL_FIRST = 0xEA10;

// String resource numbers of the class library's prompts.
inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
