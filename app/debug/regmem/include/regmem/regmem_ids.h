// Command ids of the register and memory windows and the resource numbers
// of their dialogs and toolbar.
#pragma once

#include "win_types.h"

namespace regmem {

// Register views.
inline constexpr UINT ID_REG_REFRESH = 32802;
inline constexpr UINT ID_REG_VIEW_HEX = 32867;
inline constexpr UINT ID_REG_VIEW_DECIMAL = 32866;
inline constexpr UINT ID_REG_ADD_WATCH = 32864;
inline constexpr UINT ID_REG_DOCK_TOGGLE = 32964;
inline constexpr UINT ID_REG_REMOVE_FROM_WORKSPACE = 32959;
inline constexpr UINT IDC_REG_EDIT = 5049;
inline constexpr UINT IDR_REGISTER_MENU = 174;
inline constexpr UINT IDR_REGISTER_TAB_MENU = 114;
inline constexpr UINT IDI_REGISTER_ICON = 204;

// Memory views.
inline constexpr UINT ID_MEM_REFRESH = 32802;
inline constexpr UINT ID_MEM_ACTION = 32847;
inline constexpr UINT ID_MEM_SHORT_LINE = 32804;
inline constexpr UINT ID_MEM_BYTE = 32901;
inline constexpr UINT ID_MEM_WORD = 32902;
inline constexpr UINT ID_MEM_LONG = 32888;
inline constexpr UINT ID_MEM_SIGNED = 32840;
inline constexpr UINT ID_MEM_UNSIGNED = 32846;
inline constexpr UINT ID_MEM_HEX = 32841;
inline constexpr UINT ID_MEM_DISASSEMBLY = 32842;
inline constexpr UINT ID_MEM_VIEW_ASCII = 32845;
inline constexpr UINT ID_MEM_ADD_WATCH = 32928;
inline constexpr UINT ID_MEM_UPLOAD = 32873;
inline constexpr UINT ID_MEM_DOWNLOAD = 32929;
inline constexpr UINT ID_MEM_BACKGROUND_COLOR = 32843;
inline constexpr UINT ID_MEM_TEXT_COLOR = 32844;
inline constexpr UINT ID_MEM_TOOLBAR = 32983;
inline constexpr UINT ID_MEM_AUTO_UPDATE = 32805;
inline constexpr UINT ID_MEM_MIX_ARM_THUMB = 32987;
inline constexpr UINT ID_MEM_ARM_ONLY = 32988;
inline constexpr UINT ID_MEM_THUMB_ONLY = 32989;
inline constexpr UINT ID_MEM_FIND = 57636;
inline constexpr UINT ID_MEM_FIND_NEXT = 32771;
inline constexpr UINT ID_MEM_ADDRESS_COMBO = 32903;
inline constexpr UINT ID_MEM_GOTO = 32904;
inline constexpr UINT IDR_MEMORY_TOOLBAR = 197;
inline constexpr UINT IDR_MEMORY_FORMAT_MENU = 164;

// Dialogs.
inline constexpr UINT IDD_MODIFY_MEMORY = 171;
inline constexpr UINT IDD_ASSEMBLE = 172;
inline constexpr int IDC_MODIFY_ADDRESS = 1355;
inline constexpr int IDC_MODIFY_DATA = 1357;
inline constexpr int IDC_MODIFY_OK = 1358;
inline constexpr int IDC_MODIFY_MODIFY = 1359;
inline constexpr int IDC_MODIFY_CANCEL = 1360;
inline constexpr int IDC_ASSEMBLE_ADDRESS = 1359;
inline constexpr int IDC_ASSEMBLE_TEXT = 1361;
inline constexpr int IDC_ASSEMBLE_OK = 1366;
inline constexpr int IDC_ASSEMBLE_ACCEPT = 1367;
inline constexpr int IDC_ASSEMBLE_CANCEL = 1368;

// The memory tools' sheet and pages.
inline constexpr UINT IDS_MEMORY_GROUP = 133;
inline constexpr UINT IDD_MEM_TEST = 20031;
inline constexpr UINT IDD_MEM_COMPARE = 20032;
inline constexpr UINT IDD_MEM_SEARCH = 20038;
inline constexpr UINT IDD_MEM_FILL = 20039;
inline constexpr UINT IDD_MEM_COPY = 20040;
inline constexpr UINT IDD_MEM_CHECKSUM = 20041;

}  // namespace regmem

namespace regmem {

// Fields of the memory tools' pages: start, range combo, end or length.
inline constexpr int IDC_SEARCH_START = 1017, IDC_SEARCH_MODE = 1018, IDC_SEARCH_END = 1019;
inline constexpr int IDC_SEARCH_PATTERN = 1025, IDC_SEARCH_CASE = 1026, IDC_SEARCH_OUTPUT = 1028;
inline constexpr int IDC_COMPARE_START = 1004, IDC_COMPARE_MODE = 1005, IDC_COMPARE_END = 1006;
inline constexpr int IDC_COMPARE_DEST = 1405, IDC_COMPARE_STOP = 1399, IDC_COMPARE_OUTPUT = 1029;
inline constexpr int IDC_CHECKSUM_START = 1410, IDC_CHECKSUM_MODE = 1412, IDC_CHECKSUM_END = 1411;
inline constexpr int IDC_CHECKSUM_OUTPUT = 1457;
inline constexpr int IDC_COPY_START = 1007, IDC_COPY_MODE = 1008, IDC_COPY_END = 1009;
inline constexpr int IDC_COPY_DEST = 1010, IDC_COPY_OUTPUT = 1011;
inline constexpr int IDC_FILL_START = 1012, IDC_FILL_MODE = 1014, IDC_FILL_END = 1015;
inline constexpr int IDC_FILL_PATTERN = 1013, IDC_FILL_OUTPUT = 1016;
inline constexpr int IDC_TEST_START = 1021, IDC_TEST_MODE = 1022, IDC_TEST_END = 1023, IDC_TEST_OUTPUT = 1024;
inline constexpr int IDC_TEST_MEMORY = 1040, IDC_TEST_DATA_BUS = 1041, IDC_TEST_ADDRESS_BUS = 1042;
inline constexpr int IDC_TEST_BYTE = 1043, IDC_TEST_HALF = 1044, IDC_TEST_WORD = 1045;

}  // namespace regmem
