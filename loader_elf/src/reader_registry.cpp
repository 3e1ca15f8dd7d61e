// The debug-information readers of this library, one slot each. The slots
// that read the load that runs make the readers' contexts from it.
#include "code_ranges.h"
#include "debug_dispatch.h"
#include "debug_frame.h"
#include "dwarf1_slots.h"
#include "dwarf2_lines.h"
#include "dwarf2_types.h"
#include "dwarf2_units.h"
#include "elf_symtab.h"
#include "load_state.h"
#include "progress.h"
#include "stabs_reader.h"

namespace tarnel {

LdrResult ReadElfSymtab(ReaderCall& call)
{
    ElfLoadState& s = State();
    SymtabContext cx{s.image, s.notes,  s.bigEndian,        s.compilerKind,
                     s.stamp, s.tables, LoadedCodeRanges(), SharedModuleState(),
                     {},      {}};
    cx.batchRead = [&s](uint64_t position) {
        s.record.filePosition = position;
        if (PollUserAbort())
            return true;
        ReportLoadProgress();
        return false;
    };
    cx.tableRead = [&s](uint64_t position) { s.record.filePosition = position; };
    return ReadSymtabPass(call, cx);
}

DebugReaders DefaultReaders()
{
    DebugReaders readers;
    readers.elfSymtab = ReadElfSymtab;
    readers.sortThumbTables = SortThumbTables;
    // The section of the load that runs, into the loaded image's frame table.
    readers.debugFrame = [](ImageFile& file) {
        const ElfLoadState& s = State();
        return ReadDebugFrame(file, s.notes[Noted::DebugFrame], s.bigEndian, LoadedFrames());
    };
    readers.forgetImage = [] {
        LoadedCodeRanges().Clear();
        LoadedFrames().Clear();
    };
    readers.dwarf2Units = ReadDwarf2Units;
    readers.stabs = ReadStabs;
    readers.dwarf2Lines = ReadDwarf2LineProgram;
    // After the DWARF 2 units (pass 2); pass 1, after DWARF 1 units, is the
    // DWARF 1 reader's.
    readers.dwarf1Units = ReadDwarf1Units;
    readers.dwarf1Lines = ReadDwarf1Lines;
    readers.freeDwarf1Pending = FreeDwarf1Pending;
    readers.dwarf1Pointers = [](uint32_t first, int pass) {
        if (pass == 2)
            FixDwarf2TypeLinks();
        else
            FixDwarf1Pointers(first, pass);
    };
    return readers;
}

}  // namespace tarnel
