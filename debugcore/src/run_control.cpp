// Run control: go in its modes, halt, reset, set PC and restart.
#include "run_control.h"

#include <platform/messages.h>
#include <platform/win32.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <vector>

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
// The announcement follows the stopped state at once; a target library that
// announces nothing costs this much per halt.
constexpr auto kAnnouncementWait = std::chrono::milliseconds(500);
// The halt's wait sleeps until a message arrives or this much passes.
constexpr int kWaitSliceMs = 20;

void Refresh()
{
    SendToMain(WM_EMU_REFRESH, 0, 0);
}

// A go that did not leave the target running: its go-till, if any, ends
// with the command, and a go that started executing tells of its stop.
EmuResult EndWith(EmuResult result, const RunRequest& request, int stop = EMU_STOP_HALTED)
{
    if (request.till.seg == ADDR_SPACE_TARGET)
        RemoveTempBp({});
    Core().NoteStopped(stop);
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
    Core().NoteRunning();

    // A call already waiting at the vector (a halt or a PC change left the
    // target there) is served in place of the step; otherwise one step off
    // the PC, and a call that step reached is served.
    int state = SEMIHOST_NOT_SERVED;
    const unsigned halts = Core().run.halts;
    HandleSemiHosting(&state);
    if (state == SEMIHOST_NOT_SERVED) {
        r = emuStepOne(0);
        if (r != EMU_OK)
            return EndWith(r, request);
        HandleSemiHosting(&state);
    }
    if (state == SEMIHOST_EXITED) {
        Refresh();
        return EndWith(EMU_OK, request, EMU_STOP_EXITED);
    }
    // A halt given while a call waited (a console read): the run ends there.
    if (Core().run.halts != halts) {
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
            Core().NoteStopped(EMU_STOP_HALTED);
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
        Core().NoteStopped(EMU_STOP_HALTED);
    }
    return r;
}

namespace {

using Clock = std::chrono::steady_clock;

// Every run the CPU model heard start has had its end announced: the stop
// count moves after the announcement (WM_EMU_ERROR) is in the main frame's
// queue.
bool EveryRunAnnounced()
{
    return static_cast<int32_t>(CpuGetStopCount() - CpuGetRunCount()) >= 0;
}

// The wait of a halt, until the target has stopped and its stop has been
// announced. It sleeps on the GUI thread's queue, so the announcement's post
// wakes it. Nothing that arrives meanwhile is dispatched (the frame handles
// the announcement after the halt, as it always has): each message is taken
// out as it comes and posted again, in its order, after the wait. A
// target library that announces nothing ends the wait kAnnouncementWait
// after the target stopped.
class HaltWait {
public:
    HaltWait()
        : previous_(platform::SetPreTranslateHook([this](MSG& m) {
              if (m.message == WM_EMU_ERROR && m.hwnd && m.hwnd == Core().mainWindow)
                  announcementSeen_ = true;
              held_.push_back(m);
              return true;
          }))
    {}
    HaltWait(const HaltWait&) = delete;
    HaltWait& operator=(const HaltWait&) = delete;
    ~HaltWait()
    {
        platform::SetPreTranslateHook(std::move(previous_));
        for (const MSG& m : held_)
            PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
    }

    bool UntilAnnounced()
    {
        const Clock::time_point start = Clock::now();
        Clock::time_point stoppedAt{};
        for (;;) {
            const Clock::time_point now = Clock::now();
            if (!TargetRuns()) {
                if (EveryRunAnnounced())
                    return true;
                if (stoppedAt == Clock::time_point{})
                    stoppedAt = now;
                else if (now - stoppedAt >= kAnnouncementWait)
                    return true;
            }
            if (now - start >= kStopWait)
                return false;
            // The count moves right after the announcement's post.
            platform::PumpWait(announcementSeen_ ? 1 : kWaitSliceMs);
        }
    }

private:
    std::vector<MSG> held_;
    bool announcementSeen_ = false;
    platform::PreTranslateHook previous_;
};

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
    if (r == EMU_OK) {
        SendToMain(WM_EMU_REFRESH, 0, 0);
        Core().NoteChanged();
    }
    return r;
}

EmuResult HaltTarget(bool toShell)
{
    RunState& run = Core().run;
    run.stepping = 0;
    run.runCommandActive = 0;
    // Set first: the stop entry serves no semihosting call after a halt.
    run.haltAction = 1;
    ++run.halts;
    const EmuResult r = emuAbort(0);
    if (r != EMU_OK) {
        if (toShell)
            ShlPrintMessage("Could not set ICE mode. Please reset the chip!", SHL_PRINT_MESSAGE);
        return r;
    }
    {
        HaltWait wait;
        if (!wait.UntilAnnounced())
            return EMU_TARGET_LOST;
    }
    // The stop entry serves no semihosting call after a halt.
    TargetStopped(false);
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
    const EmuResult set = SetPcForCode(pc.off);
    Core().NoteStopped(EMU_STOP_HALTED);
    Core().NoteChanged();
    return set;
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
        Core().NoteChanged();
        return EMU_OK;
    }
    std::string text = "#" + run.restartSymbol;
    ADDR till{};
    if (AdrTextToAddr(text.c_str(), &till, 1) != 1) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (AdrTextToAddr(text.c_str(), &till, 1) != 1) {
            SendToMain(WM_EMU_REFRESH, 0, 0);
            Core().NoteChanged();
            return EMU_REFUSED;
        }
    }
    return EmuRun(EMU_RUN_GO_TILL, till);
}

}  // extern "C"
