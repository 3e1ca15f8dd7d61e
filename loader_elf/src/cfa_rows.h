// The rule table of .debug_frame: what the call-frame instructions of a CIE
// and an FDE say about each address of the FDE's code, row by row (the
// DWARF rule table: how to find the CFA, and where each register of the
// caller was saved). A stack walk reads it; quinar receives it at load.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "debug_frame.h"

namespace tarnel {

enum class RuleKind : uint8_t {
    Unspecified,  // no rule given
    SameValue,
    Undefined,
    Offset,         // saved at CFA + value
    ValOffset,      // the value is CFA + value
    Register,       // in register `value`
    Expression,     // saved at the address the expression computes
    ValExpression,  // the value the expression computes
};

struct RegisterRule {
    RuleKind kind = RuleKind::Unspecified;
    int64_t value = 0;                    // offset in bytes (factored already), or a register
    std::span<const uint8_t> expression;  // into the kept instruction bytes
};

struct CfaDefinition {
    bool isExpression = false;
    uint64_t reg = 0;
    int64_t offset = 0;
    std::span<const uint8_t> expression;
};

struct FrameState {
    CfaDefinition cfa;
    std::map<uint64_t, RegisterRule> rules;  // registers with a rule other than none
};

struct FrameRuleRow {
    uint64_t address = 0;  // first address the row holds for
    FrameState state;
};

// The rows of an FDE from its initial location, a new row at every advance
// of the location. Instructions that cannot be decoded end the table where
// they stand (the rows before them hold).
std::vector<FrameRuleRow> FrameRowsOf(const FrameCie& cie, const FrameFde& fde, bool bigEndian);

// Hands every FDE's rows to quinar (SymAddFrameTable).
void AddFrameTablesToSymbols(const FrameTable& frames);

}  // namespace tarnel
