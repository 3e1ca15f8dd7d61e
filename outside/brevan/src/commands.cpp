// The command table and the execution of a command line.
#include <strings.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "server_state.h"

namespace brevan {

namespace {

constexpr const char* kNoSuchCommand = "No such command";

Command* Find(const std::string& word)
{
    for (Command& c : Server().commands) {
        if (strcasecmp(c.name.c_str(), word.c_str()) == 0)
            return &c;
    }
    return nullptr;
}

// ShlIsBusy answers non-zero while a line executes.
struct BusyScope {
    BusyScope() { ++Server().busy; }
    ~BusyScope() { --Server().busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The words of a line after its prompt: '>' and blanks before the first word.
std::vector<std::string> SplitLine(const std::string& line)
{
    size_t at = 0;
    while (at < line.size() && (line[at] == '>' || IsBlank(line[at])))
        ++at;
    std::vector<std::string> words;
    while (at < line.size()) {
        const size_t start = at;
        while (at < line.size() && !IsBlank(line[at]))
            ++at;
        words.push_back(line.substr(start, at - start));
        while (at < line.size() && IsBlank(line[at]))
            ++at;
    }
    return words;
}

}  // namespace

ServerState& Server()
{
    static auto* state = new ServerState;
    return *state;
}

int AddCommand(const std::string& name, const std::string& syntax, CommandHandler handler)
{
    if (name.empty() || !handler)
        return -1;
    if (Command* c = Find(name))
        *c = {name, syntax, std::move(handler)};
    else
        Server().commands.push_back({name, syntax, std::move(handler)});
    return 0;
}

bool LookupCommand(const std::string& word, std::string* name, std::string* syntax)
{
    const Command* c = Find(word);
    if (!c)
        return false;
    if (name)
        *name = c->name;
    if (syntax)
        *syntax = c->syntax;
    return true;
}

}  // namespace brevan

using namespace brevan;

extern "C" {

int ShlAddCommand(const char* name, const char* syntax, ShlCommandProc handler)
{
    if (!name || !handler)
        return -1;
    return AddCommand(name, syntax ? syntax : "", handler);
}

int ShlExecuteCommand(const char* text, int length, int* inputMode, int* waitFlag)
{
    (void)inputMode;
    if (waitFlag)
        *waitFlag = 0;
    if (!text || length <= 0)
        return 0;
    // The line ends at `length` characters or at its NUL, whichever comes first.
    const std::string line(text, strnlen(text, static_cast<size_t>(length)));
    std::vector<std::string> words = SplitLine(line);
    if (words.empty())
        return 0;
    // The include command takes the rest of the line as it is (quotes,
    // blanks inside the path).
    if (strcasecmp(words[0].c_str(), "include") == 0) {
        const BusyScope busy;
        const size_t word = line.find_first_not_of(" \t\r\n>");
        return RunIncludeFile(IncludePathOf(std::string_view(line).substr(word + 7)));
    }
    const Command* c = Find(words[0]);
    if (!c) {
        ShlPrintMessage(kNoSuchCommand, SHL_PRINT_MESSAGE);
        return SHL_NO_SUCH_COMMAND;
    }
    // The handler may add or replace commands: it runs on a copy.
    const CommandHandler handler = c->handler;
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const BusyScope busy;
    return handler(static_cast<int>(words.size()), argv.data());
}

int ShlIsBusy(void)
{
    return Server().busy != 0 ? 1 : 0;
}

}  // extern "C"
