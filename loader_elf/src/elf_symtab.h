// The .symtab pass: the last reader of the dispatch. It hands quinar the
// plain labels of the image, the ranges of the functions and variables that
// the debug-information readers registered by name, and reopens their
// modules at FILE symbols; it fills the code-range tables (code_ranges.h)
// and the class ranges.
#pragma once

#include <cstdint>
#include <functional>

#include "code_ranges.h"
#include "debug_dispatch.h"
#include "loader_tables.h"
#include "section_pass.h"
#include "tarnel/elf_image.h"

namespace tarnel {

// What the symbol pass shares with the stabs reader: the module and the
// function (symbol block) that reader may have left open.
struct OpenModuleState {
    bool moduleOpen = false;
    bool symbolBlockOpen = false;
    uint32_t module = 0;
};
OpenModuleState& SharedModuleState();

// What the .symtab pass reads besides its bytes, and where its findings go.
struct SymtabContext {
    const ElfImage& image;
    const SectionNotes& notes;
    bool bigEndian = false;
    CompilerKind compilerKind = COMPILER_NONE;  // the ARM tools' images carry mapping symbols of their own
    const ImageStamp& stamp;
    LoaderTables& tables;
    CodeRanges& ranges;     // the code-range tables of the queries
    OpenModuleState& open;  // shared with the stabs reader
    // Every PROGRESS_BATCH entries, with the file position reached: keeps
    // the windows alive, moves the bar; true when the user asked to stop.
    std::function<bool(uint64_t position)> batchRead;
    // At the end of the table, with the file position after it.
    std::function<void(uint64_t position)> tableRead;
};

// 0, LDR_E_SYMBOL_CALL (a symbol block could not be ended), LDR_E_USER_ABORT,
// or the store's result of reopening a module.
LdrResult ReadSymtabPass(ReaderCall& call, SymtabContext& cx);
// The elfSymtab reader slot: the pass over the load that runs
// (reader_registry.cpp).
LdrResult ReadElfSymtab(ReaderCall& call);
// After the dispatch: the code-range tables sorted for the queries.
void SortThumbTables();

}  // namespace tarnel
