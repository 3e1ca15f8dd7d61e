// The dispatcher: a line splits at ";" into commands, each command into
// words; the first word selects the record, the others are its options and
// positional operands; the handler's result decides what runs next.
#include <vector>

#include "command_table.h"
#include "operand.h"
#include "session.h"
#include "simcmd/command_language.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

// A line holds at most this many commands; the rest is cut.
constexpr size_t kMaxCommands = 30;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<std::string_view> SplitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const size_t begin = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > begin)
            words.push_back(text.substr(begin, i - begin));
    }
    return words;
}

// The commands of a line as their words; empty pieces are skipped.
std::vector<std::vector<std::string_view>> SplitCommands(std::string_view line)
{
    std::vector<std::vector<std::string_view>> commands;
    size_t begin = 0;
    while (begin <= line.size() && commands.size() < kMaxCommands) {
        size_t end = line.find(';', begin);
        if (end == std::string_view::npos)
            end = line.size();
        std::vector<std::string_view> words = SplitWords(line.substr(begin, end - begin));
        if (!words.empty())
            commands.push_back(std::move(words));
        begin = end + 1;
    }
    return commands;
}

const OptionSpec* FindOption(const CommandRecord& record, std::string_view word, size_t& index)
{
    for (size_t i = 0; i < record.options.size(); ++i) {
        if (SameWord(record.options[i].name, word)) {
            index = i;
            return &record.options[i];
        }
    }
    return nullptr;
}

bool Parse(Session& session, const CommandRecord& record, const std::vector<std::string_view>& words,
           ParsedCommand& command)
{
    command.record = &record;
    command.word.assign(words[0]);
    command.options.assign(record.options.size(), Operand{});
    for (size_t i = 1; i < words.size(); ++i) {
        size_t index = 0;
        if (const OptionSpec* option = FindOption(record, words[i], index)) {
            ++command.optionCount;
            Operand& value = command.options[index];
            if (option->kinds == 0) {
                value.present = true;
                value.token.assign(words[i]);
                value.value = 1;
                continue;
            }
            if (i + 1 >= words.size() || !EvaluateOperand(session, option->kinds, words[i + 1], option, value)) {
                return false;
            }
            ++i;
            continue;
        }
        const size_t slot = command.operands.size();
        if (slot >= record.operandKinds.size())
            return false;
        Operand operand;
        if (!EvaluateOperand(session, record.operandKinds[slot], words[i], nullptr, operand))
            return false;
        command.operands.push_back(std::move(operand));
    }
    return command.operands.size() >= record.minOperands && command.optionCount >= record.minOptions;
}

}  // namespace

const CommandRecord* LookupCommand(const Session& session, std::string_view word)
{
    if (RegisterNameNumber(word))
        return &RecordFor(CommandRole::RegisterAccess);
    if (CoprocessorRegisterWord(word))
        return &RecordFor(CommandRole::CoprocessorAccess);
    if (ParseMemoryForm(word))
        return &RecordFor(CommandRole::MemoryAccess);
    for (const CommandRecord& record : CommandTable()) {
        if (record.role != CommandRole::Named)
            continue;
        for (std::string_view name : record.names) {
            if (!name.empty() && SameWord(name, word))
                return &record;
        }
    }
    if (session.symbols.Find(word))
        return &RecordFor(CommandRole::SymbolAccess);
    return nullptr;
}

int DispatchLine(Session& session, std::string_view line, std::string* area)
{
    const std::vector<std::vector<std::string_view>> commands = SplitCommands(line);
    size_t i = 0;
    while (i < commands.size()) {
        const std::vector<std::string_view>& words = commands[i];
        const CommandRecord* record = LookupCommand(session, words[0]);
        if (!record) {
            session.Report(Format("| Unrecognised command: <%s>\n", std::string(words[0]).c_str()), area);
            break;
        }
        ParsedCommand command;
        if (!Parse(session, *record, words, command)) {
            session.Print(record->help);
            break;
        }
        const int result = record->handler(session, command, area);
        if (result == kStopDispatch) {
            session.output.Flush();
            return CommandLanguage::kQuit;
        }
        if (result == kRestartLine) {
            i = 0;
            continue;
        }
        if (result == kDropLine)
            break;
        if (result == kShowHelp)
            session.Print(record->help);
        ++i;
    }
    session.output.Flush();
    return CommandLanguage::kDone;
}

}  // namespace zk::sim
