// The header and section passes over any bytes: the format check, the
// program and section tables with their names, the notes of the section
// pass (quinar's sections, the stack symbols), cursors over every noted
// section, and the download's reads driven by the damaged tables. Only
// asks "no crash, no read outside the buffer".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "download.h"
#include "elf_reader.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "section_pass.h"

using namespace tarnel;

namespace {

int NoWrite(ADDR, const void*, uint32_t, int)
{
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageFile file;
    file.Assign(std::vector<uint8_t>(data, data + size), "fuzz.elf");
    ElfHeader header;
    ImageFormat format;
    if (DetectImageFormat(file.Bytes(), header, format) != LDR_OK || format != ImageFormat::Elf)
        return 0;

    ElfLoadState& s = State();
    if (ReadElfImage(file.Bytes(), s.image) != LDR_OK)
        return 0;
    SymClearSymbolTables(0);
    StackNote stack;
    NoteSections(file, s.image, true, s.notes, stack);
    for (const NotedSection& noted : s.notes.sections) {
        if (!noted.present)
            continue;
        ByteCursor c = file.Cursor(noted.offset, noted.size, header.BigEndian(), "noted");
        while (c.Ok() && !c.AtEnd()) {
            c.ULeb128();
            c.CString();
            c.U32();
        }
    }
    uint64_t loaded = 0;
    DownloadSegments(file, &loaded, NoWrite);
    DownloadSections(file, LOAD_DATA | LOAD_RODATA, NoWrite);
    return 0;
}
