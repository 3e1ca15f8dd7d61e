// Software breakpoints: the simulator keeps its own list (codes 41 and 43);
// what stops a run is the break word the debugger plants in target memory.
#include "session.h"

using namespace falcrest;

extern "C" {

EmuResult emuSetBp(ADDR address)
{
    return SendBound(SIM_CMD_SET_BREAK, address.off);
}

// The simulator's records are disabled all together by emuDisableSwBkpt.
EmuResult emuClrBp(ADDR)
{
    return EMU_OK;
}

// Sent before every run; the simulator's list needs no enabling (code 42 is
// the simulator's help command), the break words in memory are what stop it.
EmuResult emuEnableSwBkpt(void)
{
    return SendBound(SIM_CMD_HELP);
}

EmuResult emuDisableSwBkpt(void)
{
    return SendBound(SIM_CMD_DISABLE_BREAKS);
}

DWORD emuGetBkptCode(int)
{
    return EMU_BREAK_WORD;
}

// The break word is fixed.
EmuResult emuSetBkptCode(int)
{
    return EMU_OK;
}
EmuResult emuSetHWBP(int, int, int, int, int)
{
    return EMU_OK;
}
EmuResult emuSetWP(EMU_WATCH_RECORD)
{
    return EMU_OK;
}
EmuResult emuSetBkptNonmask(int)
{
    return EMU_OK;
}

}  // extern "C"
