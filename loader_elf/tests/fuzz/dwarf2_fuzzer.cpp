// The DWARF 2 unit pass (with its type, function and variable readers and
// the fix-up of type links after it) and the line programs over any image:
// the header and section passes as a load runs them, then the readers, with
// quinar taking what they give and building its indexes over it. Only asks "no
// crash, no read outside the buffer".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dwarf2_lines.h"
#include "dwarf2_types.h"
#include "dwarf2_units.h"
#include "fuzz_load.h"
#include "quinar/quinar.h"

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!StartFuzzLoad(data, size))
        return 0;
    ElfLoadState& s = State();

    uint32_t modules = 0;
    ReaderCall call{s.file, 1, (size & 1) ? 1u : 3u, &modules};
    if (s.notes[Noted::DebugInfo].present) {
        ReadDwarf2Units(call);
        FixDwarf2TypeLinks();
    }
    ReadDwarf2LineProgram(s.file, true, 1);
    SymEndLoad();
    return 0;
}
