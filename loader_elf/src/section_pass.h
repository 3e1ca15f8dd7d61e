// The second half of the section header pass: what tarnel notes while it
// walks the section table (where the debug-information sections lie, the
// stack) and the sections it hands to quinar.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "image_file.h"
#include "ldr_types.h"
#include "tarnel/elf_image.h"

namespace tarnel {

// The sections the readers need, by name.
enum class Noted : uint8_t {
    Debug,  // DWARF 1 entries
    DebugInfo,
    DebugAbbrev,
    Line,  // DWARF 1 lines
    DebugLine,
    Symtab,
    Strtab,
    Stab,
    Stabstr,
    DebugSfnames,
    DebugSrcinfo,
    DebugFrame,
    DebugStr,  // DW_FORM_strp strings of current compilers
    Count,
};
inline constexpr size_t NOTED_COUNT = static_cast<size_t>(Noted::Count);
std::string_view NotedName(Noted which);

struct NotedSection {
    bool present = false;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t address = 0;  // the DWARF readers subtract it from references
};

inline constexpr uint16_t DEBUG_KIND_NONE = 0xFF;
inline constexpr uint16_t DEBUG_KIND_DWARF1 = 1;
inline constexpr uint16_t DEBUG_KIND_DWARF2 = 2;

struct StackNote {
    uint32_t base = 0;
    uint32_t size = 0;
    bool found = false;
};

struct SectionNotes {
    std::array<NotedSection, NOTED_COUNT> sections{};
    uint16_t debugKind = DEBUG_KIND_NONE;  // the later of .debug and .debug_info wins

    const NotedSection& operator[](Noted which) const { return sections[static_cast<size_t>(which)]; }
    NotedSection& operator[](Noted which) { return sections[static_cast<size_t>(which)]; }
    // Forgets the noted sections.
    void Clear();
};

// Notes the sections of `image` and the stack; with symbols wanted, hands
// every section with an address (and ".text") to quinar. The stack comes
// from "stack" or ".stack", else ".bss", else (DWARF 1 images) from the
// symbols __SP_INIT and __SP_END. 0 or LDR_E_NO_SECTION.
LdrResult NoteSections(const ImageFile& file, const ElfImage& image, bool symbolsWanted, SectionNotes& notes,
                       StackNote& stack);

// The stack between the values of __SP_INIT and __SP_END; both must be
// defined. The symbol and string tables are cut at the file's end.
void FindStackSymbols(const ImageFile& file, bool bigEndian, const NotedSection& symtab, const NotedSection& strtab,
                      StackNote& stack);

// The first section whose name equals `name` without regard to case.
LdrResult FindSectionByName(const ElfImage& image, std::string_view name, uint32_t* index);

}  // namespace tarnel
