// The step engine's operations: go-till with its own wait for the stop,
// single instructions, steps to a line start.
#include "step_ops.h"

#include <platform/messages.h>
#include <platform/win32.h>

#include <chrono>

#include "core.h"
#include "emu_messages.h"
#include "falcrest.h"
#include "pirell/pirell.h"
#include "quinar/symbol_store.h"
#include "run_control.h"
#include "semihosting.h"
#include "target_access.h"
#include "vexlor/vexlor.h"

namespace sarvik::step {

namespace {

using Clock = std::chrono::steady_clock;

// The wait sleeps until a message arrives (the stop's announcement is one)
// or this slice passes, then asks the target again.
constexpr int kWaitSliceMs = 20;
// The announcement follows the stopped state at once; a target library
// that announces nothing costs this much per stop.
constexpr auto kAnnouncementWait = std::chrono::milliseconds(500);
constexpr auto kAbortWait = std::chrono::seconds(5);

void PostError(EmuResult r)
{
    if (HWND window = Core().mainWindow)
        PostMessage(window, WM_EMU_ERROR, 0, static_cast<LPARAM>(r));
}

// The stop of a run the engine started is announced to the main frame too
// (vexlor posts WM_EMU_ERROR): it is dispatched while the step command still
// runs, so the frame leaves it to the engine and no stale announcement
// reaches the frame after the command. The count moves right after the
// post: the wait sleeps in short slices at first, then in the long ones.
void TakeAnnouncement()
{
    RunState& run = Core().run;
    const Clock::time_point start = Clock::now();
    while (CpuGetStopCount() == run.stopsTaken && Clock::now() - start < kAnnouncementWait) {
        const int slice = Clock::now() - start < std::chrono::milliseconds(kWaitSliceMs) ? 1 : kWaitSliceMs;
        if (platform::PumpWait(slice, {VK_ESCAPE}) == VK_ESCAPE)
            run.stepping = 0;
    }
    run.stopsTaken = CpuGetStopCount();
    TakeMessages();
}

// Esc or a halt during the wait: the target stops, its break words come
// out, and no semihosting call is served.
void AbortRun()
{
    emuAbort(0);
    const Clock::time_point deadline = Clock::now() + kAbortWait;
    while (TargetRuns() && Clock::now() < deadline)
        platform::PumpWait(kWaitSliceMs);
    TakeAnnouncement();
    TargetStopped(false);
    RemoveTempBp({});
}

enum class Waited { Stopped, Ended, Aborted };

Waited WaitForStop()
{
    RunState& run = Core().run;
    for (;;) {
        while (run.stepping && TargetRuns()) {
            if (platform::PumpWait(kWaitSliceMs, {VK_ESCAPE}) == VK_ESCAPE)
                run.stepping = 0;
        }
        if (!run.stepping) {
            AbortRun();
            return Waited::Aborted;
        }
        TakeAnnouncement();
        // Break words out, a semihosting call at the vector served (and the
        // run resumed), before the temporary breakpoint goes.
        const int stopped = TargetStopped(true);
        if (stopped == EMU_STOP_RESUMED)
            continue;
        TakeMessages();
        RemoveTempBp({});
        return stopped == EMU_STOP_EXITED ? Waited::Ended : Waited::Stopped;
    }
}

enum class Start { Running, StoppedAtOnce, Ended, Failed };

struct Started {
    Start how = Start::Running;
    EmuResult result = EMU_OK;
};

// The go-till: a temporary breakpoint at the address, the step off the PC,
// the breakpoint test where it landed, planting and emuGo.
Started GoTill(uint32_t address)
{
    SendToMain(WM_EMU_BUSY, 2, 0);
    uint32_t pc = 0;
    EmuResult r = Pc(&pc);
    if (r == EMU_OK)
        r = AddTempBp(address, ADDR_SPACE_TARGET);
    if (r != EMU_OK)
        return {Start::Failed, r};
    const Outcome off = StepOnce();
    if (off.stop == Stop::Failed || (r = Pc(&pc)) != EMU_OK) {
        RemoveTempBp({});
        return {Start::Failed, off.stop == Stop::Failed ? off.result : r};
    }
    const ADDR at{pc, ADDR_SPACE_TARGET};
    if (CheckHit(at, false) != 0) {
        int state = SEMIHOST_NOT_SERVED;
        HandleSemiHosting(&state);
        if (state != SEMIHOST_SERVED) {
            RemoveTempBp({});
            return {state == SEMIHOST_EXITED ? Start::Ended : Start::StoppedAtOnce, EMU_OK};
        }
    }
    RunState& run = Core().run;
    run.freeRun = false;
    r = LoadBreakpoints();
    if (r != EMU_OK) {
        RemoveTempBp({});
        return {Start::Failed, r};
    }
    run.stopsTaken = CpuGetStopCount();
    r = emuGo(0);
    if (r != EMU_OK) {
        BptUnloadBreakpoints();
        RemoveTempBp({});
        return {Start::Failed, r};
    }
    return {Start::Running, EMU_OK};
}

bool Enabled(BPT_MARK mark)
{
    return mark == BPT_MARK_SW_ENABLED || mark == BPT_MARK_UNIT_ENABLED;
}

// A stop at an enabled breakpoint (or past a Thumb one's halfword, as the
// frame's stop handling takes it).
bool AtBreakpoint(uint32_t pc)
{
    const ADDR at{pc, ADDR_SPACE_TARGET};
    if (Enabled(BptFindBp(&at, {}, nullptr)))
        return true;
    const ADDR below{pc - 2, ADDR_SPACE_TARGET};
    return BptFindBp(&below, {}, nullptr) == BPT_MARK_SW_ENABLED;
}

}  // namespace

EmuResult Pc(uint32_t* pc)
{
    DWORD v = 0;
    const int r = CpuGetPC(&v);
    if (r == 0)
        *pc = v;
    return r;
}

bool ThumbState()
{
    uint32_t cpsr = 0;
    return GetTargetReg(SIM_REG_CPSR, cpsr) == EMU_OK && (cpsr & CPSR_THUMB) != 0;
}

TillOptions OverCallAtPc(bool continuous)
{
    uint32_t sp = 0;
    GetTargetReg(SIM_REG_SP, sp);  // unreadable: 0, no frame test
    return {continuous, sp};
}

DWORD CodeFlags(bool thumb)
{
    return (thumb ? DAD_CODE_THUMB : 0) | (BigEndianTarget() ? DAD_CODE_BIG_ENDIAN : 0);
}

int LibraryCallAnswer(uint32_t address, int* answer)
{
    DWORD word = 0;
    const int r = ReadTargetBytes(address, &word, 4);
    if (r == 0)
        *answer = DadIsLibFuncCall(word, {address, ADDR_SPACE_TARGET});
    return r;
}

bool LineAt(uint32_t address, SourceLine* line)
{
    const quinar::Result<quinar::SourceLine> r = quinar::Symbols().SourceLineAt(address);
    if (!r)
        return false;
    *line = {r->module, r->file, r->line, r->start, r->end, r->statement};
    return true;
}

bool TakeMessages()
{
    if (platform::PumpPending({VK_ESCAPE}) != VK_ESCAPE)
        return false;
    Core().run.stepping = 0;
    return true;
}

bool ServeSemihosting()
{
    int state = SEMIHOST_NOT_SERVED;
    HandleSemiHosting(&state);
    return state == SEMIHOST_EXITED;
}

Outcome StepOnce()
{
    uint32_t pc = 0;
    bool blPair = false;
    if (Pc(&pc) == EMU_OK && ThumbState()) {
        BYTE code[4];
        DadInstruction i{};
        blPair = ReadTargetBytes(pc, code, 4) == 0 &&
            DadClassifyInstruction(code, 4, 0, pc, CodeFlags(true), &i) == 0 && i.kind == DAD_KIND_CALL &&
            i.distance == 0 && i.length == 4;
    }
    EmuResult r = emuStepOne(0);
    // The halves of a Thumb BL are one instruction of the listing.
    uint32_t now = 0;
    if (r == EMU_OK && blPair && Pc(&now) == EMU_OK && now == pc + 2)
        r = emuStepOne(0);
    if (r != EMU_OK) {
        PostError(r);
        return {Stop::Failed, r};
    }
    return {};
}

Outcome RunTill(uint32_t address, const TillOptions& options)
{
    const TargetConfig& config = Core().config;
    for (;;) {
        const Started s = GoTill(address);
        switch (s.how) {
        case Start::Failed: return {Stop::Failed, s.result};
        case Start::Ended: return {Stop::Ended};
        case Start::Running:
            switch (WaitForStop()) {
            case Waited::Aborted: return {Stop::Aborted};
            case Waited::Ended: return {Stop::Ended};
            case Waited::Stopped: break;
            }
            break;
        case Start::StoppedAtOnce: break;
        }
        uint32_t pc = 0;
        if (const EmuResult r = Pc(&pc); r != EMU_OK)
            return {Stop::Failed, r};
        const bool atAddress = pc == address;
        if (atAddress) {
            if (options.minimumSp == 0)
                return {Stop::Arrived};
            uint32_t sp = 0;
            if (const EmuResult r = GetTargetReg(SIM_REG_SP, sp); r != EMU_OK)
                return {Stop::Failed, r};
            if (sp >= options.minimumSp)
                return {Stop::Arrived};
        }
        // A deeper call's return to the address goes on to this frame's.
        if (!AtBreakpoint(pc)) {
            if (atAddress)
                continue;
            return {Stop::Elsewhere};
        }
        // A stop at once was hit already (the go-till asked); a stop of the
        // run is asked now, which advances the breakpoint's pass count.
        const ADDR at{pc, ADDR_SPACE_TARGET};
        const bool hit = s.how == Start::StoppedAtOnce || CheckHit(at, false) != 0;
        if (hit && config.breakInSteps && !options.continuous)
            return {Stop::Breakpoint};
    }
}

Outcome StepToLineStart()
{
    const RunState& run = Core().run;
    for (;;) {
        if (TakeMessages())
            return {Stop::Aborted};
        if (!run.stepping || run.haltAction)
            return {Stop::Elsewhere};
        uint32_t before = 0, pc = 0;
        EmuResult r = Pc(&before);
        if (r != EMU_OK)
            return {Stop::Failed, r};
        const Outcome o = StepOnce();
        if (o.stop == Stop::Failed)
            return o;
        if (ServeSemihosting())
            return {Stop::Ended};
        if ((r = Pc(&pc)) != EMU_OK)
            return {Stop::Failed, r};
        SourceLine line;
        if (LineAt(pc, &line) && line.StartsAt(pc))
            return {Stop::Arrived};
        if (pc == before)
            return {Stop::Elsewhere};
    }
}

}  // namespace sarvik::step
