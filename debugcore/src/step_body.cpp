// The step body shared by EmuStep and the step text command, and the
// instruction-level step (modes 0, 1, 3, 4; the others are handed on).
#include <platform/global_memory.h>

#include <memory>
#include <new>
#include <string>

#include "brevan/brevan.h"
#include "core.h"
#include "emu_messages.h"
#include "pirell/pirell.h"
#include "quinar/symbol_store.h"
#include "run_control.h"
#include "semihosting.h"
#include "step_engine.h"
#include "step_ops.h"
#include "target_access.h"
#include "vexlor/vexlor.h"

namespace sarvik {

namespace {

using step::Outcome;
using step::Stop;

// The register or memory condition of the step command holds; one that
// cannot be read does not.
bool ConditionHolds(const StepRequest& request)
{
    if (request.registerCondition) {
        DWORD id = 0, value = 0;
        return CpuFindRegisterId(request.registerName.c_str(), &id) == 0 && CpuGetRegister(id, &value) == 0 &&
            value == request.value;
    }
    uint8_t byte = 0;
    return ReadTargetBytes(request.memoryAddress.off, &byte, 1) == 0 && byte == (request.value & 0xFFu);
}

// "file:line" of the source line holding an address, empty without one.
std::string SourcePlace(uint32_t address)
{
    step::SourceLine line;
    if (!step::LineAt(address, &line))
        return {};
    const quinar::Result<std::string> name = quinar::Symbols().SourceFileName(line.file);
    if (!name)
        return {};
    const std::string& path = *name;
    const size_t slash = path.find_last_of("/\\");
    return (slash == std::string::npos ? path : path.substr(slash + 1)) + ":" + std::to_string(line.line);
}

// The instruction at the PC, for the shell; a step by source line adds the
// line's "file:line".
void ShowLine(bool withSource)
{
    uint32_t pc = 0;
    char* text = nullptr;
    WORD length = 0;
    if (step::Pc(&pc) != EMU_OK || DadDisassembleLine({pc, ADDR_SPACE_TARGET}, 1, &text, &length) != 0 || !text)
        return;
    std::string line(text, length);
    platform::FreeHandleBlock(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (withSource) {
        if (const std::string place = SourcePlace(pc); !place.empty())
            line += "    " + place;
    }
    ShlPrintMessage(line.c_str(), SHL_PRINT_MESSAGE);
}

// One instruction, or a call run over.
Outcome InstructionOnce(int mode)
{
    if (mode == EMU_STEP_INTO || mode == EMU_STEP_INTO_CONTINUOUS || Core().config.singleStepCalls)
        return step::StepOnce();
    uint32_t pc = 0;
    if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
        return {Stop::Failed, r};
    DWORD kind = DAD_KIND_PLAIN, length = 0, target = 0;
    if (DadGetCallInfo({pc, ADDR_SPACE_TARGET}, &kind, &length, &target) != 0 || kind != DAD_KIND_CALL)
        return step::StepOnce();
    int answer = 0;
    if (const int r = step::LibraryCallAnswer(pc, &answer); r != 0)
        return {Stop::Failed, r};
    if (answer >= 2)
        return step::StepOnce();
    return step::RunTill(pc + length, step::OverCallAtPc(Continuous(mode)));
}

}  // namespace

EmuResult InstructionLevelStep(StepRequest& request)
{
    RunState& run = Core().run;
    run.stepping = 1;
    SendToMain(WM_EMU_BUSY, 2, 0);
    if (request.mode == EMU_STEP_OUT)
        return StepOut(request);
    if (request.mode >= EMU_GO_TILL_CALL)
        return CallReturnStep(request);
    const bool continuous = Continuous(request.mode);
    for (;;) {
        uint32_t before = 0;
        step::Pc(&before);
        const Outcome o = InstructionOnce(request.mode);
        if (o.stop == Stop::Failed)
            return o.result;
        if (o.stop != Stop::Arrived)
            return EMU_OK;
        if (step::ServeSemihosting())
            return EMU_OK;  // the program ended
        step::TakeMessages();
        if (continuous)
            SendToMain(WM_EMU_REFRESH, 0, 0);
        ++request.made;
        if (request.countGiven) {
            if (request.made >= request.count)
                return EMU_OK;
        } else if (!continuous) {
            if (!request.registerCondition && !request.memoryCondition)
                return EMU_OK;
            uint32_t pc = 0;
            // A condition still open where the PC no longer moves (the
            // program's end) would be stepped for ever.
            if (ConditionHolds(request) || (step::Pc(&pc) == EMU_OK && pc == before))
                return EMU_OK;
        }
        if (!run.stepping)
            return EMU_OK;
        SendToMain(WM_EMU_BUSY, 2, 0);
    }
}

EmuResult RunStepBody(StepRequest& request, int sourceLevel)
{
    uint32_t pc = 0;
    if (const EmuResult r = step::Pc(&pc); r != EMU_OK)
        return r;
    request.pc = {pc, ADDR_SPACE_TARGET};
    RunState& run = Core().run;
    run.runCommandActive = 1;
    Core().NoteRunning();
    // Like a go, a step starts with no halt given and no program end known.
    run.haltAction = 0;
    ClearSemihostExit();
    step::SourceLine line;
    const bool bySource =
        !request.registerCondition && !request.memoryCondition && sourceLevel && step::LineAt(pc, &line);
    const EmuResult r = bySource ? SourceLevelStep(request) : InstructionLevelStep(request);
    run.stepping = 0;
    run.runCommandActive = 0;
    if (r == EMU_OK && request.showLine)
        ShowLine(sourceLevel != 0);
    // A target started again meanwhile tells of its stop through the stop
    // entry.
    if (TargetRuns())
        return r;
    if (r == EMU_OK)
        SendToMain(WM_EMU_REFRESH, 0, 0);
    Core().NoteStopped(Core().semihost.exited ? EMU_STOP_EXITED : EMU_STOP_HALTED);
    return r;
}

}  // namespace sarvik

using namespace sarvik;

extern "C" EmuResult EmuStep(int mode, int sourceLevel)
{
    if (Core().run.runCommandActive || mode < EMU_STEP_INTO || mode > EMU_GO_OVER_RETURN)
        return EMU_OK;
    std::unique_ptr<StepRequest> request(new (std::nothrow) StepRequest);
    if (!request)
        return EMU_REFUSED;
    request->mode = mode;
    return RunStepBody(*request, sourceLevel);
}
