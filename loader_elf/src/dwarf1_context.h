// The read context of the DWARF 1 readers: the section, the load's tables,
// the store's adapter, the error handler and what the readers keep while
// one load runs (types still to complete after the units). It is made by
// the reader slots (dwarf1_slots.cpp) from the load that runs; the readers
// reach nothing process-wide.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dwarf1_entries.h"
#include "dwarf2_quinar.h"
#include "ldr_types.h"
#include "loader_tables.h"
#include "read_errors.h"
#include "section_pass.h"

namespace tarnel {

// Type entries read on demand inside one another go at most this deep;
// a deeper reference stays a reference until the pass after the units.
inline constexpr uint32_t DWARF1_DEMAND_DEPTH = 64;
// Entries inside one another (blocks in blocks, types in structures).
inline constexpr uint32_t DWARF1_NESTING = 256;

// An array whose element type was a reference not yet read.
struct Dwarf1PendingArray {
    uint32_t elementReference = 0;
    uint32_t bound = 0;
    uint32_t arrayIndex = 0;
};

// A variable whose type the store did not know yet; retried at the end
// of its unit.
// A location as one DWARF expression, held in place (the longest, a
// register number and offset as LEB128 numbers, takes 11 bytes).
struct Dwarf1Expression {
    std::array<uint8_t, 16> bytes{};
    uint8_t size = 0;

    void push_back(uint8_t b)
    {
        if (size < bytes.size())
            bytes[size++] = b;
    }
    bool empty() const { return size == 0; }
    std::span<const uint8_t> Span() const { return {bytes.data(), size}; }
};

struct Dwarf1PendingVariable {
    std::string name;
    uint32_t type = 0;
    uint32_t storage = 0;
    bool inRegister = false;
    uint32_t location[3] = {0, 0, 0};
    Dwarf1Expression expression;
    std::optional<uint32_t> reference;  // the type's entry, while it waits for it
};

// A made type (pointer, reference, typedef) whose target is a reference
// not read when it was made.
struct Dwarf1PendingLink {
    uint32_t typeIndex = 0;
    uint32_t reference = 0;
    bool isBase = false;  // a typedef's base, else a pointer or reference target
};

// What the readers keep for one load: from unit to unit, up to the pass
// after the units.
struct Dwarf1LoadState {
    bool producerSeen = false;
    std::vector<Dwarf1PendingArray> pendingArrays;
    std::vector<Dwarf1PendingVariable> pendingVariables;
    std::vector<Dwarf1PendingLink> pendingLinks;
    // Class entries read in this load: offset -> byte size.
    std::vector<std::pair<uint32_t, uint32_t>> classes;
};

struct Dwarf1ReadContext {
    const Dwarf1Section& section;
    // The whole image: the symbol and string tables (linkage names).
    std::span<const uint8_t> file;
    const SectionNotes& notes;
    std::string_view imageDirectory;
    LoaderTables& tables;
    QuinarRecords& records;
    const ReadErrors& errors;
    Dwarf1LoadState& load;
    // 3: full detail (bodies, locals, lines); 1: functions and globals.
    uint32_t detail = 3;
    // At each compile unit, with the file position of its entry: keeps the
    // windows alive and moves the progress bar; true when the user asked
    // to stop (Esc).
    std::function<bool(uint64_t position)> unitReached;
    // The message box of a vendor entry this reader does not know.
    std::function<void()> unknownFormat;

    CompilerKind compilerKind = COMPILER_NONE;
    uint32_t functions = 0;
    uint32_t lineRows = 0;

    // The unit being read.
    uint32_t module = 0;
    // Type entries being read now, and how deep on demand.
    std::unordered_set<uint32_t> reading;
    uint32_t demandDepth = 0;
    uint32_t nesting = 0;

    bool FullDetail() const { return (detail & 2) != 0; }
};

// One level of entries inside one another, for as long as its reader runs.
class Dwarf1Nested {
public:
    Dwarf1Nested(Dwarf1ReadContext& cx, uint32_t at) : cx_(cx)
    {
        if (++cx_.nesting > DWARF1_NESTING) {
            --cx_.nesting;
            throw Dwarf1Damage(at, "entries nested too deeply");
        }
    }
    ~Dwarf1Nested() { --cx_.nesting; }
    Dwarf1Nested(const Dwarf1Nested&) = delete;
    Dwarf1Nested& operator=(const Dwarf1Nested&) = delete;

private:
    Dwarf1ReadContext& cx_;
};

}  // namespace tarnel
