// Look-ups over the loaded program's symbols for the text views and the
// debugger: which module holds a source file, the address range of a source
// line, the module and source line of an address, a module's source name
// and file, and the Set/Clear Breakpoint toggle at an address. They ask the
// symbol library (quinar) and the debugger core library (sarvik); the
// loaded-module list and the program's state reach them through the links
// the program installs (`SetProgramLinks`).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "emu_types.h"
#include "win_types.h"

namespace lookups {

// The module that holds a source file (file name without folder; a folder
// given is dropped at the last '\' or '/'), by its lower-case name in the
// symbol library, else through the loaded-module list. FALSE when none.
BOOL SymFindModuleOfFile(const char* fileName, int* module);

// The code range of a one-based line of a source file (a folder given is
// dropped at the last '\' or '/', the name taken in any case): the modules
// of that name are asked in the symbol library's order and the first whose
// line has code gives it (space 1). FALSE when no module of that name has
// code on the line.
BOOL SymFileLineToAddrRange(int line, ADDR* start, ADDR* end, const char* file);

// The source file name of a module (a module or source key): the symbol
// library's name, else the name of the loaded-module list's record of that
// handle. Empty and FALSE when neither knows it.
BOOL SymGetModuleSourceName(int module, std::string& name);

// The full path of an existing source file: the path the loader resolved
// for it (the loaded-module list's resolved path, else the loader's), else
// the name itself when it names an existing file, else the file of that name
// in the source folders. FALSE when no existing file is known.
BOOL FindSourceFilePath(const char* fileName, std::string& fullPath);

// Set/Clear Breakpoint at an address; hwUnit 0 software, 2 hardware. While
// the target runs: message 32773 (caption 32769), nothing else. While an
// image load or memory download runs: nothing. A breakpoint at the address
// is cleared; when there is none, or the clear failed, one is set (empty
// condition, count 1, enabled). Then the main window gets
// WM_EMU_UPDATE_VIEWS (12, address offset).
void ToggleBreakpointAtAddr(ADDR address, int hwUnit);

// The code range of a one-based line of a module, both addresses in space 1.
// With keepLine set, a line without code answers TRUE with start = {line, 0}
// and end = {module, 0} (the source position that breakpoints on lines
// without code use); otherwise TRUE exactly when the line has code.
BOOL SymGetLineAddrRange(int line, ADDR* start, ADDR* end, int module, BOOL keepLine);

// The module word of an address: *module = the low 16 bits of the position
// word (the address's source line), *a = *b = -1, TRUE. On failure all three
// are -1, FALSE. Lines past 65,535 don't fit: `LineOfAddr` gives the whole one.
BOOL SymGetModuleOfAddr(const ADDR* address, int* module, int* a, int* b);

// The module handle and the whole one-based source line of a code address
// (line 0: the module holds the address but no line does). False when no
// module holds it.
bool LineOfAddr(std::uint32_t address, std::uint32_t& module, std::uint32_t& line);

// The loaded-module list's answer for a lower-case file name (none: only the
// symbol library is asked).
using ModuleFinder = std::function<bool(const std::string& lowerName, int& module)>;

// What the look-ups ask of the program beside the symbol and debugger
// libraries; the program installs them once it has the loaded-module list
// and its main window. Each link may be empty.
struct ProgramLinks {
    ModuleFinder moduleOfFile;
    // The loaded-module list's name of a module handle.
    std::function<bool(int module, std::string& name)> moduleName;
    // The loaded-module list's resolved path of a source file name.
    std::function<bool(const std::string& fileName, std::string& path)> resolvedPath;
    // An image load or a memory download runs (the application's loading flag).
    std::function<bool()> transferBusy;
    // The window that gets WM_EMU_UPDATE_VIEWS (empty: the application's
    // main window).
    std::function<HWND()> mainWindow;
    // The folders a source file is looked for in, in order (the source
    // directory list, the project's and the image's folders).
    std::function<std::vector<std::string>()> sourceFolders;
};
// Installs the links; returns the previous ones.
ProgramLinks SetProgramLinks(ProgramLinks links);
// Installs only the module finder; returns the previous one.
ModuleFinder SetLoadedModuleFinder(ModuleFinder finder);

}  // namespace lookups
