// The .symtab pass: the last reader of the dispatch. It hands quinar the
// plain labels of the image, the ranges of the functions and variables that
// the debug-information readers registered by name, and reopens their
// modules at FILE symbols; it fills the code-range tables (code_ranges.h)
// and the class ranges.
#pragma once

#include <cstdint>

#include "debug_dispatch.h"

namespace tarnel {

// What the symbol pass shares with the stabs reader: the module and the
// function (symbol block) that reader may have left open.
struct OpenModuleState {
    bool moduleOpen = false;
    bool symbolBlockOpen = false;
    uint32_t module = 0;
};
OpenModuleState& SharedModuleState();

// 0, LDR_E_SYMBOL_CALL (a symbol block could not be ended), LDR_E_USER_ABORT,
// or the result of quinar's SymAddModuleOpenByDescNew.
LdrResult ReadElfSymtab(ReaderCall& call);
// After the dispatch: the code-range tables sorted for the queries.
void SortThumbTables();

}  // namespace tarnel
