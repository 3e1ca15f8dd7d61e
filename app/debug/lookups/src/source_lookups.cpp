// The look-ups from a source file's name: a line's code range, a module's
// source name and the path of its existing file.
#include <filesystem>
#include <string>
#include <system_error>

#include "links.h"
#include "lookups/sym_lookups.h"
#include "quinar/symbol_store.h"

namespace lookups {

namespace {

bool IsExistingFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

BOOL SymFileLineToAddrRange(int line, ADDR* start, ADDR* end, const char* file)
{
    if (!file)
        return FALSE;
    const std::string name = LowerFileName(file);
    if (name.empty())
        return FALSE;
    // Every module of that name, in the symbol library's order, until one
    // has code on the line.
    for (uint32_t n = 0;; ++n) {
        auto key = quinar::Symbols().FindModuleByFile(name, n);
        if (!key)
            return FALSE;
        if (SymGetLineAddrRange(line, start, end, static_cast<int>(*key), FALSE))
            return TRUE;
    }
}

BOOL SymGetModuleSourceName(int module, std::string& name)
{
    if (module > 0) {
        if (auto text = quinar::Symbols().SourceFileName(static_cast<uint32_t>(module)); text && !text->empty()) {
            name = *text;
            return TRUE;
        }
    }
    name.clear();
    if (Links().moduleName && Links().moduleName(module, name))
        return TRUE;
    name.clear();
    return FALSE;
}

BOOL FindSourceFilePath(const char* fileName, std::string& fullPath)
{
    fullPath.clear();
    if (!fileName || !*fileName)
        return FALSE;
    const std::string given = fileName;
    // The loaded-module list's resolved path of that file.
    std::string path;
    if (Links().resolvedPath && Links().resolvedPath(given, path) && IsExistingFile(path)) {
        fullPath = path;
        return TRUE;
    }
    // The path the loader gave the symbol library for the file's modules.
    const std::string name = LowerFileName(given);
    for (uint32_t n = 0; !name.empty(); ++n) {
        auto key = quinar::Symbols().FindModuleByFile(name, n);
        if (!key)
            break;
        auto text = quinar::Symbols().SourceFileName(*key);
        if (text && LowerFileName(*text) == name && IsExistingFile(*text)) {
            fullPath = *text;
            return TRUE;
        }
    }
    if (IsExistingFile(given)) {
        fullPath = given;
        return TRUE;
    }
    return FALSE;
}

}  // namespace lookups
