// sarvik's resource numbers and the control ids of its dialogs.
#pragma once

namespace sarvik::res {

// Strings shared by the dialogs, the list window and the text commands.
inline constexpr unsigned IDS_BPT_FILTER = 13;
inline constexpr unsigned IDS_BREAKPOINT_AT = 14;
inline constexpr unsigned IDS_ENABLE = 15;
inline constexpr unsigned IDS_DISABLE = 16;
inline constexpr unsigned IDS_TOTAL_BREAKPOINTS = 17;

inline constexpr unsigned IDD_WATCHPOINT = 128;
inline constexpr unsigned IDD_BREAKPOINT = 129;
// The list window's state images: 16 pixels each, 0 none, 1 disabled,
// 2 enabled; the mask colour is yellow (COLORREF 0x0000FFFF).
inline constexpr unsigned IDB_BP_STATES = 135;

}  // namespace sarvik::res
