// The debug-information readers and the order they run in.
//
// Each kind of reader is a slot of DebugReaders; a slot left empty is a
// reader that finds nothing (result 0). The library's own readers are
// listed in one place (DefaultReaders, reader_registry.cpp); tests may put
// others in their place and call ResetReaders afterwards.
//
// The slots are where the load that runs meets the readers: a slot takes
// what its reader needs from the load state (the open image file, the ELF
// image and its noted sections, the loader tables, the image directory and
// stamp, the compiler kind, the progress step and Esc poll) and hands it to
// the reader as its context (dwarf2_context.h, SymtabContext of
// elf_symtab.h, the frame table of debug_frame.h); the readers themselves
// read no process-wide state.
#pragma once

#include <cstdint>
#include <functional>

#include "image_file.h"
#include "ldr_types.h"

namespace tarnel {

// The arguments every unit reader gets: the open image, the load flag (1),
// the readers' kind word (1 or 3, see ElfLoadState::ReaderKind) and the
// module count of the load, to which it adds the modules it registered.
struct ReaderCall {
    ImageFile& file;
    uint32_t loadFlag;
    uint32_t kind;
    uint32_t* moduleCount;
};

using UnitReader = std::function<LdrResult(ReaderCall& call)>;
// The DWARF 1 pointer pass: (first new type index, pass 1 or 2).
using PointerPass = std::function<void(uint32_t firstTypeIndex, int pass)>;
// The line-table readers: (image, mode nonzero, 1).
using LineReader = std::function<LdrResult(ImageFile& file, bool mode, uint32_t one)>;
using FrameReader = std::function<LdrResult(ImageFile& file)>;
using ReaderStep = std::function<void()>;

struct DebugReaders {
    UnitReader dwarf1Units;      // .debug
    PointerPass dwarf1Pointers;  // after each DWARF unit pass
    UnitReader dwarf2Units;      // .debug_info
    UnitReader stabs;            // .stab
    UnitReader elfSymtab;        // .symtab, last: its result is the dispatch's
    ReaderStep sortThumbTables;  // at the end of the dispatch
    ReaderStep freeDwarf1Pending;
    LineReader dwarf1Lines;  // .line, after the dispatch
    LineReader dwarf2Lines;  // .debug_line
    FrameReader debugFrame;  // .debug_frame, after the symbols
    // What the readers keep for the loaded image (frame map, Thumb tables),
    // forgotten by ResetOnCloseELF.
    ReaderStep forgetImage;
};

DebugReaders DefaultReaders();
DebugReaders& Readers();
void ResetReaders();

// Runs the unit readers in their order over the image: DWARF 1, its pointer
// pass, DWARF 2, the pointer pass again, stabs, .symtab; sets up and tears
// down the per-dispatch tables. The result is the .symtab pass's, or that
// of quinar's SymAllocTypeIndex when it fails (then no reader runs).
// Unit readers that fail leave what they registered and the next one runs;
// one that ends with LDR_E_USER_ABORT (Esc) ends the dispatch with it.
LdrResult LoadDebugInfo(ImageFile& file, uint32_t loadFlag, uint32_t kind, uint16_t debugKind, uint32_t* moduleCount);

}  // namespace tarnel
