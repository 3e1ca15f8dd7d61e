// Stabs type strings: the type part of a stabs entry ("(0,3)=*(0,4)",
// "s8x:(0,1),0,32;;", "ar(0,2)=r(0,2);0;-1;;0;9;(0,3)") read structurally,
// nested definitions included, into quinar types through the adapter of
// dwarf2_quinar.h. Every type number pair goes through the stabs type map of
// the loader tables (tables.stabsTypes), which lives for one load.
//
// Base types (ranges) become the predefined index the DWARF 2 reader gives
// the same C type: the old compilers' fixed pairs (0,1)-(0,19) where the
// definition names that row's type, else by the name, else by the bounds
// or the size of a float. Cross references (xs, xu, xe) make a named empty
// type that the later definition completes; const and volatile give their
// base type. Damage is reported with its place in .stabstr and the parse
// of that text ends; what was read stays.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "dwarf2_quinar.h"
#include "loader_tables.h"
#include "read_errors.h"

namespace tarnel {

// A type number pair (file number, type number); a lone number is file 0.
using StabsPair = std::pair<uint32_t, uint32_t>;

inline constexpr uint32_t STABS_NO_TYPE = 0xFFFFFFFFu;  // a pair not in the map
inline constexpr uint32_t STABS_MAX_DEPTH = 200;        // nested definitions

class StabsTypes {
public:
    StabsTypes(LoaderTables& tables, QuinarRecords& records, const ReadErrors& errors, bool bigEndian)
        : tables_(tables), records_(records), errors_(errors), bigEndian_(bigEndian)
    {}

    // A type entry ("name:t(0,3)=...", "name:T(0,4)=s8..."): typedefs, tags
    // and base types. `place` is the text's offset in .stabstr.
    void ReadTypeDef(std::string_view text, uint32_t place);

    // The type that the text at `pos` stands for (a pair, maybe defined
    // there, or an anonymous definition); `pos` moves past it. Unknown
    // pairs and texts the parser does not know give 0.
    uint32_t ParseType(std::string_view text, size_t& pos, uint32_t place);

    // A new type index: above every index in the store when the pass
    // began, one more each time (numbers of gcc's typedef'd uses are given
    // their index before the typedef that names them is met).
    bool NewIndex(uint32_t& index);
    // The type an index of a typedef'd use stands for until it is named.
    uint32_t Resolved(uint32_t index) const;
    // At the end of a module: the typedef'd uses no typedef named.
    void SettleAliases();

    // Whether the last parse found damage.
    bool Damaged() const { return damaged_; }

private:
    friend class StabsTypeParser;

    LoaderTables& tables_;
    QuinarRecords& records_;
    const ReadErrors& errors_;
    bool bigEndian_ = false;
    bool damaged_ = false;
    // Structures, unions and enumerations by (kind letter, name): the index
    // a cross reference or definition made, and whether it is complete.
    std::map<std::pair<char, std::string>, uint32_t> tags_;
    std::set<uint32_t> incomplete_;
    // Indexes of gcc's typedef'd uses ("(0,14)=(0,15)") not named yet, and
    // the type each stands for.
    std::map<uint32_t, uint32_t> aliases_;
    uint32_t next_ = 0;

    void NameAlias(uint32_t index, std::string_view name);
};

// Where a stabs string's name ends: its first ':' that is no part of a
// C++ scope "::" (npos when there is none).
size_t StabsNameEnd(std::string_view text);

// The size in bytes quinar gives a type, 0 when unknown.
uint32_t StabsTypeSize(uint32_t index);

}  // namespace tarnel
