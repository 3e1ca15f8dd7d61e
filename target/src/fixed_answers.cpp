// The probe back ends' event, trigger, trace, map and configuration calls:
// the simulator serves none of them, so each gives a fixed answer and leaves
// the target alone.
#include <cstring>

#include "session.h"

using namespace falcrest;

namespace {

template <typename T>
void Put(T* where, T value)
{
    if (where)
        *where = value;
}

template <typename T>
EmuResult Answer(T* where, T value)
{
    Put(where, value);
    return EMU_OK;
}

}  // namespace

extern "C" {

int MemCacheDisable(uint32_t option1, uint32_t option2)
{
    // Kept without effect: the simulator has no target memory cache here.
    State().memCacheOptions[0] = option1;
    State().memCacheOptions[1] = option2;
    return 1;
}

EmuResult emuSetOcdLog(int)
{
    return EMU_OK;
}
void emuHardRefresh(int) {}
void emuGetTraceFrame(int, int, int, int, int) {}
EmuResult emuGetID(char*)
{
    return EMU_OK;
}

EmuResult emuGetEvent(void* event448, void* extra16, int16_t* word, char* kind, int*, int16_t* pair)
{
    if (event448)
        std::memset(event448, 0, EMU_EVENT_BLOCK_SIZE);
    if (extra16)
        std::memset(extra16, 0, EMU_EVENT_EXTRA_SIZE);
    Put<int16_t>(word, 0);
    Put<char>(kind, 3);
    if (pair)
        pair[0] = pair[1] = 1;
    return EMU_OK;
}

EmuResult emuGetTraceInfo(int16_t* first, int16_t* second, int16_t* third, int16_t* fourth)
{
    Put<int16_t>(first, 1);
    Put<int16_t>(second, 0);
    Put<int16_t>(third, 0);
    Put<int16_t>(fourth, 0);
    return EMU_OK;
}

EmuResult emuIsTraceBufferFull(int, char* full)
{
    return Answer<char>(full, 1);
}
EmuResult emuGetVerify(int16_t* on)
{
    return Answer<int16_t>(on, 0);
}
EmuResult emuGetMapSize(int* count)
{
    return Answer(count, 1);
}
EmuResult emuGetWait(int16_t* value)
{
    return Answer<int16_t>(value, 1);
}
EmuResult emuGetControl(int16_t* value)
{
    return Answer<int16_t>(value, 0);
}
EmuResult emuGetReady(int16_t* value)
{
    return Answer<int16_t>(value, 0);
}
EmuResult emuGetSync(int16_t* value)
{
    return Answer<int16_t>(value, 0);
}
EmuResult emuInput(int, int, int, char* value)
{
    return Answer<char>(value, 0);
}

EmuResult emuSetEvent(int, void*)
{
    return EMU_OK;
}
EmuResult emuSetAllEvents(void*, void*, int)
{
    return EMU_OK;
}
EmuResult emuClearEvent(int)
{
    return EMU_OK;
}
EmuResult emuSetTrig(int, void*)
{
    return EMU_OK;
}
EmuResult emuGetAllTrig(void*, void*, void*, void*)
{
    return EMU_OK;
}
EmuResult emuClearTrig(int)
{
    return EMU_OK;
}
EmuResult emuSetTraceBreak(int)
{
    return EMU_OK;
}
EmuResult emuTraceReset(void)
{
    return EMU_OK;
}
EmuResult emuSetISCT_SER(int)
{
    return EMU_OK;
}
EmuResult emuSize(int)
{
    return EMU_OK;
}
EmuResult emuSetUpm(int, int, int)
{
    return EMU_OK;
}
EmuResult emuGetUpm(int, void*)
{
    return EMU_OK;
}
EmuResult emuSetVerify(int)
{
    return EMU_OK;
}
EmuResult emuSetTimerCounter(int, int)
{
    return EMU_OK;
}
EmuResult emuOutput(int, int, int, int)
{
    return EMU_OK;
}
EmuResult emuSetQualTrace(int, int, int, int)
{
    return EMU_OK;
}
EmuResult PPCAdvancedLSDataBP(int, int, int, int)
{
    return EMU_OK;
}
EmuResult emuSetMap(int, int, int)
{
    return EMU_OK;
}
EmuResult emuGetTraceBufferInfo(int, int, int)
{
    return EMU_OK;
}
EmuResult PPCAdvancedHardBP(int, int, int)
{
    return EMU_OK;
}
EmuResult PPCSetLSDataBP(int, int, int, int, int, int)
{
    return EMU_OK;
}
EmuResult emuGetStatus(void)
{
    return EMU_OK;
}
EmuResult emuDiagnostic(void)
{
    return EMU_OK;
}
EmuResult emuDisableQual(void)
{
    return EMU_OK;
}
EmuResult AbiCustomCmd(int)
{
    return EMU_OK;
}
EmuResult DiagnosticFunction(int)
{
    return EMU_OK;
}
EmuResult DisableHardBP(int)
{
    return EMU_OK;
}
EmuResult DisableLSDataBP(int)
{
    return EMU_OK;
}
EmuResult emuGetMap(int)
{
    return EMU_OK;
}
EmuResult emuSelfTest(int)
{
    return EMU_OK;
}
EmuResult emuSetControl(int)
{
    return EMU_OK;
}
EmuResult emuSetExtEvent(int)
{
    return EMU_OK;
}
EmuResult emuSetReady(int)
{
    return EMU_OK;
}
EmuResult emuSetSync(int)
{
    return EMU_OK;
}
EmuResult emuSetTimerReg(int)
{
    return EMU_OK;
}
EmuResult emuSetTraceBuffer(int)
{
    return EMU_OK;
}
EmuResult emuSetWait(int)
{
    return EMU_OK;
}

}  // extern "C"
