// Commands that show and change state: the register displays, a register,
// a coprocessor register, a memory location, user symbols.
#include "command_table.h"
#include "operand.h"
#include "session.h"
#include "simdisasm/console_text.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

// The new value when the command gave an operator and an operand.
bool Assignment(const ParsedCommand& c, size_t first, uint32_t old, uint32_t& value)
{
    const Operand* op = c.Positional(first);
    const Operand* operand = c.Positional(first + 1);
    if (!op || !operand)
        return false;
    value = ApplyAssignment(op->value, old, operand->value);
    return true;
}

std::string SymbolLine(const UserSymbols::Symbol& symbol, bool hex)
{
    if (hex)
        return Format("| %s = 0x%x\n", symbol.name.c_str(), symbol.value);
    return Format("| %s = %d\n", symbol.name.c_str(), static_cast<int32_t>(symbol.value));
}

}  // namespace

int DoRegister(Session& s, const ParsedCommand& c, std::string*)
{
    const CpuState& cpu = s.sim.Cpu();
    if (c.Has("-d")) {
        s.Print(DirtyRegisterDisplay(cpu));
        return kNextCommand;
    }
    Mode mode = cpu.mode;
    if (const Operand* name = c.Positional(0)) {
        mode = Mode::Invalid;
        for (unsigned m = 0; m < static_cast<unsigned>(Mode::Invalid); ++m) {
            if (SameWord(ModeName(static_cast<Mode>(m)), name->token))
                mode = static_cast<Mode>(m);
        }
        if (mode == Mode::Invalid)
            return kShowHelp;
    }
    s.Print(RegisterDisplay(cpu, mode));
    return kNextCommand;
}

int DoCoprocessorDisplay(Session& s, const ParsedCommand&, std::string*)
{
    s.Print(CoprocessorDisplay(s.sim.Cp15().Registers()));
    return kNextCommand;
}

int DoRegisterAccess(Session& s, const ParsedCommand& c, std::string*)
{
    const unsigned number = *RegisterNameNumber(c.word);
    if (number == kNameSpsr && !HasSpsr(s.sim.Cpu().mode)) {
        s.Print("| In USER or SYSTEM mode, SPSR register does not exist!!!\n");
        return kDropLine;
    }
    uint32_t value = 0;
    if (Assignment(c, 0, ReadNamedRegister(s, number), value))
        s.sim.WriteRegister(SimRegisterOf(number), value);
    s.Print(Format("0x%08x", ReadNamedRegister(s, number)));
    return kNextCommand;
}

int DoCoprocessorAccess(Session& s, const ParsedCommand& c, std::string*)
{
    const unsigned crn = *CoprocessorRegisterWord(c.word);
    const uint32_t index = c.operands[0].value;
    uint32_t value = 0;
    if (!s.sim.ReadCoprocessorRegister(crn, index, value)) {
        s.Print("| Can not access this coprocessor register!!!\n");
        return kDropLine;
    }
    uint32_t written = 0;
    if (Assignment(c, 1, value, written)) {
        s.sim.WriteCoprocessorRegister(crn, index, written);
        if (!s.sim.ReadCoprocessorRegister(crn, index, value)) {
            s.Print("| Can not access this coprocessor register!!!\n");
            return kDropLine;
        }
    }
    s.Print(Format("| CR%u[%u] = 0x%08x\n", crn, index, value));
    return kNextCommand;
}

int DoMemoryAccess(Session& s, const ParsedCommand& c, std::string*)
{
    const MemoryForm form = *ParseMemoryForm(c.word);
    const uint32_t addr = MemoryFormAddress(s, form);
    const Operand* op = c.Positional(0);
    const bool assigning = op && c.Positional(1);
    uint32_t old = 0;
    // A plain "=" needs no read; every other operator works on the old value.
    if ((!assigning || op->value != 0) && !s.sim.ReadMemory(addr, AccessKind::DebugData, form.width, old)) {
        s.Print(kMemoryRefusedText);
        return kDropLine;
    }
    if (assigning) {
        uint32_t value = 0;
        Assignment(c, 0, old, value);
        s.sim.WriteMemory(addr, AccessKind::InvalidateBoth, form.width, value);
        return kNextCommand;
    }
    if (form.width == 4) {
        s.Print(Format("|    0x%08x: 0x%08x\n", addr, old));
    } else if (form.width == 2) {
        s.Print(Format("|    0x%08x: 0x%04x\n", addr, old));
    } else {
        s.Print(Format("|    0x%08x: %02x\n", addr, old));
    }
    return kNextCommand;
}

int DoSymbol(Session& s, const ParsedCommand& c, std::string*)
{
    const Operand* name = c.Positional(0);
    const bool remove = c.Has("-d");
    if (!name) {
        if (remove)
            return kShowHelp;
        std::string text;
        for (const UserSymbols::Symbol& symbol : s.symbols.All())
            text += SymbolLine(symbol, c.Has("-x"));
        text += Format("| Total %zu user-defined symbols.\n", s.symbols.All().size());
        s.Print(text);
        return kNextCommand;
    }
    if (remove) {
        switch (s.symbols.Remove(name->token)) {
        case UserSymbols::Removal::Removed: s.Print("| The symbol has been deleted!!!\n"); return kNextCommand;
        case UserSymbols::Removal::BuiltIn: s.Print("| The symbol can not be deleted!!!\n"); return kDropLine;
        case UserSymbols::Removal::Missing:
            s.Print("| The symbol does not exist!!! Can not be deleted!!!\n");
            return kDropLine;
        }
    }
    if (s.symbols.Find(name->token)) {
        s.Print("| The symbol already exists!!! Can not be created!!!\n");
        return kDropLine;
    }
    if (RegisterNameNumber(name->token) || ParseConstant(name->token) ||
        name->token.size() > UserSymbols::kMaxNameLength) {
        s.Print("| Error symbol format!!! Can not be created!!!\n");
        return kDropLine;
    }
    if (s.symbols.Create(name->token) != UserSymbols::Creation::Created) {
        s.Print("| Too many symbols!!! Can not be created!!!\n");
        return kDropLine;
    }
    s.Print("| The symbol has been created!!!\n");
    return kNextCommand;
}

int DoSymbolAccess(Session& s, const ParsedCommand& c, std::string*)
{
    UserSymbols::Symbol* symbol = s.symbols.Find(c.word);
    if (!symbol)
        return kDropLine;
    uint32_t value = 0;
    if (Assignment(c, 0, symbol->value, value))
        symbol->value = value;
    s.Print(SymbolLine(*symbol, c.Has("-x")));
    return kNextCommand;
}

}  // namespace zk::sim
