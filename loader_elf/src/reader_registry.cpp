// The debug-information readers of this library, one slot each.
#include "debug_dispatch.h"
#include "dwarf2_lines.h"
#include "dwarf2_units.h"

namespace tarnel {

DebugReaders DefaultReaders()
{
    DebugReaders readers;
    readers.dwarf2Units = ReadDwarf2Units;
    readers.dwarf2Lines = ReadDwarf2LineProgram;
    return readers;
}

}  // namespace tarnel
