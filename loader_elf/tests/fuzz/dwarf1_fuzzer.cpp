// The DWARF 1 unit pass (with its type, function and variable readers and
// the completion of type targets after it) and the line tables over any
// image held in memory: the header and section passes as a load runs them,
// then the readers, with quinar taking what they give. Only asks "no
// crash, no read outside the buffer, no endless walk".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dwarf1_slots.h"
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
    if (s.notes[Noted::Debug].present) {
        ReadDwarf1Units(call);
        FixDwarf1Pointers(0, 1);
    }
    ReadDwarf1Lines(s.file, (size & 1) != 0, 1);
    FreeDwarf1Pending();
    SymEndLoad();
    return 0;
}
