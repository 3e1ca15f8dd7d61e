// The look-ups from a source file's name: a line's code range, a module's
// source name and the path of its existing file.
#include <string>

#include "links.h"
#include "lookups/sym_lookups.h"
#include "platform/paths.h"
#include "quinar/symbol_store.h"
#include "tarnel.h"

namespace lookups {

namespace {

// Paths of the debug information and of the loaded-module list may use
// either separator; the one handed out opens on this system.
bool IsExistingFile(const std::string& path)
{
    return !path.empty() && platform::IsRegularFile(platform::ToNativePath(path));
}

std::string FilePart(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The path the ELF loader resolved for a module's source file of that name
// (the name as the debug information gives it, case counting).
bool LoaderResolvedPath(uint32_t module, const std::string& name, std::string& path)
{
    const DWORD handle = module;
    ZkString resolved;
    if (LdrGetSrcInfo(name.c_str(), &handle, &resolved) != 0 || !IsExistingFile(resolved))
        return false;
    path = resolved;
    return true;
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
        fullPath = platform::ToNativePath(path);
        return TRUE;
    }
    // The path the loader resolved for the file's modules.
    const std::string name = LowerFileName(given);
    for (uint32_t n = 0; !name.empty(); ++n) {
        auto key = quinar::Symbols().FindModuleByFile(name, n);
        if (!key)
            break;
        auto text = quinar::Symbols().SourceFileName(*key);
        if (text && LowerFileName(*text) == name && IsExistingFile(*text)) {
            fullPath = platform::ToNativePath(*text);
            return TRUE;
        }
        if (LoaderResolvedPath(*key, FilePart(given), path) ||
            (text && LoaderResolvedPath(*key, FilePart(*text), path))) {
            fullPath = platform::ToNativePath(path);
            return TRUE;
        }
    }
    if (IsExistingFile(given)) {
        fullPath = platform::ToNativePath(given);
        return TRUE;
    }
    // The known source folders.
    if (Links().sourceFolders) {
        const std::string file = FilePart(given);
        for (const std::string& folder : Links().sourceFolders()) {
            const std::string candidate = folder.empty() ? file : folder + "/" + file;
            if (!file.empty() && IsExistingFile(candidate)) {
                fullPath = platform::ToNativePath(candidate);
                return TRUE;
            }
        }
    }
    return FALSE;
}

}  // namespace lookups
