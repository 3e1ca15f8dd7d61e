#include "appdebug/source_lookups.h"

#include "appdebug/program_load.h"
#include "appdebug/symbol_records.h"
#include "lookups/sym_lookups.h"
#include "platform/paths.h"
#include "platform/win_app.h"
#include "quinar/symbol_store.h"
#include "shell/debugger_app.h"

namespace appdebug {

namespace {

std::string& ImagePath()
{
    static std::string path;
    return path;
}

// The file name after the last '/' or '\', lower-cased (ASCII).
std::string LowerFileName(const std::string& path)
{
    std::string name = platform::FileNameOf(path);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
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
    ADDR start{}, end{};
    if (!lookups::SymFileLineToAddrRange(line, &start, &end, file.c_str()))
        return FALSE;
    if (address)
        *address = start;
    return TRUE;
}

lookups::ProgramLinks LoadedModuleLinks()
{
    lookups::ProgramLinks links;
    links.moduleOfFile = [](const std::string& lowerName, int& module) {
        LoadedModuleList& modules = LoadedModules();
        for (size_t i = 0; i < modules.Count(); ++i)
            if (LowerFileName(modules.Module(i)->m_name) == lowerName) {
                module = static_cast<int>(modules.Module(i)->m_handle);
                return true;
            }
        return false;
    };
    links.moduleName = [](int module, std::string& name) {
        for (const CModuleInfo* record : LoadedModules().Modules())
            if (static_cast<int>(record->m_handle) == module) {
                name = record->m_name;
                return true;
            }
        return false;
    };
    links.resolvedPath = [](const std::string& fileName, std::string& path) {
        const std::string lower = LowerFileName(fileName);
        LoadedModuleList& modules = LoadedModules();
        for (size_t i = 0; i < modules.Count(); ++i)
            if (!modules.ResolvedPath(i).empty() && LowerFileName(modules.Module(i)->m_name) == lower) {
                path = modules.ResolvedPath(i);
                return true;
            }
        return false;
    };
    links.sourceFolders = [] {
        std::vector<std::string> folders;
        if (auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp())) {
            for (const std::string& folder : app->m_lists.src)
                folders.push_back(folder);
            if (app->ActiveProject())
                folders.push_back(platform::FolderOf(app->ActiveProject()->path));
        }
        folders.push_back(platform::FolderOf(LoadedImagePath()));
        return folders;
    };
    return links;
}

}  // namespace appdebug
