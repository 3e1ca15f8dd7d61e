// The read context of the DWARF 2 readers: everything a reader uses besides
// the bytes of its unit. It is made for one pass over .debug_info or
// .debug_line and handed down through the unit (Dwarf2Unit::context); the
// readers reach nothing process-wide.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "dwarf2_entries.h"
#include "dwarf2_pass_state.h"
#include "dwarf2_quinar.h"
#include "dwarf2_unit.h"
#include "ldr_types.h"
#include "loader_tables.h"
#include "read_errors.h"
#include "section_pass.h"
#include "tarnel/elf_image.h"

namespace tarnel {

struct Dwarf2ReadContext {
    // The image: its section records, the noted debug sections, byte order
    // and folder (where relative source paths start).
    const ElfImage& image;
    const SectionNotes& notes;
    bool bigEndian = false;
    std::string_view imageDirectory;

    // The keyed tables the readers share (type map, units, abbreviations).
    LoaderTables& tables;
    // Where the records go.
    QuinarRecords& records;
    // Damage the readers step past.
    const ReadErrors& errors;
    // The readers of top-level entries.
    const Dwarf2EntryReaders& entryReaders;
    // At each compile unit, with the file position of its entries: keeps
    // the windows alive and moves the progress bar; true when the user
    // asked to stop (Esc).
    std::function<bool(uint64_t position)> unitReached;

    // In: the image's compiler kind so far; out: the kind the units' producers
    // gave (an assembler's or unknown producer leaves it).
    CompilerKind compilerKind = COMPILER_NONE;
    // Functions and line rows handed to the store.
    uint32_t functions = 0;
    uint32_t lineRows = 0;

    // What the entry readers keep while the pass runs.
    Dwarf2PassState pass;
};

inline Dwarf2ReadContext& Context(const Dwarf2Unit& unit)
{
    return *unit.context;
}

}  // namespace tarnel
