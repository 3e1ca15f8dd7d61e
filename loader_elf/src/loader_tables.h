// The keyed tables that the debug-information readers share: they translate
// the image's own numbering (entry offsets, stabs type numbers, references,
// names) into quinar's type indexes and keep what later readers and the
// exports need. One instance lives in the load state; LoadDebugInfo sets
// them up and tears them down around the readers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "source_paths.h"

namespace tarnel {

// A DWARF 2 type, function or variable entry made into a quinar type.
struct Dwarf2TypeEntry {
    uint32_t entryOffset = 0;
    uint32_t typeIndex = 0;
    std::string name;
};

// One abbreviation of a DWARF 2 unit: its attributes as (name, form) pairs
// in declaration order.
struct Dwarf2Abbrev {
    uint32_t code = 0;
    uint16_t tag = 0;
    uint32_t children = 0;
    std::vector<std::pair<uint16_t, uint16_t>> attributes;
};

// The code range of a class's member functions.
struct ClassRange {
    uint32_t low = 0;
    uint32_t high = 0;
};

// A global variable or external symbol handed to quinar by a reader, for
// the .symtab pass to complete.
struct NamedSymbol {
    uint32_t symbolHandle = 0;
    std::string name;
};

// A compile unit of the DWARF readers: its code range and module, for the
// line programs that run after the unit pass.
struct UnitRange {
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
    uint32_t module = 0;
    std::string name;  // freed after the line programs
};

struct ThumbRange {
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
};

// A type whose target (pointer, reference) or base (typedef) is a DWARF 2
// entry not mapped when the type was made; the fix-up after the unit pass
// puts the entry's type in its place.
struct PendingTypeLink {
    uint32_t typeIndex = 0;
    uint32_t entryOffset = 0;
    bool isBase = false;  // a typedef's base, else a pointer or reference target
};

struct LoaderTables {
    // DWARF 2 entry offset -> type; LookUpDwarf2Type gives 0 when absent.
    std::unordered_map<uint32_t, Dwarf2TypeEntry> dwarf2Types;
    std::vector<PendingTypeLink> dwarf2PendingLinks;
    // Abbreviation code -> abbreviation of the current unit.
    std::unordered_map<uint32_t, Dwarf2Abbrev> dwarf2Abbrevs;
    // Class name -> range of its functions; outlives the load.
    std::map<std::string, ClassRange> classRanges;
    // Module handle -> its source file; outlives the load.
    std::unordered_map<uint32_t, SourceFileRecord> sourceFiles;
    // Names of global variables and external symbols; a name added again
    // replaces the older record.
    std::unordered_map<std::string, NamedSymbol> globalNames;
    std::unordered_map<std::string, NamedSymbol> externalVariables;
    // Member function name -> qualified name.
    std::unordered_map<std::string, std::string> memberNames;
    // (stabs file number, type number) -> quinar type index.
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> stabsTypes;
    // DWARF 1 reference (minus the .debug address) -> type index.
    std::unordered_map<uint32_t, uint32_t> dwarf1Types;

    std::vector<UnitRange> units;
    // .debug_line offset of a DWARF 2 unit's line program (DW_AT_stmt_list)
    // -> the row of `units` that holds the unit's module.
    std::unordered_map<uint32_t, uint32_t> dwarf2LineUnits;
    std::vector<ThumbRange> dwarf1ThumbRanges;

    uint32_t LookUpDwarf2Type(uint32_t entryOffset) const;
    const Dwarf2Abbrev* LookUpAbbrev(uint32_t code) const;
    // -1 (as the type index) when the pair is not known.
    uint32_t LookUpStabsType(uint32_t fileNumber, uint32_t typeNumber) const;
    // found: the stored index; not found: the reference itself.
    void LookUpDwarf1Type(uint32_t reference, uint32_t* index, bool* found) const;
    const SourceFileRecord* SourceFile(uint32_t module) const;
    // {0, 0} for a class not known.
    ClassRange ClassRangeOf(const std::string& className) const;

    void AddSourceFile(SourceFileRecord record);
    void FreeUnitNames();
    // Everything that lives for one dispatch or one open image, not the
    // tables that outlive the load (source files, class ranges).
    void ClearPerLoad();
};

}  // namespace tarnel
