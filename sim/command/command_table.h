// The command records of the language: names, positional operands and
// options with their kinds, the help text and the handler, in the fixed
// table order that lookup and the help summary follow.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zk::sim {

struct Session;

// Operand kinds, a set of bits. A value operand (kValue) is tried as a
// constant, a register name, a memory form and a user symbol, in that order.
enum OperandKind : unsigned {
    kConstant = 0x1,
    kRegisterName = 0x2,
    kMemoryForm = 0x4,
    kUserSymbol = 0x8,
    kText = 0x10,
    kKeyword = 0x20,
    kAssignment = 0x40,
    kComparison = 0x80,
    kValue = 0xF,
};

// What a handler asks the dispatcher to do next.
enum HandlerResult : int {
    kStopDispatch = 0,  // "quit"
    kRestartLine = 1,   // run the line again from its first command
    kNextCommand = 253,
    kShowHelp = 254,  // print the command's help text, go on
    kDropLine = 255,  // drop the rest of the line
};

struct Operand {
    bool present = false;
    std::string token;
    uint32_t value = 0;  // numbers; keyword and operator indexes
};

struct OptionSpec {
    std::string_view name;
    unsigned kinds = 0;  // 0: a flag
    std::array<std::string_view, 5> keywords{};
};

struct CommandRecord;

struct ParsedCommand {
    const CommandRecord* record = nullptr;
    std::string word;               // the command word as typed
    std::vector<Operand> operands;  // the positional operands given, in order
    std::vector<Operand> options;   // one per option of the record
    unsigned optionCount = 0;       // option words given

    const Operand* Positional(size_t i) const { return i < operands.size() ? &operands[i] : nullptr; }
    // The option by name (present or not).
    const Operand& Option(std::string_view name) const;
    bool Has(std::string_view name) const { return Option(name).present; }
};

using Handler = int (*)(Session& session, const ParsedCommand& command, std::string* area);

// Records chosen by the form of the command word rather than by a name.
enum class CommandRole { Named, RegisterAccess, CoprocessorAccess, MemoryAccess, SymbolAccess };

struct CommandRecord {
    CommandRole role = CommandRole::Named;
    std::array<std::string_view, 3> names{};
    std::vector<unsigned> operandKinds;  // one per positional slot
    unsigned minOperands = 0;
    std::vector<OptionSpec> options;
    unsigned minOptions = 0;
    std::string help;
    Handler handler = nullptr;
};

const std::vector<CommandRecord>& CommandTable();
// The record a command word selects: a register name, "cr0" to "cr15", a
// memory form, a command name (table order), a user symbol; null for none.
const CommandRecord* LookupCommand(const Session& session, std::string_view word);
// Runs one line (the dispatcher); CommandLanguage::kQuit or kDone.
int DispatchLine(Session& session, std::string_view line, std::string* area);
const CommandRecord& RecordFor(CommandRole role);
// "help" without a word.
std::string_view HelpSummary();

// The handlers, by file.
int DoQuit(Session&, const ParsedCommand&, std::string*);
int DoWhile(Session&, const ParsedCommand&, std::string*);
int DoIf(Session&, const ParsedCommand&, std::string*);
int DoRegister(Session&, const ParsedCommand&, std::string*);
int DoCoprocessorDisplay(Session&, const ParsedCommand&, std::string*);
int DoRegisterAccess(Session&, const ParsedCommand&, std::string*);
int DoCoprocessorAccess(Session&, const ParsedCommand&, std::string*);
int DoMemoryAccess(Session&, const ParsedCommand&, std::string*);
int DoSymbol(Session&, const ParsedCommand&, std::string*);
int DoSymbolAccess(Session&, const ParsedCommand&, std::string*);
int DoStep(Session&, const ParsedCommand&, std::string*);
int DoRun(Session&, const ParsedCommand&, std::string*);
int DoBreak(Session&, const ParsedCommand&, std::string*);

// The work of "run" and of "break ADDR [-m MASK]" and "break -da", for the
// callers that know the command without a line to read.
void RunToTheEnd(Session& s);
bool InsertBreak(Session& s, uint32_t address, uint32_t mask, std::string* area);
void DisableAllBreaks(Session& s);
int DoRead(Session&, const ParsedCommand&, std::string*);
int DoWrite(Session&, const ParsedCommand&, std::string*);
int DoReadCache(Session&, const ParsedCommand&, std::string*);
int DoDisassemble(Session&, const ParsedCommand&, std::string*);
int DoReset(Session&, const ParsedCommand&, std::string*);
int DoHelp(Session&, const ParsedCommand&, std::string*);
int DoHistory(Session&, const ParsedCommand&, std::string*);
int DoGetFile(Session&, const ParsedCommand&, std::string*);
int DoScript(Session&, const ParsedCommand&, std::string*);
int DoConfig(Session&, const ParsedCommand&, std::string*);
int DoStatistics(Session&, const ParsedCommand&, std::string*);

}  // namespace zk::sim
