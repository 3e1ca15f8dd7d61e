// Breakpoint conditions: up to 9 clauses "left operator constant" joined by
// "&&" and "||", combined left to right without precedence. A left side is
// a symbol seen from the breakpoint's address (a register as "@r0"), or an
// address text (the 32-bit word there). The constant is a C number: 16,
// 0x10, 020, -1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emu_types.h"

namespace sarvik {

inline constexpr size_t BP_CONDITION_MAX_CLAUSES = 9;

enum BpCondConnector : int32_t { BP_COND_AND = 0, BP_COND_OR = 1, BP_COND_LAST = -1 };
enum BpCondOperator : int32_t {
    BP_COND_GT = 1,  // ">"
    BP_COND_LT = 2,  // "<"
    BP_COND_GE = 3,  // ">="
    BP_COND_LE = 4,  // "<="
    BP_COND_EQ = 5,  // "=="
    BP_COND_NE = 6,  // "<>"
};

struct BpCondClause {
    int32_t connector = BP_COND_LAST;  // how the next clause joins
    // An address text's address (space 1); else the symbol's place: space 4
    // for a register or register variable, else 0.
    ADDR address{};
    std::string text;  // the left side as written
    uint32_t size = 0;
    int32_t op = 0;
    int32_t constant = 0;
};

// Parses a condition seen from scope (the breakpoint's address). A lone "="
// (error 0x8006) and a 10th clause (error 0x8007) are reported with the
// error library; a left side that names nothing, a missing operator and a
// bad number reject the condition silently. True when parsed.
bool ParseBpCondition(const std::string& text, ADDR scope, std::vector<BpCondClause>* clauses);

// The combined value of parsed clauses at the stop; false as soon as a
// clause cannot be evaluated.
bool EvaluateBpClauses(const std::vector<BpCondClause>& clauses);

}  // namespace sarvik
