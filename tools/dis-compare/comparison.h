// Compares one instruction line of objdump's listing with our disassembly
// of the same word: they agree, differ in a known way (a fixed category
// below), or disagree.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "objdump_listing.h"

namespace zk::tools {

enum class KnownDifference {
    DataInCode,         // objdump shows data (.word, .short, .byte) where the object's mapping symbols say so
    BlHalf,             // a Thumb BL half: we show "???" for each half, objdump the whole call
    Unsupported,        // our decoder rejects the encoding ("Unsupported instruction!!!"); objdump reads
                        // it as an instruction of a later architecture or as an UNPREDICTABLE form
    UndefinedSpace,     // the architecture's undefined space: our "Undefined Instruction"
    NeverCondition,     // ARM condition 1111: we show "nv", objdump reads the unconditional space
    MoveWithRn,         // MOV/MVN with the should-be-zero Rn field set: objdump calls it undefined
    ThumbBxLowBits,     // Thumb BX with should-be-zero bit 2 set: objdump reads ARMv8-M's bxns
    CoprocessorName,    // objdump names coprocessors 1-6 by their FPA/Maverick/iWMMXt mnemonics
    CoprocessorOption,  // LDC/STC with P and W clear: objdump shows the later "{option}" form
    Count
};

inline constexpr size_t kKnownDifferenceCount = static_cast<size_t>(KnownDifference::Count);

std::string_view KnownDifferenceName(KnownDifference d);

enum class Outcome { Agree, Known, Disagree };

struct Verdict {
    Outcome outcome = Outcome::Disagree;
    KnownDifference known = KnownDifference::Count;
    std::string ours;  // our text (both halves for a 32-bit Thumb line)
    std::string oursCanonical;
    std::string objdumpCanonical;  // the first of objdump's canonical forms
};

Verdict Compare(const ObjdumpLine& line);

struct Tally {
    size_t agree = 0;
    size_t disagree = 0;
    std::array<size_t, kKnownDifferenceCount> known{};

    void Add(const Verdict& v);
    size_t KnownTotal() const;
    // "N agree, K known differences, D disagree"
    std::string Summary() const;
};

}  // namespace zk::tools
