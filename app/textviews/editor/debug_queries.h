// What the source editor's debugging commands and data tips ask of the
// loaded program and the debugger: function and variable names, address
// ranges, values as text, the source line of an address and the breakpoint
// toggle. `RealDebugQueries()` answers from the symbol library (quinar), the
// address texts (dolmer), the loader (Quentor) and the debugger look-ups;
// tests put in their own answers to reach the failures (a lost target, a
// value that cannot be read).
#pragma once

#include <cstdint>
#include <string>

#include "emu_types.h"

namespace editor {

class DebugQueries {
public:
    virtual ~DebugQueries() = default;
    // `LdrIsSymbolLoaded`: a symbol table is loaded.
    virtual bool IsSymbolLoaded() = 0;
    // `SymCheckFunctionName`: 0 when the name ("#" in front) is a function.
    virtual int CheckFunctionName(const std::string& name) = 0;
    // `SrcGetFuncRange`: 0 with the function's first and last address.
    virtual int GetFuncRange(const std::string& name, ADDR& start, ADDR& end) = 0;
    // `SymCheckVariableAtLine`: 0 a variable known at the one-based line,
    // -27 the target connection is lost, anything else no.
    virtual int CheckVariableAtLine(const std::string& word, int line) = 0;
    // `SymFindModuleOfFile`: the module of a file name (without folder).
    virtual bool FindModuleOfFile(const std::string& fileName, int& module) = 0;
    // `SymGetVariableValueText`: 0 with the value as text.
    virtual int GetVariableValueText(int module, int line, const std::string& name, std::string& text) = 0;
    // `SymAddrToSourceLine`: the module and one-based line of a code address
    // (line 0: no source line).
    virtual bool AddrToSourceLine(std::uint32_t address, std::uint32_t& module, std::uint32_t& line) = 0;
    // `AdrAddrToHex`: false for an address that has no text.
    virtual bool AddrToHex(ADDR address, std::string& text) = 0;
    // `SymFileLineToAddrRange`: false when the line of that file has no code.
    virtual bool FileLineToAddrRange(int line, ADDR& start, ADDR& end, const std::string& fileName) = 0;
    // `ToggleBreakpointAtAddr` with the unit (0 software, 2 hardware).
    virtual void ToggleBreakpointAtAddr(ADDR address, int unit) = 0;
    // The existing file of a module's source (`SymGetModuleSourceName`, then
    // `FindSourceFilePath`); empty when there is none.
    virtual std::string ModuleSourcePath(std::uint32_t module) = 0;
};

// The libraries' answers (one object for the process).
DebugQueries& RealDebugQueries();

}  // namespace editor
