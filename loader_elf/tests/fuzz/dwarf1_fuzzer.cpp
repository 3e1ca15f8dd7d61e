// The DWARF 1 unit pass (with its type, function and variable readers and
// the completion of type targets after it) and the line tables over any
// image held in memory: the header and section passes as a load runs them,
// then the readers, with quinar taking what they give. Only asks "no
// crash, no read outside the buffer, no endless walk".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dwarf1_slots.h"
#include "elf_reader.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "section_pass.h"

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ElfLoadState& s = State();
    s.file.Assign(std::vector<uint8_t>(data, data + size), "fuzz.elf");
    ElfHeader header;
    ImageFormat format;
    if (DetectImageFormat(s.file.Bytes(), header, format) != LDR_OK || format != ImageFormat::Elf)
        return 0;
    if (ReadElfImage(s.file.Bytes(), s.image) != LDR_OK)
        return 0;
    s.bigEndian = header.BigEndian();
    s.imagePath = "fuzz.elf";
    s.messages.clear();
    s.compilerKind = COMPILER_NONE;
    s.tables.ClearPerLoad();
    s.tables.units.clear();
    s.tables.dwarf1ThumbRanges.clear();
    SymClearSymbolTables(0);
    StackNote stack;
    if (NoteSections(s.file, s.image, true, s.notes, stack) != LDR_OK)
        return 0;

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
