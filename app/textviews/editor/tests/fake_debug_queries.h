// Answers of the symbol library and the debugger for the editor's
// debugging commands, set by the test, with a record of the breakpoint
// toggles and the variable questions.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "debug_queries.h"

namespace editor::test {

struct Toggle {
    std::uint32_t address;
    int unit;
    bool operator==(const Toggle&) const = default;
};

class FakeDebugQueries : public DebugQueries {
public:
    bool IsSymbolLoaded() override { return symbolsLoaded; }
    int CheckFunctionName(const std::string& name) override
    {
        checkedFunctions.push_back(name);
        return functions.count(name) ? 0 : 0x40000E02;
    }
    int GetFuncRange(const std::string& name, ADDR& start, ADDR& end) override
    {
        auto it = functions.find(name);
        if (it == functions.end() || noRange.count(name))
            return 0x40000E02;
        start = {it->second.first, ADDR_SPACE_TARGET};
        end = {it->second.second, ADDR_SPACE_TARGET};
        return 0;
    }
    int CheckVariableAtLine(const std::string& word, int line) override
    {
        variableQuestions.emplace_back(word, line);
        if (variableAnswer != 0)
            return variableAnswer;
        return variables.count(word) ? 0 : -1;
    }
    bool FindModuleOfFile(const std::string& fileName, int& module) override
    {
        module = 7;
        return fileName == file;
    }
    int GetVariableValueText(int module, int line, const std::string& name, std::string& text) override
    {
        auto it = values.find(name);
        if (module != 7 || it == values.end())
            return 0x40000E21;
        text = it->second;
        return 0;
    }
    bool AddrToSourceLine(std::uint32_t address, std::uint32_t& module, std::uint32_t& line) override
    {
        auto it = sourceLines.find(address);
        if (it == sourceLines.end())
            return false;
        module = 3;
        line = it->second;
        return true;
    }
    bool AddrToHex(ADDR address, std::string& text) override
    {
        if (!hexWorks)
            return false;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%08X", address.off);
        text = buffer;
        return true;
    }
    bool FileLineToAddrRange(int line, ADDR& start, ADDR& end, const std::string& fileName) override
    {
        auto it = codeLines.find(line);
        if (fileName != file || it == codeLines.end())
            return false;
        start = {it->second, ADDR_SPACE_TARGET};
        end = {it->second + 3, ADDR_SPACE_TARGET};
        return true;
    }
    void ToggleBreakpointAtAddr(ADDR address, int unit) override { toggles.push_back({address.off, unit}); }
    std::string ModuleSourcePath(std::uint32_t module) override { return module == 3 ? sourcePath : std::string(); }

    // What the program holds.
    std::string file = "demo.c";
    bool symbolsLoaded = true;
    std::map<int, std::uint32_t> codeLines;                                    // one-based line -> first address
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> functions;  // "#name" -> range
    std::set<std::string> noRange;
    std::set<std::string> variables;
    int variableAnswer = 0;  // non-zero: every variable question answers it
    std::map<std::string, std::string> values;
    std::map<std::uint32_t, std::uint32_t> sourceLines;  // address -> line of module 3
    std::string sourcePath;
    bool hexWorks = true;

    // What was asked.
    std::vector<Toggle> toggles;
    std::vector<std::string> checkedFunctions;
    std::vector<std::pair<std::string, int>> variableQuestions;
};

}  // namespace editor::test
