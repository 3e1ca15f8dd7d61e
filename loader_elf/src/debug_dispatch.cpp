#include "debug_dispatch.h"

#include "load_state.h"
#include "quinar/symbol_store.h"

namespace tarnel {
namespace {

LdrResult Run(const UnitReader& reader, ReaderCall& call)
{
    return reader ? reader(call) : LDR_OK;
}

void Run(const ReaderStep& step)
{
    if (step)
        step();
}

}  // namespace

DebugReaders& Readers()
{
    static DebugReaders readers = DefaultReaders();
    return readers;
}

void ResetReaders()
{
    Readers() = DefaultReaders();
}

LdrResult LoadDebugInfo(ImageFile& file, uint32_t loadFlag, uint32_t kind, uint16_t, uint32_t* moduleCount)
{
    ElfLoadState& s = State();
    LoaderTables& t = s.tables;
    const DebugReaders& readers = Readers();
    ReaderCall call{file, loadFlag, kind, moduleCount};

    s.compilerKind = COMPILER_NONE;
    t.dwarf1ThumbRanges.clear();
    t.units.clear();
    quinar::SymbolStore& store = quinar::Symbols();
    store.ClearClassTypes();
    store.ClearFunctionNames();
    t.globalNames.clear();
    t.externalVariables.clear();
    t.sourceFiles.clear();

    const quinar::Result<uint32_t> highest = store.HighestTypeIndex();
    if (!highest)
        return static_cast<LdrResult>(highest.status);
    const uint32_t firstTypeIndex = *highest + 1;

    // Esc in a unit reader ends the dispatch, and with it the load.
    bool escaped = false;
    auto units = [&](const UnitReader& reader) { escaped = Run(reader, call) == LDR_E_USER_ABORT; };
    if (s.notes[Noted::Debug].present)
        units(readers.dwarf1Units);
    if (!escaped && readers.dwarf1Pointers)
        readers.dwarf1Pointers(firstTypeIndex, 1);
    if (!escaped && s.notes[Noted::DebugInfo].present)
        units(readers.dwarf2Units);
    if (!escaped && readers.dwarf1Pointers)
        readers.dwarf1Pointers(firstTypeIndex, 2);
    if (!escaped)
        units(readers.stabs);
    const LdrResult result = escaped ? LDR_E_USER_ABORT : Run(readers.elfSymtab, call);

    t.dwarf2Types.clear();
    t.globalNames.clear();
    t.externalVariables.clear();
    t.memberNames.clear();
    Run(readers.sortThumbTables);
    Run(readers.freeDwarf1Pending);
    return result;
}

}  // namespace tarnel
