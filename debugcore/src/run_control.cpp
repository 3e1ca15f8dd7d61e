// Run control: go in its modes, halt, reset, set PC and restart.
#include "run_control.h"

#include <platform/win32.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "brevan/brevan.h"
#include "core.h"
#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "planting.h"
#include "quentor.h"
#include "semihosting.h"
#include "target_access.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace sarvik {

namespace {

constexpr auto kStopWait = std::chrono::seconds(5);

void Refresh()
{
    SendToMain(WM_EMU_REFRESH, 0, 0);
}

// The go-till of this command, if any, ends with the command.
EmuResult EndWith(EmuResult result, const RunRequest& request)
{
    if (request.till.seg == ADDR_SPACE_TARGET)
        RemoveTempBp({});
    return result;
}

}  // namespace

EmuResult RunSequence(RunRequest& request)
{
    ClearSemihostExit();
    if (request.till.seg == ADDR_SPACE_TARGET) {
        request.till.off = AlignToCode(request.till.off);
        const EmuResult r = AddTempBp(request.till.off, request.till.seg);
        if (r != EMU_OK)
            return r;
    }
    DWORD pc = 0;
    EmuResult r = CpuGetPC(&pc);
    if (r != EMU_OK)
        return EndWith(r, request);

    // A call already waiting at the vector (a halt or a PC change left the
    // target there) is served in place of the step; otherwise one step off
    // the PC, and a call that step reached is served.
    int state = SEMIHOST_NOT_SERVED;
    HandleSemiHosting(&state);
    if (state == SEMIHOST_NOT_SERVED) {
        r = emuStepOne(0);
        if (r != EMU_OK)
            return EndWith(r, request);
        HandleSemiHosting(&state);
    }
    if (state == SEMIHOST_EXITED) {
        Refresh();
        return EndWith(EMU_OK, request);
    }
    r = CpuGetPC(&pc);
    if (r != EMU_OK)
        return EndWith(r, request);

    if (!Core().run.freeRun) {
        const ADDR at{pc, ADDR_SPACE_TARGET};
        if (BptCheckHit(&at) != 0) {
            RemoveTempBp({});
            Refresh();
            return EMU_OK;
        }
    }
    r = BptLoadBreakpoints(1);
    if (r != EMU_OK)
        return EndWith(r, request);
    r = emuGo(0);
    if (r != EMU_OK) {
        BptUnloadBreakpoints();
        RemoveTempBp({});
        Refresh();
    }
    return r;
}

