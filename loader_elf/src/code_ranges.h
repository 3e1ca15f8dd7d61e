// Which instruction set the code at an address is in, for the image loaded
// last: the answers of LdrIsInThumbRange.
//
// Images of the ARM tools (compiler kind 8) name the starts of ARM and
// Thumb code: "$a"/"$t" symbols and the function symbols (FUNC for ARM,
// STT_ARM_TFUNC for Thumb); an address belongs to the nearest start at or
// below it. Other images give Thumb ranges: "THUMB C" units of the DWARF
// readers and STT_ARM_TFUNC symbols. Images of today's GNU tools (EABI)
// give both instruction sets on every symbol: a FUNC symbol with bit 0 set
// is Thumb code, and the mapping symbols "$a", "$t" and "$d" (optionally
// followed by ".name") mark where ARM code, Thumb code and data begin in
// their section.
//
// All tables grow with the image and are sorted once after the symbols are
// read; a query is a few binary searches.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ldr_types.h"
#include "loader_tables.h"
#include "tarnel/loaded_tables.h"

namespace tarnel {

enum class CodeState : uint8_t {
    Data,  // sorted first: at one address a code mark wins over data
    Arm,
    Thumb,  // and Thumb over ARM, as the start tables have it
};

// The state a mapping symbol names ("$a", "$t", "$d", or one of them
// followed by '.' and more; the letter in either case), none for other names.
std::optional<CodeState> MappingSymbolState(std::string_view name);

class CodeRanges {
public:
    // Everything forgotten: a new pass or ResetOnCloseELF.
    void Clear();

    // The start tables of compiler kind 8.
    void AddArmStart(uint32_t address) { armStarts_.push_back(address); }
    void AddThumbStart(uint32_t address) { thumbStarts_.push_back(address); }
    // A mapping symbol; its mark holds up to the last byte of its section.
    void AddMappingSymbol(uint32_t address, CodeState state, uint32_t sectionLast);
    // A FUNC symbol with a size: [first, last] is Thumb or ARM code.
    void AddFunction(uint32_t first, uint32_t last, bool thumb);

    // After the readers: sorts the tables and takes the Thumb ranges of the
    // DWARF readers and of the symbol pass (rows with start above end are
    // empty and dropped).
    void Sort(const std::vector<ThumbRange>& thumbRanges);

    bool IsThumb(uint32_t address, CompilerKind kind) const;

    size_t ArmStartCount() const { return armStarts_.size(); }
    size_t ThumbStartCount() const { return thumbStarts_.size(); }
    size_t MappingCount() const { return mappings_.size(); }
    size_t FunctionCount() const { return functions_.size(); }

private:
    struct Mapping {
        uint32_t address;
        uint32_t sectionLast;
        CodeState state;
    };
    struct Function {
        uint32_t first;
        uint32_t last;
        bool thumb;
    };

    bool StartTablesSayThumb(uint32_t address) const;
    bool InThumbRange(uint32_t address) const;
    std::optional<CodeState> MappedState(uint32_t address) const;
    std::optional<bool> FunctionIsThumb(uint32_t address) const;

    std::vector<uint32_t> armStarts_;
    std::vector<uint32_t> thumbStarts_;
    std::vector<Mapping> mappings_;
    std::vector<Function> functions_;
    // reach_[i]: the highest last address of functions_[0..i], so that the
    // search for a function holding an address stops at the first gap.
    std::vector<uint32_t> reach_;
    std::vector<ThumbRange> thumbRanges_;  // sorted, overlapping rows merged
};

// The tables of the image loaded last.
CodeRanges& LoadedCodeRanges();

}  // namespace tarnel
