// A stand-in for the DWARF unit readers in their dispatch slot: it sets the
// compiler kind and registers a unit's module, functions and variables by
// name, as the readers do, so that the .symtab pass and the frame reader
// find them. The functions get no range and the variables no size: the
// .symtab pass gives them theirs.
#pragma once

#include <string>
#include <vector>

#include "debug_dispatch.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "tool_listings.h"

namespace tarnel::test {

struct StandInUnit {
    std::string path;                    // the unit's name as the compiler gives it
    std::vector<ReadelfSymbol> symbols;  // its FUNC and OBJECT symbols are registered
};

inline UnitReader StandInReader(CompilerKind kind, std::vector<StandInUnit> units = {})
{
    return [kind, units](ReaderCall& call) -> LdrResult {
        ElfLoadState& s = State();
        s.compilerKind = kind;
        for (const StandInUnit& unit : units) {
            uint32_t module = 0;
            const SymModuleDesc noRange{1, 0xFFFFFFFF, 0};
            if (SymOpenModule(unit.path.c_str(), &s.stamp, &noRange, 0, call.kind, 0, &module, 0) != SYM_OK)
                return LDR_E_MODULE;
            s.tables.units.push_back({0, 0, module, unit.path});
            for (const ReadelfSymbol& sym : unit.symbols) {
                uint32_t handle = 0;
                if (sym.type == "FUNC" && sym.size != 0) {
                    SymAddPublicSymbol(sym.name.c_str(), 0, 0, &noRange, 0);
                    SymEndSymbolBlock();
                    SymLookupNamedSymbol(module, sym.name.c_str(), &handle);
                    s.tables.globalNames[sym.name] = {handle, sym.name};
                } else if (sym.type == "OBJECT") {
                    const uint32_t location[3] = {0, sym.value, 0};
                    SymAddVariable(sym.name.c_str(), 0, SYM_STORAGE_EXTERNAL, 0, location, 0, 1, &handle);
                    s.tables.externalVariables[sym.name] = {handle, sym.name};
                }
            }
            SymCloseModule(0);
            ++*call.moduleCount;
        }
        return LDR_OK;
    };
}

}  // namespace tarnel::test
