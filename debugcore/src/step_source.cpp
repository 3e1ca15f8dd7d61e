// The source-level step (modes 0, 1, 3, 4 with a source line at the PC):
// the code of the line is crossed with go-tills between its calls,
// returns and branches, which alone are stepped.
#include <vector>

#include "core.h"
#include "emu_messages.h"
#include "pirell/pirell.h"
#include "step_engine.h"
#include "step_ops.h"
#include "target_access.h"

namespace sarvik {

namespace {

using step::Outcome;
using step::SourceLine;
using step::Stop;

// The most code of a line read at once.
constexpr uint32_t kLineBuffer = 512;

bool Into(int mode)
{
    return mode == EMU_STEP_INTO || mode == EMU_STEP_INTO_CONTINUOUS;
}

// Whether a call is run over, by DadIsLibFuncCall's answer: a library call
// always is; Step Into enters the others; Step Over runs over them unless
// the single-step-calls flag asks to enter calls with source (answer 0).
bool RunsOver(int libraryAnswer, bool into, bool singleStepCalls)
{
    if (libraryAnswer >= 3)
        return false;
    if (libraryAnswer == 1)
        return true;
    if (into)
        return false;
    return !(singleStepCalls && libraryAnswer == 0);
}

// Entering a call: the PC is on the call; one instruction into the callee,
// then on to its first line start (the callee's entry is one already).
Outcome EnterCall()
{
    Outcome o = step::StepOnce();
    if (o.stop != Stop::Arrived)
        return o;
    if (step::ServeSemihosting())
        return {Stop::Ended};
    uint32_t pc = 0;
    SourceLine line;
    if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
        return {Stop::Failed, r};
    if (step::LineAt(pc, &line) && line.StartsAt(pc))
        return o;
    return step::StepToLineStart();
}

// One pass over the rest of the line from the PC: the next call, return or
// branch is reached with a go-till and dealt with, or with none the first
// address after the line (or after the code read).
Outcome CrossLine(const StepRequest& request, uint32_t pc, const SourceLine& line)
{
    const uint32_t size = std::min(line.end - pc + 1, kLineBuffer);
    std::vector<BYTE> code(size + 1);
    if (const int r = ReadTargetBytes(pc, code.data(), size); r != 0)
        return {Stop::Failed, r};
    DadInstruction next{};
    DadClassifyInstruction(code.data(), size, 0, pc, step::CodeFlags(step::ThumbState()), &next);
    const step::TillOptions till{Continuous(request.mode), 0};
    if (next.kind == DAD_KIND_PLAIN)
        return step::RunTill(pc + size, till);
    const uint32_t at = pc + next.distance;
    if (next.kind == DAD_KIND_CALL) {
        int answer = 0;
        if (const int r = step::LibraryCallAnswer(at, &answer); r != 0)
            return {Stop::Failed, r};
        // The call is reached first: a run over it returns with the stack
        // pointer of the call.
        if (next.distance > 0) {
            if (const Outcome o = step::RunTill(at, till); o.stop != Stop::Arrived)
                return o;
        }
        if (RunsOver(answer, Into(request.mode), Core().config.singleStepCalls))
            return step::RunTill(at + next.length, step::OverCallAtPc(till.continuous));
        return EnterCall();
    }
    // A return or a branch: reached, then stepped.
    if (next.distance > 0) {
        if (const Outcome o = step::RunTill(at, till); o.stop != Stop::Arrived)
            return o;
    }
    const Outcome o = step::StepOnce();
    if (o.stop == Stop::Arrived && step::ServeSemihosting())
        return {Stop::Ended};
    return o;
}

}  // namespace

EmuResult SourceLevelStep(StepRequest& request)
{
    RunState& run = Core().run;
    run.stepping = 1;
    if (request.mode == EMU_STEP_OUT || request.mode >= EMU_GO_TILL_RETURN)
        return StepOut(request);
    if (request.mode >= EMU_GO_TILL_CALL)
        return CallReturnStep(request);
    const bool continuous = Continuous(request.mode);
    uint32_t pc = 0;
    SourceLine current;
    if (const EmuResult r = step::Pc(&pc); r != EMU_OK || !step::LineAt(pc, &current))
        return r;
    for (;;) {
        if (step::TakeMessages() || !run.stepping)
            return EMU_OK;
        if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
            return r;
        SourceLine line;
        const bool hasLine = step::LineAt(pc, &line);
        Outcome o;
        bool lineChanged = false;
        if (hasLine && !line.statement) {
            // Code inside a statement that the compiler gave rows of another
            // line: crossed as the line's own code is, calls run over by the
            // step's mode; the step ends only at a statement's start.
            o = CrossLine(request, pc, line);
        } else if (!hasLine || !line.SameLine(current)) {
            // The PC has left the line: a line start of another line ends
            // the pass; elsewhere the step goes on to the next line start.
            if (!hasLine || pc != line.start) {
                o = step::StepToLineStart();
                if (o.stop == Stop::Aborted)
                    return EMU_ESC_STEPPING;
            }
            lineChanged = o.stop == Stop::Arrived;
        } else if (Into(request.mode) && line.start == line.end) {
            o = step::StepToLineStart();
            if (o.stop == Stop::Aborted)
                return EMU_ESC_STEPPING;
            lineChanged = o.stop == Stop::Arrived;
        } else {
            o = CrossLine(request, pc, line);
        }
        if (o.stop == Stop::Failed)
            return o.result;
        if (o.stop != Stop::Arrived)
            return EMU_OK;
        if (!lineChanged)
            continue;
        step::Pc(&pc);
        step::LineAt(pc, &current);
        if (continuous) {
            SendToMain(WM_EMU_REFRESH, 0, 0);
            continue;
        }
        ++request.made;
        if (!request.countGiven || request.made >= request.count)
            return EMU_OK;
    }
}

}  // namespace sarvik
