// Commands that execute and the software breakpoint list: step, run, break.
#include <chrono>

#include "command_table.h"
#include "session.h"
#include "simdisasm/console_text.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

// The instruction at the PC as the fetch reads it (0 when refused).
uint32_t FetchAtPc(Session& s)
{
    const CpuState& cpu = s.sim.Cpu();
    uint32_t word = 0;
    s.sim.ReadMemory(cpu.pc, AccessKind::Fetch, cpu.thumb ? 2 : 4, word);
    return word;
}

std::string NextLine(Session& s)
{
    return NextInstructionLine(s.sim.Cpu().pc, FetchAtPc(s), s.sim.Cpu().thumb);
}

std::string NormalEndText(uint32_t pc)
{
    return Format("| Program terminated normally at PC = 0x%08x\n", pc);
}

std::string SelfModifyText(uint32_t pc)
{
    return Format("| Program terminated by self-modify checking at 0x%08x\n", pc);
}

// The short trace line of "step -s", before the run.
std::string TraceLine(Session& s)
{
    const CpuState& cpu = s.sim.Cpu();
    const uint32_t word = FetchAtPc(s);
    if (cpu.thumb)
        return Format("I#=%u: PC=0x%08x: IR=0x%04x: CPSR=0x%08x", cpu.icount, cpu.pc, word, cpu.cpsr);
    return Format("I#=%u: PC=0x%08x: IR=0x%08x: CPSR=0x%08x", cpu.icount, cpu.pc, word, cpu.cpsr);
}

const char* TraceSuffix(int code)
{
    switch (code) {
    case kThumbAddImm3: return ": ADD(1)\n";
    case kThumbSubImm3: return ": SUB(1)\n";
    case kThumbAddImm8: return ": ADD(2)\n";
    case kThumbSubImm8: return ": SUB(2)\n";
    case kUndefined: return ": UA\n";
    case kPrefetchAbort: return ": PA\n";
    default: return "\n";
    }
}

// One run of `count` instructions with its messages; true when the step
// must stop (normal end or self-modify check).
bool StepRun(Session& s, uint32_t count, bool trace)
{
    std::string line = trace ? TraceLine(s) : std::string();
    const int code = s.sim.Run(count);
    const uint32_t pc = s.sim.Cpu().pc;
    const bool stop = code == kNormalEnd || code == kSelfModify;
    if (trace) {
        if (code == kSelfModify) {
            line += Format("\nProgram terminated by self-modify checking at 0x%08x\n", pc);
        } else {
            line += code == kNormalEnd ? "\n" : TraceSuffix(code);
        }
        s.Print(line);
    } else if (code == kNormalEnd) {
        s.Print(NormalEndText(pc));
    } else if (code == kSelfModify) {
        s.Print(SelfModifyText(pc));
    } else {
        s.Print(NextLine(s));
    }
    return stop;
}

}  // namespace

int DoStep(Session& s, const ParsedCommand& c, std::string*)
{
    const uint32_t count = c.Positional(0) ? c.operands[0].value : 1;
    if (count == 0)
        return kShowHelp;
    const bool trace = c.Has("-s");
    if (c.Has("-d")) {
        StepRun(s, count, trace);
    } else {
        for (uint32_t i = 0; i < count && !StepRun(s, 1, trace); ++i) {}
    }
    s.UpdateInstructionCountSymbol();
    return kNextCommand;
}

void RunToTheEnd(Session& s)
{
    const uint32_t before = s.sim.InstructionCount();
    const auto started = std::chrono::steady_clock::now();
    const int code = s.sim.Run(0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    s.lastRunResult = code;
    const uint32_t pc = s.sim.Cpu().pc;
    // The end's lines are made only for an output that takes them; the
    // fetch at the PC is made either way (it fills the instruction cache).
    const bool heard = s.output.Heard();
    if (heard && code == kNormalEnd)
        s.Print(NormalEndText(pc));
    if (heard && code == kSelfModify)
        s.Print(SelfModifyText(pc));
    // A reset by the coprocessor restarted the count.
    const uint32_t executed = code == kReset ? s.sim.InstructionCount() : s.sim.InstructionCount() - before;
    const uint32_t next = FetchAtPc(s);
    if (heard) {
        s.Print(NextInstructionLine(pc, next, s.sim.Cpu().thumb) +
                Format("| Program execute %u instructions takes %f seconds.\n", executed, seconds));
    }
    s.UpdateInstructionCountSymbol();
}

int DoRun(Session& s, const ParsedCommand&, std::string*)
{
    RunToTheEnd(s);
    return kDropLine;
}

bool InsertBreak(Session& s, uint32_t address, uint32_t mask, std::string* area)
{
    const bool done = s.sim.Breakpoints().Insert(address, mask);
    if (area || s.output.Heard())
        s.Report(Format("Insert 0x%08X software instruction break %s!!!\n", address, done ? "OK" : "FAIL"), area);
    return done;
}

void DisableAllBreaks(Session& s)
{
    s.sim.Breakpoints().DisableAll();
    s.Print("Disable all software instruction breaks OK!!!\n");
}

int DoBreak(Session& s, const ParsedCommand& c, std::string* area)
{
    // One option at the most ("-m" counts), so the forms exclude each other.
    if (c.optionCount >= 2)
        return kShowHelp;
    BreakpointList& list = s.sim.Breakpoints();
    struct Whole {
        std::string_view option;
        void (BreakpointList::*apply)();
        const char* message;
    };
    static constexpr Whole kWholeList[] = {
        {"-ca", &BreakpointList::DeleteAll, "Delete all software instruction breaks OK!!!\n"},
        {"-ea", &BreakpointList::EnableAll, "Enable all software instruction breaks OK!!!\n"},
        {"-da", &BreakpointList::DisableAll, "Disable all software instruction breaks OK!!!\n"},
    };
    for (const Whole& w : kWholeList) {
        if (!c.Has(w.option))
            continue;
        (list.*w.apply)();
        s.Print(w.message);
        return kNextCommand;
    }
    if (c.Has("-p")) {
        std::string text;
        int n = 0;
        for (const SoftwareBreakpoint& b : list.Records()) {
            text += Format("| %d : Addr: 0x%08X  Mask: 0x%08X  %s\n", ++n, b.address, b.mask,
                           b.enabled ? "Enable" : "Disable");
        }
        text += Format("| Total %d software instruction breaks.\n", n);
        s.Print(text);
        return kNextCommand;
    }
    const Operand* address = c.Positional(0);
    if (!address)
        return kShowHelp;
    const uint32_t addr = address->value;
    struct One {
        std::string_view option;
        bool (BreakpointList::*apply)(uint32_t);
        const char* verb;
    };
    static constexpr One kOne[] = {
        {"-c", &BreakpointList::Delete, "Delete"},
        {"-e", &BreakpointList::Enable, "Enable"},
        {"-d", &BreakpointList::Disable, "Disable"},
    };
    const char* verb = nullptr;
    bool done = false;
    for (const One& o : kOne) {
        if (!c.Has(o.option))
            continue;
        (list.*o.apply)(addr);
        verb = o.verb;
        done = true;
    }
    if (!done) {
        const Operand& mask = c.Option("-m");
        InsertBreak(s, addr, mask.present ? mask.value : 0xFFFFFFFFu, area);
        return kNextCommand;
    }
    s.Report(Format("%s 0x%08X software instruction break OK!!!\n", verb, addr), area);
    return kNextCommand;
}

}  // namespace zk::sim
