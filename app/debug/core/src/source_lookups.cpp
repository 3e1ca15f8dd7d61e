#include "appdebug/source_lookups.h"

#include "appdebug/program_load.h"
#include "appdebug/symbol_records.h"
#include "lookups/sym_lookups.h"
#include "quinar/symbol_store.h"

namespace appdebug {

namespace {

std::string& ImagePath()
{
    static std::string path;
    return path;
}

}  // namespace

const std::string& LoadedImagePath()
{
    return ImagePath();
}

void SetLoadedImagePath(const std::string& path)
{
    ImagePath() = path;
}

BOOL SymIsAddrInModule(const ADDR* address)
{
    return address && quinar::Symbols().ModuleAt(address->off) ? TRUE : FALSE;
}

BOOL SymFindSourceFileOfAddr(const ADDR* address, std::string& path, int* word)
{
    if (!address)
        return FALSE;
    quinar::SymbolStore& symbols = quinar::Symbols();
    const auto module = symbols.ModuleAt(address->off);
    if (!module)
        return FALSE;
    // The line's own file (an inline function of a header lies in another
    // file than its module's).
    uint32_t key = module->module;
    if (const auto line = symbols.SourceLineAt(address->off))
        key = line->file;
    if (word)
        *word = static_cast<int>(key);
    LoadedModuleList& modules = LoadedModules();
    for (size_t i = 0; i < modules.Count(); ++i) {
        if (modules.Module(i)->m_handle == key && !modules.ResolvedPath(i).empty()) {
            path = modules.ResolvedPath(i);
            return TRUE;
        }
    }
    const auto name = symbols.SourceFileName(key);
    if (!name)
        return FALSE;
    std::string resolved = *name;
    if (!ResolveSourcePath(resolved, key, LoadedImagePath()))
        resolved = *name;
    path = resolved;
    return TRUE;
}

int SourceLineOfAddr(uint32_t address)
{
    uint32_t module = 0, line = 0;
    if (!lookups::LineOfAddr(address, module, line) || line == 0)
        return -1;
    return static_cast<int>(line);
}

BOOL SourceLineToAddr(const std::string& file, int line, ADDR* address)
{
    int module = 0;
    if (!lookups::SymFindModuleOfFile(file.c_str(), &module))
        return FALSE;
    ADDR start{}, end{};
    if (!lookups::SymGetLineAddrRange(line, &start, &end, module, FALSE))
        return FALSE;
    if (address)
        *address = start;
    return TRUE;
}

}  // namespace appdebug
