// Libraries loaded by the names the system gives them, and the ordinal
// tables of libraries that are bound by ordinal.
//
// LoadLibrary("Dorvel.dll"), LoadLibrary("fendrix") and the like map to
// lib<Name>.so (the name as given, ".dll" in any case stripped) in the module
// folder: the program's folder (where libplatform.so lies) unless
// $ZK_MODULE_DIR or SetModuleFolder names another one. A name with a folder
// part is looked for in that folder; a name ending in ".so" is taken as the
// file name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"

// One row of a library's ordinal table: GetProcAddress(module,
// MAKEINTRESOURCE-style ordinal) finds `function` by `ordinal`. The table
// itself has internal linkage in each library (several libraries loaded into
// one program each have one, and no two globals may share a name); the
// library exports the C function zk_ordinal_table, which returns the table's
// first row. The table ends with a row whose ordinal is 0.
struct ZK_ORDINAL_ENTRY {
    uint32_t ordinal;
    FARPROC function;
};

// The exported accessor's type.
using ZK_ORDINAL_TABLE_FN = const ZK_ORDINAL_ENTRY* (*)();

// In the exporting library:
//   ZK_ORDINAL_TABLE_BEGIN
//     ZK_ORDINAL(1, EmuRun)
//     ZK_ORDINAL(2, EmuStep)
//   ZK_ORDINAL_TABLE_END
#define ZK_ORDINAL_TABLE_BEGIN                                                                                         \
    namespace {                                                                                                        \
    const ZK_ORDINAL_ENTRY zk_ordinal_rows[] = {
#define ZK_ORDINAL(n, fn) {n, reinterpret_cast<FARPROC>(&fn)},
#define ZK_ORDINAL_TABLE_END                                                                                           \
    {                                                                                                                  \
        0, nullptr                                                                                                     \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) const ZK_ORDINAL_ENTRY* zk_ordinal_table()                       \
    {                                                                                                                  \
        return zk_ordinal_rows;                                                                                        \
    }

namespace platform {

// The program's folder: the directory of libplatform.so (build/bin).
std::string ProgramFolder();
// Where LoadLibrary looks: SetModuleFolder's folder, else $ZK_MODULE_DIR,
// else the program's folder.
std::string ModuleFolder();
// Test override; an empty path goes back to the default.
void SetModuleFolder(const std::string& folder);
// The file that LoadLibrary(name) opens (no check that it exists).
std::string ModuleFileFor(const std::string& name);
// Why the calling thread's last LoadLibrary or GetProcAddress failed.
std::string LastModuleError();
// The path a loaded module came from, empty for a bad handle.
std::string ModulePath(HMODULE module);

// An ordinal as GetProcAddress takes it.
inline const char* OrdinalName(uint32_t ordinal)
{
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(ordinal & 0xFFFF));
}

}  // namespace platform
