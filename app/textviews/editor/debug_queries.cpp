#include "debug_queries.h"

#include "dolmer/dolmer.h"
#include "lookups/sym_lookups.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "quinar/symbol_store.h"

namespace editor {

namespace {

class LibraryQueries : public DebugQueries {
public:
    bool IsSymbolLoaded() override { return LdrIsSymbolLoaded() == 1; }
    int CheckFunctionName(const std::string& name) override { return SymCheckFunctionName(name.c_str()); }
    int GetFuncRange(const std::string& name, ADDR& start, ADDR& end) override
    {
        return SrcGetFuncRange(name.c_str(), &start, &end);
    }
    int CheckVariableAtLine(const std::string& word, int line) override
    {
        return SymCheckVariableAtLine(word.c_str(), line);
    }
    bool FindModuleOfFile(const std::string& fileName, int& module) override
    {
        return lookups::SymFindModuleOfFile(fileName.c_str(), &module) != FALSE;
    }
    int GetVariableValueText(int module, int line, const std::string& name, std::string& text) override
    {
        return SymGetVariableValueText(static_cast<std::uint32_t>(module), line, name.c_str(), &text);
    }
    bool AddrToSourceLine(std::uint32_t address, std::uint32_t& module, std::uint32_t& line) override
    {
        auto at = quinar::Symbols().SourceLineAt(address);
        if (!at)
            return false;
        module = at->file;  // the source key: the file the line belongs to
        line = at->line;
        return true;
    }
    bool AddrToHex(ADDR address, std::string& text) override
    {
        char buffer[16] = {};
        if (AdrAddrToHex(address, buffer) != 1)
            return false;
        text = buffer;
        return true;
    }
    bool FileLineToAddrRange(int line, ADDR& start, ADDR& end, const std::string& fileName) override
    {
        return lookups::SymFileLineToAddrRange(line, &start, &end, fileName.c_str()) != FALSE;
    }
    void ToggleBreakpointAtAddr(ADDR address, int unit) override { lookups::ToggleBreakpointAtAddr(address, unit); }
    std::string ModuleSourcePath(std::uint32_t module) override
    {
        std::string name;
        std::string path;
        if (!lookups::SymGetModuleSourceName(static_cast<int>(module), name) ||
            !lookups::FindSourceFilePath(name.c_str(), path))
            return {};
        return path;
    }
};

}  // namespace

DebugQueries& RealDebugQueries()
{
    static LibraryQueries queries;
    return queries;
}

}  // namespace editor
