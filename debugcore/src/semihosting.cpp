// Recognising a semihosting call at the SWI vector, serving it and returning
// the target to its caller; the vector's breakpoint before every run.
#include "semihosting.h"

#include "core.h"
#include "falcrest.h"
#include "host_files.h"
#include "semihost_ops.h"
#include "target_access.h"
#include "vexlor/vexlor.h"

namespace sarvik {

namespace {

constexpr uint32_t kArmSwiMask = 0x0F000000u;
constexpr uint32_t kArmSemihostSwi = 0x0F123456u;
constexpr uint16_t kThumbSemihostSwi = 0xDFAB;

}  // namespace

void PlantSemihostVectorBreakpoint()
{
    if (!SemihostingServed())
        return;
    const ADDR vector{Core().config.semihostVector, ADDR_SPACE_TARGET};
    CBpData* found = nullptr;
    if (BptFindBp(&vector, vector, &found) == BPT_MARK_NONE) {
        BptSetBp(&vector, "", 1, 0, 1, 0xFFFFFFFFu);
        return;
    }
    if (found) {
        found->ResetHitCount();
        emuSetBp(vector);
    }
}

namespace {

// Whether the SWI that entered the vector is a semihosting call: the
// caller's state is the T bit of the saved status (SPSR_svc), the SWI the
// instruction before the return address.
int IsSemihostingSwi(uint32_t lr, bool thumbCaller, bool& semihosting)
{
    semihosting = false;
    if (thumbCaller) {
        uint16_t swi = 0;
        const int r = ReadTargetHalf(lr - 2, swi);
        semihosting = r == 0 && swi == kThumbSemihostSwi;
        return r;
    }
    uint32_t swi = 0;
    const int r = ReadTargetWords(lr - 4, &swi, 1);
    semihosting =
        r == 0 && (swi & kArmSwiMask) == kArmSwiMask && (swi & 0x00FFFFFFu) == (kArmSemihostSwi & 0x00FFFFFFu);
    return r;
}

// Back to the caller: the saved status first (its mode and state decide
// how the PC is taken), then the PC.
int ReturnToCaller(const SemihostAnswer& a, uint32_t lr, uint32_t spsr)
{
    const bool thumb = (spsr & CPSR_THUMB) != 0;
    uint32_t cpsr = spsr;
    uint32_t pc = lr;
    switch (a.after) {
    case SemihostReturn::ToCaller: break;
    case SemihostReturn::Exit:
        // The PC stays on the SWI: a go repeats the program's end.
        pc = lr - (thumb ? 2 : 4);
        break;
    case SemihostReturn::EnterSvc: cpsr = (spsr & ~CPSR_MODE_MASK) | CPSR_MODE_SVC | CPSR_IRQ_FIQ_DISABLE; break;
    }
    int r = SetTargetReg(SIM_REG_CPSR, cpsr);
    if (r == 0)
        r = CpuSetPC(pc);
    return r;
}

}  // namespace

bool SemihostingServed()
{
    const TargetConfig& c = Core().config;
    return c.semihostOption == 1 &&
        (c.protocol == EMU_PROTOCOL_PELLITON || c.protocol == EMU_PROTOCOL_TAMBER ||
         c.protocol == EMU_PROTOCOL_SIMULATOR);
}

void SemihostProgramStarts()
{
    Core().files.CloseAll();
    SemihostState& s = Core().semihost;
    s.programStart = std::chrono::steady_clock::now();
    s.lastErrno = 0;
    ClearSemihostExit();
}

void ClearSemihostExit()
{
    SemihostState& s = Core().semihost;
    s.exited = false;
    s.exitReason = 0;
    s.exitStatus = 0;
}

void ResetSemihosting()
{
    SemihostProgramStarts();
    Core().semihost.commandLine.clear();
}

}  // namespace sarvik

using namespace sarvik;

extern "C" {

int HandleSemiHosting(int* state)
{
    int unused = 0;
    int& served = state ? *state : unused;
    served = SEMIHOST_NOT_SERVED;
    DWORD pc = 0;
    if (!SemihostingServed() || CpuGetPC(&pc) != 0 || pc != Core().config.semihostVector)
        return 0;

    uint32_t spsr = 0;
    DWORD lr = 0;
    int r = GetTargetReg(SIM_REG_SPSR_SVC, spsr);
    if (r == 0)
        r = CpuGetLR(&lr);
    if (r != 0)
        return r;
    bool semihosting = false;
    IsSemihostingSwi(lr, (spsr & CPSR_THUMB) != 0, semihosting);
    if (!semihosting) {
        // The program's own SWI: its handler runs from the vector's own
        // instruction (the break words are out while the target is stopped).
        served = SEMIHOST_SERVED;
        return emuStepOne(0);
    }

    uint32_t op = 0, r1 = 0;
    r = GetTargetReg(SIM_REG_R0, op);
    if (r == 0)
        r = GetTargetReg(SIM_REG_R0 + 1, r1);
    if (r != 0)
        return r;
    const SemihostAnswer answer = PerformSemihostCall(op, r1);
    r = SetTargetReg(SIM_REG_R0, answer.r0);
    if (r == 0 && answer.setR1)
        r = SetTargetReg(SIM_REG_R0 + 1, answer.r1);
    if (r == 0)
        r = ReturnToCaller(answer, lr, spsr);
    served = answer.after == SemihostReturn::Exit ? SEMIHOST_EXITED : SEMIHOST_SERVED;
    return r;
}

void SemihostSetCommandLine(const char* line)
{
    Core().semihost.commandLine = line ? line : "";
}

void SemihostProgramLoaded(void)
{
    SemihostProgramStarts();
}

int SemihostGetExit(DWORD* reason, DWORD* status)
{
    const SemihostState& s = Core().semihost;
    if (!s.exited)
        return 0;
    if (reason)
        *reason = s.exitReason;
    if (status)
        *status = s.exitStatus;
    return 1;
}

}  // extern "C"
