// Resource numbers and command ids of the window-layer demo.
#pragma once

#include "command_ids.h"

namespace guidemo {

inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDR_SOURCE = 129;
inline constexpr UINT IDD_OPTIONS = 130;
inline constexpr UINT IDD_PAGE_VIEW = 131;
inline constexpr UINT IDD_PAGE_TARGET = 132;

inline constexpr UINT ID_DEMO_RUN = 32900;      // F5
inline constexpr UINT ID_DEMO_BUILD = 32901;    // Ctrl+B
inline constexpr UINT ID_DEMO_OPTIONS = 32902;  // Alt+O (beats the "&Option" menu)
inline constexpr UINT ID_DEMO_SHEET = 32903;
inline constexpr UINT ID_DEMO_TOGGLE = 32904;     // a checked item
inline constexpr UINT ID_DEMO_BREAK = 32905;      // the view's breakpoint toggle (F9)
inline constexpr UINT ID_INDICATOR_LINE = 32950;  // status pane "Ln 1"

inline constexpr int IDC_NAME = 1000;
inline constexpr int IDC_ADDRESS = 1001;
inline constexpr int IDC_VERBOSE = 1002;
inline constexpr int IDC_ARM = 1003;
inline constexpr int IDC_THUMB = 1004;
inline constexpr int IDC_SPEED = 1005;
inline constexpr int IDC_FILES = 1006;
inline constexpr int IDC_TABS = 1007;

}  // namespace guidemo
