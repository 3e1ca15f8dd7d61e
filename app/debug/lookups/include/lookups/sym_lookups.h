// Look-ups over the loaded program's symbols for the text views and the
// debugger: which module holds a source file, the address range of a source
// line, and the module and source line of an address. They ask the symbol
// library (quinar); the module of a file falls back on the loaded-module
// list when the program installs a finder for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "emu_types.h"
#include "win_types.h"

namespace lookups {

// The module that holds a source file (file name without folder; a folder
// given is dropped at the last '\' or '/'), by its lower-case name in the
// symbol library, else through the loaded-module list. FALSE when none.
BOOL SymFindModuleOfFile(const char* fileName, int* module);

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

// The loaded-module list's answer for a lower-case file name (installed by
// the debugger core; none: only the symbol library is asked). Returns the
// previous finder.
using ModuleFinder = std::function<bool(const std::string& lowerName, int& module)>;
ModuleFinder SetLoadedModuleFinder(ModuleFinder finder);

}  // namespace lookups
