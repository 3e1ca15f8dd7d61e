// LoadLibrary, GetProcAddress and FreeLibrary over dlopen, with the system's
// library names mapped to lib<Name>.so in the program's folder.
#include "platform/modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "handle_table.h"

namespace platform {
namespace {

struct Module {
    void* dl = nullptr;
    std::string path;
    int refs = 0;
};

struct ModuleTable {
    std::mutex mutex;
    detail::HandleTable<Module, 12> table;
    std::string folderOverride;
};

ModuleTable& Modules()
{
    static auto* modules = new ModuleTable;
    return *modules;
}

thread_local std::string t_lastError;

bool Fail(DWORD code, std::string why)
{
    t_lastError = std::move(why);
    SetLastError(code);
    return false;
}

bool IsFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithNoCase(const std::string& s, const char* tail)
{
    size_t n = std::strlen(tail);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

// A library file written with other letter case: the system's names come from
// a case-insensitive file system.
std::string FindNoCase(const std::string& folder, const std::string& file)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, file.c_str()) == 0) {
            found = folder + "/" + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// The file that defines `symbol`'s address must be the module itself: Win32
// looks only at a module's own exports, dlsym also at its dependencies.
bool DefinedIn(void* dl, const void* symbol)
{
    link_map* map = nullptr;
    Dl_info info{};
    if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map || !dladdr(symbol, &info))
        return false;
    return info.dli_fbase == reinterpret_cast<void*>(map->l_addr) ||
        (info.dli_fname && map->l_name && std::strcmp(info.dli_fname, map->l_name) == 0);
}

Module* FindModule(HMODULE module)
{
    return Modules().table.Find(detail::HandleNumber(module));
}

}  // namespace

std::string ProgramFolder()
{
    static const std::string folder = [] {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(&ProgramFolder), &info) || !info.dli_fname)
            return std::string(".");
        char resolved[PATH_MAX];
        std::string path = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
        size_t slash = path.rfind('/');
        return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
    }();
    return folder;
}

std::string ModuleFolder()
{
    {
        std::lock_guard<std::mutex> lock(Modules().mutex);
        if (!Modules().folderOverride.empty())
            return Modules().folderOverride;
    }
    if (const char* env = std::getenv("ZK_MODULE_DIR"); env && *env)
        return env;
    return ProgramFolder();
}

void SetModuleFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(Modules().mutex);
    Modules().folderOverride = folder;
}

std::string ModuleFileFor(const std::string& name)
{
    std::string folder;
    std::string base = name;
    size_t sep = name.find_last_of("/\\");
    if (sep != std::string::npos) {
        folder = name.substr(0, sep);
        for (char& c : folder)
            if (c == '\\')
                c = '/';
        base = name.substr(sep + 1);
    } else {
        folder = ModuleFolder();
    }
    if (EndsWithNoCase(base, ".so"))
        return folder + "/" + base;
    if (EndsWithNoCase(base, ".dll"))
        base.resize(base.size() - 4);
    return folder + "/lib" + base + ".so";
}

std::string LastModuleError()
{
    return t_lastError;
}

std::string ModulePath(HMODULE module)
{
    std::lock_guard<std::mutex> lock(Modules().mutex);
    Module* m = FindModule(module);
    return m ? m->path : std::string();
}

}  // namespace platform

using namespace platform;

extern "C" HMODULE LoadLibrary(const char* name)
{
    if (!name || !*name) {
        Fail(ERROR_INVALID_PARAMETER, "no library name");
        return nullptr;
    }
    std::string path = ModuleFileFor(name);
    if (!IsFile(path)) {
        size_t slash = path.rfind('/');
        std::string other = FindNoCase(path.substr(0, slash), path.substr(slash + 1));
        if (other.empty()) {
            Fail(ERROR_MOD_NOT_FOUND, std::string("library \"") + name + "\" not found: no file " + path);
            return nullptr;
        }
        path = other;
    }
    void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        const char* why = dlerror();
        Fail(ERROR_MOD_NOT_FOUND, std::string("library \"") + name + "\" cannot be loaded: " + (why ? why : path));
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(Modules().mutex);
    HMODULE found = nullptr;
    Modules().table.ForEach([&](uint32_t handle, Module& m) {
        if (m.dl == dl) {
            ++m.refs;
            found = detail::HandleFromNumber<HMODULE>(handle);
        }
    });
    if (found)
        return found;
    uint32_t handle = Modules().table.Add(Module{dl, path, 1});
    if (handle == 0) {
        dlclose(dl);
        Fail(ERROR_NOT_ENOUGH_MEMORY, "too many libraries loaded");
        return nullptr;
    }
    return detail::HandleFromNumber<HMODULE>(handle);
}

extern "C" FARPROC GetProcAddress(HMODULE module, const char* nameOrOrdinal)
{
    void* dl;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(Modules().mutex);
        Module* m = FindModule(module);
        if (!m) {
            Fail(ERROR_INVALID_HANDLE, "not a loaded library");
            return nullptr;
        }
        dl = m->dl;
        path = m->path;
    }
    if (!nameOrOrdinal) {
        Fail(ERROR_PROC_NOT_FOUND, "no entry name");
        return nullptr;
    }
    uintptr_t raw = reinterpret_cast<uintptr_t>(nameOrOrdinal);
    if (raw < 0x10000) {
        uint32_t ordinal = static_cast<uint32_t>(raw);
        void* sym = dlsym(dl, "zk_ordinal_table");
        if (!sym || !DefinedIn(dl, sym)) {
            Fail(ERROR_PROC_NOT_FOUND, path + " has no ordinal table");
            return nullptr;
        }
        const ZK_ORDINAL_ENTRY* rows = reinterpret_cast<ZK_ORDINAL_TABLE_FN>(sym)();
        if (!rows) {
            Fail(ERROR_PROC_NOT_FOUND, path + " has no ordinal table");
            return nullptr;
        }
        for (size_t i = 0; i < 0x10000 && rows[i].ordinal != 0; ++i)
            if (rows[i].ordinal == ordinal && rows[i].function)
                return rows[i].function;
        Fail(ERROR_PROC_NOT_FOUND, path + " exports no ordinal " + std::to_string(ordinal));
        return nullptr;
    }
    void* sym = dlsym(dl, nameOrOrdinal);
    if (!sym || !DefinedIn(dl, sym)) {
        Fail(ERROR_PROC_NOT_FOUND, path + " exports no entry \"" + nameOrOrdinal + "\"");
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(sym);
}

extern "C" BOOL FreeLibrary(HMODULE module)
{
    void* dl = nullptr;
    {
        std::lock_guard<std::mutex> lock(Modules().mutex);
        Module* m = FindModule(module);
        if (!m) {
            Fail(ERROR_INVALID_HANDLE, "not a loaded library");
            return FALSE;
        }
        dl = m->dl;
        if (--m->refs == 0)
            Modules().table.Remove(detail::HandleNumber(module));
    }
    dlclose(dl);
    return TRUE;
}