namespace {

// The target's run state after a halt request: a back end may answer
// before its run has ended.
bool WaitForStop()
{
    const auto deadline = std::chrono::steady_clock::now() + kStopWait;
    while (TargetRuns()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

EmuResult SetPcForCode(uint32_t offset, bool align)
{
    const bool thumb = LdrIsInThumbRange(offset) != 0;
    uint32_t cpsr = 0;
    EmuResult r = GetTargetReg(SIM_REG_CPSR, cpsr);
    if (r != EMU_OK)
        return r;
    const uint32_t state = thumb ? cpsr | CPSR_THUMB : cpsr & ~CPSR_THUMB;
    if (state != cpsr && (r = SetTargetReg(SIM_REG_CPSR, state)) != EMU_OK)
        return r;
    return CpuSetPC(align ? AlignToCode(offset) : offset);
}

EmuResult SetPcWhenStopped(uint32_t offset, bool align)
{
    if (Core().run.runCommandActive || TargetRuns())
        return EMU_REFUSED;
    const EmuResult r = SetPcForCode(offset, align);
    if (r == EMU_OK)
        SendToMain(WM_EMU_REFRESH, 0, 0);
    return r;
}

EmuResult HaltTarget(bool toShell)
{
    RunState& run = Core().run;
    run.stepping = 0;
    run.runCommandActive = 0;
    // Set first: the stop entry serves no semihosting call after a halt.
    run.haltAction = 1;
    const EmuResult r = emuAbort(0);
    if (r != EMU_OK) {
        if (toShell)
            ShlPrintMessage("Could not set ICE mode. Please reset the chip!", SHL_PRINT_MESSAGE);
        return r;
    }
    if (!WaitForStop())
        return EMU_TARGET_LOST;
    EmuTargetStopped();
    if (toShell)
        ShlPrintMessage("Cpu is halted.", SHL_PRINT_MESSAGE);
    SendToMain(WM_EMU_REFRESH, 0, 0);
    return EMU_OK;
}

bool TargetRuns()
{
    return (CpuGetCpuStatus(0, 1) & 1) != 0;
}

EmuResult PlantAndGo()
{
    EmuResult r = BptLoadBreakpoints(1);
    if (r != EMU_OK)
        return r;
    r = emuGo(0);
    if (r != EMU_OK)
        UnloadBreakpoints(false);
    return r;
}

}  // namespace sarvik

using namespace sarvik;

extern "C" {

EmuResult EmuRun(int mode, ADDR addr)
{
    RunState& run = Core().run;
    run.haltAction = 0;
    std::unique_ptr<RunRequest> request(new (std::nothrow) RunRequest);
    if (!request) {
        AfxMessageBox("Out of Memory!");
        return EMU_REFUSED;
    }
    SendToMain(WM_EMU_BUSY, 2, 0);
    switch (mode) {
    case EMU_RUN_GO_FROM:
    case EMU_RUN_FLY_GO_FROM: request->from = addr; break;
    case EMU_RUN_GO_TILL:
    case EMU_RUN_FLY_GO_TILL: request->till = addr; break;
    case EMU_RUN_COUNT: request->count = addr.off; break;
    default: break;
    }
    request->fly = mode >= EMU_RUN_FLY_GO && mode <= EMU_RUN_FLY_GO_TILL;
    if (mode >= EMU_RUN_GO && mode <= EMU_RUN_FREE)
        run.freeRun = mode == EMU_RUN_FREE;
    request->freeRun = run.freeRun;
    return RunSequence(*request);
}

EmuResult EmuHalt(void)
{
    return HaltTarget(false);
}

int EmuIsHaltAction(void)
{
    RunState& run = Core().run;
    const int action = run.haltAction;
    run.haltAction = 0;
    return action;
}

EmuResult EmuResetTarget(ADDR pc)
{
    RunState& run = Core().run;
    run.stepping = 0;
    run.runCommandActive = 0;
    pc.off = AlignToCode(pc.off);
    const EmuResult r = emuReset(static_cast<int>(pc.off), 0, 0);
    if (r != EMU_OK)
        return r;
    SemihostProgramStarts();
    return SetPcForCode(pc.off);
}

EmuResult EmuSetPC(ADDR addr)
{
    return SetPcWhenStopped(addr.off, true);
}

void SetRestartOption(int stopAtEntry, const char* symbol)
{
    RunState& run = Core().run;
    run.restartStopAtEntry = stopAtEntry;
    std::string name = symbol ? symbol : "";
    if (!name.empty() && name[0] == '#')
        name.erase(0, 1);
    run.restartSymbol = name;
}

EmuResult EmuRestart(int, int)
{
    ADDR start{0, ADDR_SPACE_TARGET};
    if (LdrGetStartPC(&start) == 0)
        SetPcForCode(start.off);
    SemihostProgramStarts();
    const RunState& run = Core().run;
    if (run.restartStopAtEntry) {
        SendToMain(WM_EMU_REFRESH, 0, 0);
        return EMU_OK;
    }
    std::string text = "#" + run.restartSymbol;
    ADDR till{};
    if (AdrTextToAddr(text.c_str(), &till, 1) != 1) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (AdrTextToAddr(text.c_str(), &till, 1) != 1) {
            SendToMain(WM_EMU_REFRESH, 0, 0);
            return EMU_REFUSED;
        }
    }
    return EmuRun(EMU_RUN_GO_TILL, till);
}

}  // extern "C"
