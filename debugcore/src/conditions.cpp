#include "conditions.h"

namespace sarvik {

namespace {
ConditionEvaluator* g_evaluator = &SymbolConditionEvaluator();
}

ConditionEvaluator* SetConditionEvaluator(ConditionEvaluator* evaluator)
{
    ConditionEvaluator* previous = g_evaluator;
    g_evaluator = evaluator;
    return previous;
}

int EvaluateCondition(const std::string& condition, ADDR scope)
{
    return g_evaluator ? g_evaluator->Evaluate(condition, scope) : 1;
}

}  // namespace sarvik
