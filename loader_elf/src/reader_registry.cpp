// The debug-information readers of this library, one slot each.
#include "code_ranges.h"
#include "debug_dispatch.h"
#include "debug_frame.h"
#include "dwarf2_lines.h"
#include "dwarf2_types.h"
#include "dwarf2_units.h"
#include "elf_symtab.h"

namespace tarnel {

DebugReaders DefaultReaders()
{
    DebugReaders readers;
    readers.elfSymtab = ReadElfSymtab;
    readers.sortThumbTables = SortThumbTables;
    readers.debugFrame = ReadDebugFrame;
    readers.forgetImage = [] {
        LoadedCodeRanges().Clear();
        LoadedFrames().Clear();
    };
    readers.dwarf2Units = ReadDwarf2Units;
    readers.dwarf2Lines = ReadDwarf2LineProgram;
    // After the DWARF 2 units (pass 2); pass 1, after DWARF 1 units, is the
    // DWARF 1 reader's.
    readers.dwarf1Pointers = [](uint32_t, int pass) {
        if (pass == 2)
            FixDwarf2TypeLinks();
    };
    return readers;
}

}  // namespace tarnel
