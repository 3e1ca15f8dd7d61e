#include "dwarf2_entries.h"

#include "dwarf2_constants.h"
#include "dwarf2_functions.h"
#include "dwarf2_types.h"

namespace tarnel {

Dwarf2EntryReaders DefaultDwarf2EntryReaders()
{
    Dwarf2EntryReaders readers;
    readers.type = ReadDwarf2TypeEntry;
    readers.subprogram = ReadDwarf2Subprogram;
    readers.variable = ReadDwarf2Variable;
    readers.label = ReadDwarf2Label;
    readers.lexicalBlock = ReadDwarf2LexicalBlock;
    return readers;
}

Dwarf2EntryReaders& Dwarf2Entries()
{
    static Dwarf2EntryReaders readers = DefaultDwarf2EntryReaders();
    return readers;
}

void ResetDwarf2Entries()
{
    Dwarf2Entries() = DefaultDwarf2EntryReaders();
}

const Dwarf2EntryReader* EntryReaderFor(const Dwarf2EntryReaders& r, uint16_t tag)
{
    const Dwarf2EntryReader* slot = nullptr;
    switch (tag) {
    case DW_TAG_subprogram:
    case DW_TAG_inlined_subroutine: slot = &r.subprogram; break;
    case DW_TAG_variable: slot = &r.variable; break;
    case DW_TAG_label: slot = &r.label; break;
    case DW_TAG_lexical_block: slot = &r.lexicalBlock; break;
    default:
        if (IsTypeTag(tag))
            slot = &r.type;
        break;
    }
    return slot && *slot ? slot : nullptr;
}

}  // namespace tarnel
