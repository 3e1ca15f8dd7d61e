// Step Out (the caller's frame from the call-frame rules) and the
// call/return stepper (Go Till or Into Call, Go Till or Over Return).
#include "brevan/brevan.h"
#include "core.h"
#include "pirell/pirell.h"
#include "quinar/symbol_store.h"
#include "step_engine.h"
#include "step_ops.h"
#include "target_access.h"

namespace sarvik {

namespace {

using step::Outcome;
using step::Stop;

// The window of code the call/return stepper classifies at a time.
constexpr uint32_t kWindow = 64;

EmuResult Ending(const Outcome& o)
{
    return o.stop == Stop::Failed ? o.result : EMU_OK;
}

}  // namespace

EmuResult StepOut(StepRequest& request)
{
    uint32_t pc = 0;
    if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
        return r;
    quinar::SymbolStore& symbols = quinar::Symbols();
    const quinar::Result<quinar::FrameStart> walk = symbols.StartFrameWalk(pc);
    if (!walk) {
        ShlPrintMessage("Cannot step out: no frame information at the PC!", SHL_PRINT_MESSAGE);
        return walk.status;
    }
    // The outermost frame (no rules at the PC, or no return address) has
    // no caller to go to.
    quinar::Result<quinar::CallerFrame> caller;
    if (walk->caller == 0 || !(caller = symbols.FrameCaller(walk->frame))) {
        ShlPrintMessage("Cannot step out: this is the outermost frame!", SHL_PRINT_MESSAGE);
        return EMU_REFUSED;
    }
    const uint32_t returnAddress = caller->returnAddress;
    const uint32_t cfa = caller->cfa;
    // The caller's stack pointer is the frame's CFA: a return to the same
    // address from a deeper call of a recursive function is not the one.
    const Outcome o = step::RunTill(AlignToCode(returnAddress), {false, cfa});
    if (o.stop != Stop::Arrived || request.mode == EMU_GO_TILL_RETURN)
        return Ending(o);
    // Step Out and Go Over Return finish the caller's line.
    step::SourceLine line;
    if (step::Pc(&pc) != EMU_OK || !step::LineAt(pc, &line))
        return EMU_OK;
    request.mode = EMU_STEP_INTO;
    return SourceLevelStep(request);
}

EmuResult CallReturnStep(StepRequest& request)
{
    const RunState& run = Core().run;
    const bool forCall = request.mode == EMU_GO_TILL_CALL || request.mode == EMU_GO_INTO_CALL;
    const DWORD searched = forCall ? DAD_KIND_CALL : DAD_KIND_RETURN;
    const bool stepOver = request.mode == EMU_GO_INTO_CALL || request.mode == EMU_GO_OVER_RETURN;
    for (;;) {
        if (step::TakeMessages() || !run.stepping)
            return EMU_OK;
        uint32_t pc = 0;
        if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
            return r;
        const bool thumb = step::ThumbState();
        BYTE code[kWindow];
        uint32_t size = kWindow;
        // Near the end of memory the window is one instruction.
        if (ReadTargetBytes(pc, code, size) != 0) {
            size = thumb ? 2 : 4;
            if (const int r = ReadTargetBytes(pc, code, size); r != 0)
                return r;
        }
        DadInstruction next{};
        DadClassifyInstruction(code, size, 0, pc, step::CodeFlags(thumb), &next);
        Outcome o;
        if (next.kind == DAD_KIND_PLAIN || next.distance > 0) {
            // Plain code is crossed to the next instruction of interest.
            o = step::RunTill(pc + next.distance);
        } else if (next.kind == searched) {
            if (!stepOver)
                return EMU_OK;
            return Ending(step::StepOnce());
        } else if (next.kind == DAD_KIND_CALL) {
            int answer = DAD_CALL_WITH_SOURCE;  // what an unreadable word gives
            step::LibraryCallAnswer(pc, &answer);
            o = answer < 3 ? step::RunTill(pc + next.length, step::OverCallAtPc(false)) : step::StepOnce();
        } else {
            o = step::StepOnce();  // a branch, or a return while a call is searched
        }
        if (o.stop != Stop::Arrived)
            return Ending(o);
        if (step::ServeSemihosting())
            return EMU_OK;
    }
}

}  // namespace sarvik
