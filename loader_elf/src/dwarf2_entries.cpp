#include "dwarf2_entries.h"

#include "dwarf2_constants.h"

namespace tarnel {

Dwarf2EntryReaders DefaultDwarf2EntryReaders()
{
    // Types, functions and variables are not read yet: their entries are
    // stepped over by form.
    return Dwarf2EntryReaders{};
}

Dwarf2EntryReaders& Dwarf2Entries()
{
    static Dwarf2EntryReaders readers = DefaultDwarf2EntryReaders();
    return readers;
}

void ResetDwarf2Entries() { Dwarf2Entries() = DefaultDwarf2EntryReaders(); }

const Dwarf2EntryReader* EntryReaderFor(const Dwarf2EntryReaders& r, uint16_t tag)
{
    const Dwarf2EntryReader* slot = nullptr;
    switch (tag) {
    case DW_TAG_array_type:
    case DW_TAG_class_type:
    case DW_TAG_enumeration_type:
    case DW_TAG_structure_type:
    case DW_TAG_subroutine_type:
    case DW_TAG_typedef:
    case DW_TAG_union_type:
    case DW_TAG_pointer_type:
    case DW_TAG_reference_type:
    case DW_TAG_base_type:
    case DW_TAG_const_type:
    case DW_TAG_volatile_type: slot = &r.type; break;
    case DW_TAG_subprogram:
    case DW_TAG_inlined_subroutine: slot = &r.subprogram; break;
    case DW_TAG_variable: slot = &r.variable; break;
    case DW_TAG_label: slot = &r.label; break;
    case DW_TAG_lexical_block: slot = &r.lexicalBlock; break;
    default: break;
    }
    return slot && *slot ? slot : nullptr;
}

}  // namespace tarnel
