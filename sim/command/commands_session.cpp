// Commands of the session: quit, while, if, reset, help, history, script,
// config and statistics.
#include "command_table.h"
#include "operand.h"
#include "session.h"
#include "simdisasm/console_text.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

// Names given to "-logfile" and "-wd" are at most this long.
constexpr size_t kMaxFileName = 127;

bool Comparison(const ParsedCommand& c)
{
    return ApplyComparison(c.operands[1].value, c.operands[0].value, c.operands[2].value);
}

bool OpenLogFile(Session& s, const std::string& name)
{
    if (name.size() <= kMaxFileName && s.output.OpenLogFile(name)) {
        s.Print(Format("| Open the %s file for logging OK!!!\n", name.c_str()));
        s.output.SetLogging(true);
        return true;
    }
    s.output.CloseLogFile();
    s.output.SetLogging(false);
    s.Print(Format("| Can not open the %s file for logging!!!\n", name.c_str()));
    return false;
}

// "-log": 0 OFF, 1 ON, 2 CLOSE.
bool SetLogging(Session& s, uint32_t keyword)
{
    if (keyword == 0) {
        s.output.SetLogging(false);
        s.Print("Turn off logging OK!!!\n");
        return true;
    }
    if (!s.output.LogFileOpen()) {
        s.Print(keyword == 1 ? "The logging file does not exist. Can not turn on logging!!!\n"
                             : "The logging file does not exist. Can not close the logging file!!!\n");
        return false;
    }
    if (keyword == 1) {
        s.output.SetLogging(true);
        s.Print("Turn on logging OK!!!\n");
    } else {
        s.output.CloseLogFile();
        s.output.SetLogging(false);
    }
    return true;
}

bool OpenWriteDataLog(Session& s, const std::string& name)
{
    if (name.size() <= kMaxFileName && s.OpenWriteDataLog(name)) {
        s.Print(Format("| Open the %s file for logging OK!!!\n", name.c_str()));
        return true;
    }
    s.CloseWriteDataLog();
    s.Print(Format("| Can not open the %s file for logging!!!\n", name.c_str()));
    return false;
}

ConfigDisplay CurrentConfiguration(const Session& s)
{
    ConfigDisplay d;
    const CacheGeometry& icache = s.sim.ConfiguredCacheGeometry(Side::Instruction);
    const CacheGeometry& dcache = s.sim.ConfiguredCacheGeometry(Side::Data);
    d.icacheBytes = icache.size;
    d.icacheWays = icache.ways;
    d.dcacheBytes = dcache.size;
    d.dcacheWays = dcache.ways;
    d.print = s.output.Printing();
    d.log = s.output.Logging();
    d.selfModifyCheck = s.sim.SelfModifyCheck();
    d.complement = s.sim.Memory().ComplementOnWriteBack();
    d.logFile = s.output.LogFileName();
    d.writeDataFile = s.output.WriteDataLogName();
    return d;
}

}  // namespace

int DoQuit(Session&, const ParsedCommand&, std::string*)
{
    return kStopDispatch;
}

int DoWhile(Session&, const ParsedCommand& c, std::string*)
{
    return Comparison(c) ? kRestartLine : kNextCommand;
}

int DoIf(Session&, const ParsedCommand& c, std::string*)
{
    return Comparison(c) ? kNextCommand : kDropLine;
}

int DoReset(Session& s, const ParsedCommand&, std::string*)
{
    return s.sim.Reset() ? kNextCommand : kDropLine;
}

int DoHelp(Session& s, const ParsedCommand& c, std::string*)
{
    if (!c.Positional(0)) {
        s.Print(HelpSummary());
        return kNextCommand;
    }
    const CommandRecord* record = LookupCommand(s, c.operands[0].token);
    if (!record)
        return kShowHelp;
    s.Print(record->help);
    return kNextCommand;
}

int DoHistory(Session& s, const ParsedCommand& c, std::string* area)
{
    // The newest line is the history command itself when lines are recorded.
    s.history.DropNewest();
    if (c.Has("-c")) {
        s.history.Clear();
        return kNextCommand;
    }
    if (const Operand* number = c.Positional(0)) {
        const std::string* line = s.history.Line(number->value);
        if (!line)
            return kDropLine;
        const std::string copy = *line;
        s.Print(Format(">> %s\n", copy.c_str()));
        return DispatchLine(s, copy, area) == 0 ? kStopDispatch : kNextCommand;
    }
    std::string text = "Command history:\n";
    for (size_t n = 1; n <= s.history.Size(); ++n)
        text += Format("%02zu    %s\n", n, s.history.Line(n)->c_str());
    s.Print(text);
    return kNextCommand;
}

int DoScript(Session& s, const ParsedCommand& c, std::string*)
{
    if (s.script) {
        s.Print("| Can not execute \"script\" command in script file!!!\n");
        return kDropLine;
    }
    const std::string& name = c.operands[0].token;
    s.script.reset(std::fopen(name.c_str(), "rb"));
    if (!s.script) {
        s.Print(Format("| Can not open the script %s file to execute!!!\n", name.c_str()));
        return kDropLine;
    }
    return kNextCommand;
}

int DoConfig(Session& s, const ParsedCommand& c, std::string*)
{
    if (c.optionCount == 0) {
        s.Print(ConfigurationBlock(CurrentConfiguration(s)));
        return kNextCommand;
    }
    bool refused = false;
    if (const Operand& print = c.Option("-print"); print.present) {
        s.output.SetPrinting(print.value == 1);
        s.Print(print.value == 1 ? "Turn on printing OK!!!\n" : "Turn off printing OK!!!\n");
    }
    if (const Operand& file = c.Option("-logfile"); file.present)
        refused |= !OpenLogFile(s, file.token);
    if (const Operand& log = c.Option("-log"); log.present)
        refused |= !SetLogging(s, log.value);
    if (const Operand& check = c.Option("-selfcheck"); check.present) {
        s.sim.SetSelfModifyCheck(check.value == 1);
        s.Print(check.value == 1 ? "Turn on self modified code checking OK!!!\n"
                                 : "Turn off self modified code checking OK!!!\n");
    }
    if (const Operand& file = c.Option("-wd"); file.present)
        refused |= !OpenWriteDataLog(s, file.token);
    if (const Operand& complement = c.Option("-cd"); complement.present) {
        s.sim.Memory().SetComplementOnWriteBack(complement.value == 1);
        s.Print(complement.value == 1 ? "Turn on complement data when writting OK!!!\n"
                                      : "Turn off complement data when writting OK!!!\n");
    }
    return refused ? kDropLine : kNextCommand;
}

int DoStatistics(Session& s, const ParsedCommand& c, std::string*)
{
    if (c.Has("-c")) {
        s.sim.SetInstructionCount(0);
    } else {
        s.Print(Format("|    %s : 0x%u\n", "Instruction Execution Count", s.sim.InstructionCount()));
    }
    return kNextCommand;
}

}  // namespace zk::sim
