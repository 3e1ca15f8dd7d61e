// What the DWARF 2 entry readers keep while one unit pass runs: part of the
// pass's read context (dwarf2_context.h), gone with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "byte_cursor.h"

namespace tarnel {

// Type entries read on demand inside one another (a type naming a type not
// read yet) go at most this deep; a deeper reference waits for the fix-up
// after the pass, as a cycle does.
inline constexpr uint32_t MAX_TYPE_DEMAND_DEPTH = 64;

// Entries read inside one another (types in types, functions and inlined
// calls in functions, with what they read on demand) go at most this deep;
// a deeper one is damage that ends its unit, so that no image can exhaust
// the stack. Compilers nest a few dozen levels.
inline constexpr uint32_t MAX_ENTRY_NESTING = 256;

struct Dwarf2PassState {
    // Typedef entry -> the class entry it names, for a typedef met before
    // its class was mapped (no type is made for it then).
    std::unordered_map<uint32_t, uint32_t> typedefGuard;
    // Type entries being read now, the walk's and those read on demand: a
    // reference back to one of them is a cycle (a structure reached again
    // through its own members).
    std::unordered_set<uint32_t> reading;
    uint32_t demandDepth = 0;
    uint32_t nesting = 0;
    // Declaration entry of a type -> the top-level entry that defines it
    // (DW_AT_specification: C++ types of namespaces and templates), for
    // the unit whose header is at `definitionsUnit`.
    std::unordered_map<uint32_t, uint32_t> definitions;
    std::optional<uint32_t> definitionsUnit;
    // Entry offset of a member function's declaration (in its class) ->
    // the function's qualified name ("Counter::add").
    std::unordered_map<uint32_t, std::string> memberDeclarations;
};

// One level of entries read inside one another, for as long as its reader
// runs; beyond the bound it fails the cursor, and the reader returns.
class NestedEntry {
public:
    NestedEntry(Dwarf2PassState& pass, ByteCursor& c) : pass_(pass)
    {
        if (++pass_.nesting > MAX_ENTRY_NESTING)
            c.Fail("entries nested too deeply");
    }
    ~NestedEntry() { --pass_.nesting; }
    NestedEntry(const NestedEntry&) = delete;
    NestedEntry& operator=(const NestedEntry&) = delete;

private:
    Dwarf2PassState& pass_;
};

}  // namespace tarnel
