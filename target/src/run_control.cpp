// Run control: start, single-step, halt and reset the simulated target.
#include "session.h"

using namespace falcrest;

namespace {

// CPSR at reset: the mode bits stay, IRQ and FIQ are disabled, the flags and
// the Thumb bit are cleared.
constexpr uint32_t CPSR_MODE_BITS = 0x1F;
constexpr uint32_t CPSR_IRQ_FIQ_DISABLE = 0xC0;

}  // namespace

extern "C" {

EmuResult emuGo(int)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    EmuResult r = Send(SIM_CMD_GO);
    if (r == EMU_OK && State().runStateHook)
        State().runStateHook(1);
    return r;
}

EmuResult emuStepOne(int)
{
    return SendBound(SIM_CMD_STEP);
}

EmuResult emuAbort(int)
{
    return SendBound(SIM_CMD_HALT);
}

EmuResult emuGetCpuStatus(char* status)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    if (!status)
        return EMU_REFUSED;
    return Send(SIM_CMD_STATUS, Ptr(status));
}

EmuResult emuReset(int, int, int)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    Session& s = State();
    s.peri.current = s.peri.reset;
    if (s.periResetHook)
        s.periResetHook(s.peri.current);

    uint32_t cpsr = 0;
    Send(SIM_CMD_READ_REG, SIM_REG_CPSR, Ptr(&cpsr));
    Send(SIM_CMD_WRITE_REG, SIM_REG_CPSR, (cpsr & CPSR_MODE_BITS) | CPSR_IRQ_FIQ_DISABLE);
    Send(SIM_CMD_WRITE_REG, SIM_REG_SP, 0);
    return Send(SIM_CMD_WRITE_REG, SIM_REG_LR, 0);
}

EmuResult emuStepRange(int, int, int, int, int)
{
    return EMU_OK;
}

}  // extern "C"
