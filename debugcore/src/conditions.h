// Breakpoint conditions are evaluated through one replaceable evaluator, so
// the condition language plugs in without touching the records.
#pragma once

#include <string>

#include "emu_types.h"

namespace sarvik {

class ConditionEvaluator {
public:
    virtual ~ConditionEvaluator() = default;
    // 1 when the condition holds at the stop; 0 when it is false or cannot
    // be parsed or evaluated. scope: the breakpoint's address, where the
    // condition's symbols are looked up.
    virtual int Evaluate(const std::string& condition, ADDR scope) = 0;
};

// Installs the evaluator (null: none) and returns the previous one. The
// library starts with SymbolConditionEvaluator(). Without an evaluator every
// condition holds, so a conditional breakpoint acts as a plain one.
ConditionEvaluator* SetConditionEvaluator(ConditionEvaluator* evaluator);
// Conditions parsed into clauses and evaluated through the symbol library
// at the stop (condition_parser.h).
ConditionEvaluator& SymbolConditionEvaluator();
int EvaluateCondition(const std::string& condition, ADDR scope);

}  // namespace sarvik
