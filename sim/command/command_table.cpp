// The command table in its fixed order, with the help texts: the synopsis
// line, one line per short form with the operands aligned under the
// synopsis, a "|" line, the description and one line per operand or option.
#include <algorithm>
#include <utility>

#include "command_table.h"

namespace zk::sim {

namespace {

constexpr std::string_view kAnyValue = "register name, memory address, constant or user-defined symbol";
constexpr std::string_view kAssignmentText = "=, +=, -=, *=, /= or %= (unsigned)";
constexpr std::string_view kComparisonText = ">, >=, ==, <=, < or != (unsigned)";

using Line = std::pair<std::string_view, std::string_view>;

// `forms`: the command name of the synopsis first, then the short forms.
std::string HelpText(std::initializer_list<std::string_view> forms, std::string_view operands,
                     std::string_view description, std::initializer_list<Line> lines)
{
    size_t nameWidth = 0;
    for (std::string_view f : forms)
        nameWidth = std::max(nameWidth, f.size());
    std::string text;
    bool first = true;
    for (std::string_view f : forms) {
        text += first ? "| COMMAND: " : "|          ";
        text += f;
        if (!operands.empty()) {
            text.append(nameWidth - f.size() + 1, ' ');
            text += operands;
        }
        text += '\n';
        first = false;
    }
    text += "|\n| ";
    text += description;
    text += '\n';
    size_t width = 0;
    for (const Line& l : lines)
        width = std::max(width, l.first.size());
    for (const Line& l : lines) {
        text += "|   ";
        text += l.first;
        text.append(width - l.first.size(), ' ');
        text += " : ";
        text += l.second;
        text += '\n';
    }
    return text;
}

OptionSpec Flag(std::string_view name)
{
    return {name, 0, {}};
}

OptionSpec Valued(std::string_view name, unsigned kinds)
{
    return {name, kinds, {}};
}

OptionSpec Keyword(std::string_view name, std::array<std::string_view, 5> keywords)
{
    return {name, kKeyword, keywords};
}

std::vector<CommandRecord> BuildTable()
{
    std::vector<CommandRecord> t;
    t.push_back({CommandRole::Named,
                 {"quit", "exit", "q"},
                 {},
                 0,
                 {},
                 0,
                 HelpText({"quit", "exit", "q"}, "", "Quit the simulator.", {}),
                 DoQuit});
    t.push_back({CommandRole::Named,
                 {"while"},
                 {kValue, kComparison, kValue},
                 3,
                 {},
                 0,
                 HelpText({"while"}, "operand1 operator operand2",
                          "Run the command line again from its first command while the comparison holds.",
                          {{"operand1", kAnyValue}, {"operator", kComparisonText}, {"operand2", kAnyValue}}),
                 DoWhile});
    t.push_back({CommandRole::Named,
                 {"if"},
                 {kValue, kComparison, kValue},
                 3,
                 {},
                 0,
                 HelpText({"if"}, "operand1 operator operand2",
                          "Run the rest of the command line only when the comparison holds.",
                          {{"operand1", kAnyValue}, {"operator", kComparisonText}, {"operand2", kAnyValue}}),
                 DoIf});
    t.push_back({CommandRole::Named,
                 {"register", "reg", "r"},
                 {kText},
                 0,
                 {Flag("-d")},
                 0,
                 HelpText({"register", "reg", "r"}, "[cpu mode] [-d]", "Show the registers of a processor mode.",
                          {{"cpu mode", "USER, FIQ, IRQ, SVC, ABORT, UNDEF or SYSTEM, default the current mode"},
                           {"-d", "show only the banked registers written by the last step or run"}}),
                 DoRegister});
    t.push_back({CommandRole::Named,
                 {"cregister", "creg", "cr"},
                 {},
                 0,
                 {Flag("-d")},
                 0,
                 HelpText({"cregister", "creg", "cr"}, "", "Show the registers of the system control coprocessor.", {}),
                 DoCoprocessorDisplay});
    t.push_back({CommandRole::RegisterAccess,
                 {},
                 {kAssignment, kValue},
                 0,
                 {},
                 0,
                 HelpText({"rn"}, "[operator operand]", "Show a register of the current mode, or change it.",
                          {{"rn", "r0 to r15, pc, sp, lr, cpsr, psr or spsr"},
                           {"operator", kAssignmentText},
                           {"operand", kAnyValue}}),
                 DoRegisterAccess});
    t.push_back(
        {CommandRole::CoprocessorAccess,
         {},
         {kConstant, kAssignment, kValue},
         1,
         {},
         0,
         HelpText({"crn"}, "crm [operator operand]",
                  "Show a register CRn[CRm] of the system control coprocessor, or change it.",
                  {{"crn", "cr0 to cr15"}, {"crm", "constant"}, {"operator", kAssignmentText}, {"operand", kAnyValue}}),
         DoCoprocessorAccess});
    t.push_back(
        {CommandRole::MemoryAccess,
         {},
         {kAssignment, kValue},
         0,
         {},
         0,
         HelpText({"mw(addr)", "mh(addr)", "mb(addr)"}, "[operator operand]",
                  "Show a word, halfword or byte of memory, or change it.",
                  {{"addr", "register name or constant"}, {"operator", kAssignmentText}, {"operand", kAnyValue}}),
         DoMemoryAccess});
    t.push_back({CommandRole::Named,
                 {"symbol", "sym"},
                 {kText},
                 0,
                 {Flag("-d"), Flag("-x")},
                 0,
                 HelpText({"symbol", "sym"}, "[symbol_name] [-d] [-x]",
                          "Create or delete a user-defined symbol, or list every symbol.",
                          {{"symbol_name", "the symbol to create or delete, default list every symbol"},
                           {"-d", "delete the symbol"},
                           {"-x", "list the values in hexadecimal"}}),
                 DoSymbol});
    t.push_back(
        {CommandRole::SymbolAccess,
         {},
         {kAssignment, kValue},
         0,
         {Flag("-x")},
         0,
         HelpText({"USER_SYMBOL"}, "[operator operand]/[-x]", "Show a user-defined symbol, or change it.",
                  {{"operator", kAssignmentText}, {"operand", kAnyValue}, {"-x", "show the value in hexadecimal"}}),
         DoSymbolAccess});
    t.push_back({CommandRole::Named,
                 {"step", "s"},
                 {kValue},
                 0,
                 {Flag("-d"), Flag("-s")},
                 0,
                 HelpText({"step", "s"}, "[count] [-d] [-s]", "Execute instructions one at a time.",
                          {{"count", "register name, memory address, constant or user-defined symbol, default 1"},
                           {"-d", "execute the count in one go and show the result once"},
                           {"-s", "show one short trace line per instruction"}}),
                 DoStep});
    t.push_back({CommandRole::Named,
                 {"run"},
                 {},
                 0,
                 {},
                 0,
                 HelpText({"run"}, "", "Run the program until it ends or is halted.", {}),
                 DoRun});
    t.push_back(
        {CommandRole::Named,
         {"break", "bp"},
         {kValue},
         0,
         {Valued("-m", kValue), Flag("-c"), Flag("-ca"), Flag("-e"), Flag("-ea"), Flag("-d"), Flag("-da"), Flag("-p")},
         0,
         HelpText({"break", "bp"}, "[instru [-m mask]/[-c]/[-e]/[-d]]/[[-ca]/[-ea]/[-da]/[-p]]",
                  "Insert, delete, enable, disable or list software instruction breaks.",
                  {{"instru", kAnyValue},
                   {"-m",
                    "register name, memory address, constant or user-defined symbol, default "
                    "0xFFFFFFFF"},
                   {"-c", "delete the break"},
                   {"-ca", "delete every break"},
                   {"-e", "enable the break"},
                   {"-ea", "enable every break"},
                   {"-d", "disable the break"},
                   {"-da", "disable every break"},
                   {"-p", "list every break"}}),
         DoBreak});
    t.push_back({CommandRole::Named,
                 {"read", "rm", "m"},
                 {kValue, kValue},
                 1,
                 {Valued("-e", kValue), Flag("-b"), Flag("-h"), Flag("-i"), Flag("-m")},
                 0,
                 HelpText({"read", "rm", "m"}, "start_addr [count]/[-e end_addr] [-b]/[-h] [-i]/[-m]",
                          "Read memory in words, halfwords or bytes.",
                          {{"start_addr", kAnyValue},
                           {"count",
                            "register name, memory address, constant or user-defined symbol (bytes), "
                            "default 1"},
                           {"-e", "last address (end_addr) in place of count"},
                           {"-b", "bytes"},
                           {"-h", "halfwords, default words"},
                           {"-i", "read through the instruction cache, default the data cache"},
                           {"-m", "read the memory itself, not the caches"}}),
                 DoRead});
    t.push_back({CommandRole::Named,
                 {"write", "wm", "w"},
                 {kValue, kValue, kValue},
                 2,
                 {Valued("-e", kValue), Flag("-b"), Flag("-h"), Flag("-i"), Flag("-d")},
                 0,
                 HelpText({"write", "wm", "w"}, "start_addr [count]/[-e end_addr] data [-b]/[-h] [-i]/[-d]",
                          "Write a value into memory in words, halfwords or bytes.",
                          {{"start_addr", kAnyValue},
                           {"count",
                            "register name, memory address, constant or user-defined symbol (bytes), "
                            "default 1"},
                           {"-e", "last address (end_addr) in place of count"},
                           {"data", kAnyValue},
                           {"-b", "bytes"},
                           {"-h", "halfwords, default words"},
                           {"-i", "invalidate the instruction cache line only, default both caches"},
                           {"-d", "invalidate the data cache line only, default both caches"}}),
                 DoWrite});
    t.push_back({CommandRole::Named,
                 {"readcache", "rc"},
                 {kConstant | kUserSymbol, kConstant | kUserSymbol},
                 1,
                 {Valued("-e", kConstant | kUserSymbol), Flag("-i")},
                 0,
                 HelpText({"readcache", "rc"}, "start_index [count]/[-e end_index] [-i]",
                          "Show sets of the data cache or the instruction cache.",
                          {{"start_index", "constant or user-defined symbol"},
                           {"count", "constant or user-defined symbol (sets), default 4"},
                           {"-e", "last set (end_index) in place of count"},
                           {"-i", "the instruction cache, default the data cache"}}),
                 DoReadCache});
    t.push_back({CommandRole::Named,
                 {"Disassemble", "dis", "d"},
                 {kValue, kValue},
                 0,
                 {Valued("-e", kValue), Flag("-32"), Flag("-16")},
                 0,
                 HelpText({"disassemble", "dis", "d"}, "[start_addr] [instruction no.]/[-e end_addr] [-32]/[-16]",
                          "Disassemble memory.",
                          {{"start_addr",
                            "register name, memory address, constant or user-defined symbol, "
                            "default PC - 16 (Thumb PC - 8)"},
                           {"instruction no.",
                            "register name, memory address, constant or user-defined symbol "
                            "(bytes), default 64 (Thumb 32)"},
                           {"-e", "last address (end_addr) in place of the number of bytes"},
                           {"-32", "ARM instructions"},
                           {"-16", "Thumb instructions, default the current state"}}),
                 DoDisassemble});
    t.push_back({CommandRole::Named,
                 {"reset"},
                 {},
                 0,
                 {},
                 0,
                 HelpText({"reset"}, "", "Reset the simulator: memory, caches, processor and coprocessor.", {}),
                 DoReset});
    t.push_back({CommandRole::Named,
                 {"help", "?", "h"},
                 {kText},
                 0,
                 {},
                 0,
                 HelpText({"help", "?", "h"}, "[command]", "Show the help text of a command, or the command list.",
                          {{"command",
                            "command name, register name, memory form or user-defined symbol, "
                            "default the command list"}}),
                 DoHelp});
    t.push_back(
        {CommandRole::Named,
         {"history", "hist", "!"},
         {kValue},
         0,
         {Flag("-c")},
         0,
         HelpText({"history", "hist", "!"}, "[number] [-c]", "List the command history, or run one of its lines again.",
                  {{"number",
                    "register name, memory address, constant or user-defined symbol, default "
                    "list every line"},
                   {"-c", "clear the history"}}),
         DoHistory});
    t.push_back({CommandRole::Named,
                 {"getfile", "get", "g"},
                 {kText, kValue},
                 1,
                 {Flag("-x")},
                 0,
                 HelpText({"getfile", "get", "g"}, "file [addr] [-x]", "Load a file into memory.",
                          {{"file", "file name"},
                           {"addr", "register name, memory address, constant or user-defined symbol, default 0"},
                           {"-x",
                            "the file holds hexadecimal words separated by white space, default raw "
                            "bytes"}}),
                 DoGetFile});
    t.push_back({CommandRole::Named,
                 {"script", "sc"},
                 {kText},
                 1,
                 {},
                 0,
                 HelpText({"script", "sc"}, "file", "Open a script file.", {{"file", "file name"}}),
                 DoScript});
    t.push_back({CommandRole::Named,
                 {"config", "c"},
                 {},
                 0,
                 {Keyword("-print", {"OFF", "ON"}), Keyword("-log", {"OFF", "ON", "CLOSE"}), Valued("-logfile", kText),
                  Keyword("-selfcheck", {"OFF", "ON"}), Valued("-wd", kText), Keyword("-cd", {"OFF", "ON"})},
                 0,
                 HelpText({"config", "c"}, "[-print off/on] [-log off/on] [-logfile log_file]",
                          "Show the configuration, or change it.",
                          {{"-print", "OFF or ON: print to the console"},
                           {"-log", "OFF, ON or CLOSE: write to the log file"},
                           {"-logfile", "the log file to open"},
                           {"-selfcheck", "OFF or ON: stop before executing a word that was written"},
                           {"-wd", "the file that logs every memory write"},
                           {"-cd", "OFF or ON: complement data written back from the caches"}}),
                 DoConfig});
    t.push_back(
        {CommandRole::Named,
         {"statistics"},
         {},
         0,
         {Flag("-c")},
         0,
         HelpText({"statistics"}, "[-c] [-x]", "Show the instruction execution count.", {{"-c", "clear the count"}}),
         DoStatistics});
    return t;
}

}  // namespace

const Operand& ParsedCommand::Option(std::string_view name) const
{
    static const Operand kAbsent;
    const std::vector<OptionSpec>& specs = record->options;
    for (size_t i = 0; i < specs.size() && i < options.size(); ++i) {
        if (specs[i].name == name)
            return options[i];
    }
    return kAbsent;
}

const std::vector<CommandRecord>& CommandTable()
{
    static const std::vector<CommandRecord> table = BuildTable();
    return table;
}

const CommandRecord& RecordFor(CommandRole role)
{
    const std::vector<CommandRecord>& table = CommandTable();
    return *std::find_if(table.begin(), table.end(), [role](const CommandRecord& r) { return r.role == role; });
}

std::string_view HelpSummary()
{
    static const std::string summary = [] {
        static constexpr std::pair<std::string_view, std::string_view> kEntries[] = {
            {"[quit]", "quit the simulator"},
            {"[while]", "run the line again while a comparison holds"},
            {"[if]", "run the rest of the line when a comparison holds"},
            {"[register]", "show the registers of a processor mode"},
            {"[cregister]", "show the coprocessor registers"},
            {"[Rn]", "show or change a register"},
            {"[CRn]", "show or change a coprocessor register"},
            {"[mw()/mh()/mb()]", "show or change a word, halfword or byte of memory"},
            {"[step]", "execute instructions one at a time"},
            {"[run]", "run the program"},
            {"[break]", "software instruction breaks"},
            {"[read]", "read memory"},
            {"[write]", "write memory"},
            {"[readcache]", "show cache sets"},
            {"[disassemble]", "disassemble memory"},
            {"[reset]", "reset the simulator"},
            {"[history]", "list or run the command history"},
            {"[get]", "load a file into memory"},
            {"[script]", "open a script file"},
            {"[symbol]", "create, delete or list user-defined symbols"},
            {"[USER_SYMBOL]", "show or change a user-defined symbol"},
            {"[config]", "show or change the configuration"},
            {"[statistics]", "show the instruction execution count"},
        };
        std::string text = "| COMMAND: help [command]\n";
        for (const auto& [name, what] : kEntries) {
            text += "|    ";
            text += name;
            text.append(18 - name.size(), ' ');
            text += ": ";
            text += what;
            text += '\n';
        }
        text += "| COMMAND: help [command]\n|\n";
        return text;
    }();
    return summary;
}

}  // namespace zk::sim
