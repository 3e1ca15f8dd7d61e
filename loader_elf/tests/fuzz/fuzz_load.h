// The start of a load over an image held in memory, as the debug readers'
// fuzz targets need it: the header and section passes as a load runs them,
// with the per-load tables and quinar emptied first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "elf_reader.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "section_pass.h"

namespace tarnel {

// False when the bytes are no ELF image whose sections can be noted.
inline bool StartFuzzLoad(const uint8_t* data, size_t size)
{
    ElfLoadState& s = State();
    s.file.Assign(std::vector<uint8_t>(data, data + size), "fuzz.elf");
    ElfHeader header;
    ImageFormat format;
    if (DetectImageFormat(s.file.Bytes(), header, format) != LDR_OK || format != ImageFormat::Elf)
        return false;
    if (ReadElfImage(s.file.Bytes(), s.image) != LDR_OK)
        return false;
    s.bigEndian = header.BigEndian();
    s.imagePath = "fuzz.elf";
    s.messages.clear();
    s.compilerKind = COMPILER_NONE;
    s.tables.ClearPerLoad();
    s.tables.units.clear();
    s.tables.dwarf1ThumbRanges.clear();
    SymClearSymbolTables(0);
    StackNote stack;
    return NoteSections(s.file, s.image, true, s.notes, stack) == LDR_OK;
}

}  // namespace tarnel
