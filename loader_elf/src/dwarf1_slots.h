// The DWARF 1 reader slots of the dispatch (debug_dispatch.h): the units of
// ".debug", the pass after them that completes type targets, the end of
// the dispatch, and the line tables of ".line".
#pragma once

#include <cstdint>

#include "debug_dispatch.h"
#include "image_file.h"
#include "ldr_types.h"

namespace tarnel {

LdrResult ReadDwarf1Units(ReaderCall& call);
// (first type index of the load, pass 1 after the DWARF 1 units or 2).
void FixDwarf1Pointers(uint32_t firstTypeIndex, int pass);
void FreeDwarf1Pending();
LdrResult ReadDwarf1Lines(ImageFile& file, bool mode, uint32_t one);

}  // namespace tarnel
