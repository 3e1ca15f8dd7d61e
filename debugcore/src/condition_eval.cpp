// Evaluating breakpoint conditions through the symbol library, and the
// library's own condition evaluator.
#include <cstdio>
#include <cstring>

#include "condition_parser.h"
#include "conditions.h"
#include "quentor.h"
#include "quinar/symbol_store.h"

namespace sarvik {

namespace {

// How a value of a type code compares. The codes are the symbol library's
// type codes, whose numbering depends on the image format.
enum class Compare { Float, Double, Signed8, Unsigned8, Signed16, Unsigned16, Word, Other };

Compare CompareOf(uint32_t code, bool elf)
{
    if (elf) {
        switch (code) {
        case 14: return Compare::Float;
        case 15:
        case 16: return Compare::Double;
        case 1:
        case 2: return Compare::Signed8;
        case 3: return Compare::Unsigned8;
        case 4:
        case 5: return Compare::Signed16;
        case 6: return Compare::Unsigned16;
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12: return Compare::Word;
        default: return Compare::Other;
        }
    }
    switch (code) {
    case 10: return Compare::Float;
    case 11:
    case 12: return Compare::Double;
    case 2:
    case 19: return Compare::Signed8;
    case 3: return Compare::Unsigned8;
    case 4:
    case 16:
    case 21: return Compare::Signed16;
    case 5:
    case 17:
    case 18:
    case 22:
    case 23: return Compare::Unsigned16;
    case 6:
    case 7:
    case 20: return Compare::Word;
    default: return Compare::Other;
    }
}

template <class T>
bool Holds(T value, int32_t op, T constant)
{
    switch (op) {
    case BP_COND_GT: return value > constant;
    case BP_COND_LT: return value < constant;
    case BP_COND_GE: return value >= constant;
    case BP_COND_LE: return value <= constant;
    case BP_COND_EQ: return value == constant;
    case BP_COND_NE: return value != constant;
    default: return false;
    }
}

// Integers compare as unsigned 32-bit numbers after sign extension of the
// narrow signed kinds (a char of -1 is 0xFFFFFFFF); floating-point values
// against the constant as a floating-point number. A code outside the
// table (a pointer, a 64-bit integer) compares its low 32 bits.
bool ClauseHolds(const SymExprValue& v, const BpCondClause& clause, bool elf)
{
    const uint32_t bits = static_cast<uint32_t>(v.value);
    uint32_t value = bits;
    switch (CompareOf(v.type, elf)) {
    case Compare::Float: {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return Holds<double>(f, clause.op, clause.constant);
    }
    case Compare::Double: {
        double d;
        std::memcpy(&d, &v.value, sizeof d);
        return Holds<double>(d, clause.op, clause.constant);
    }
    case Compare::Signed8: value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(bits & 0xFF))); break;
    case Compare::Unsigned8: value = bits & 0xFFu; break;
    case Compare::Signed16:
        value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(bits & 0xFFFF)));
        break;
    case Compare::Unsigned16: value = bits & 0xFFFFu; break;
    case Compare::Word:
    case Compare::Other: break;
    }
    return Holds<uint32_t>(value, clause.op, static_cast<uint32_t>(clause.constant));
}

// The text the symbol library evaluates: the left side, or for an address
// text the word at that address.
std::string ValueText(const BpCondClause& clause)
{
    if (clause.address.seg != ADDR_SPACE_TARGET)
        return clause.text;
    char text[16];
    std::snprintf(text, sizeof text, "*0x%X", clause.address.off);
    return text;
}

class SymbolConditions : public ConditionEvaluator {
public:
    int Evaluate(const std::string& condition, ADDR scope) override
    {
        std::vector<BpCondClause> clauses;
        return ParseBpCondition(condition, scope, &clauses) && EvaluateBpClauses(clauses) ? 1 : 0;
    }
};

}  // namespace

bool EvaluateBpClauses(const std::vector<BpCondClause>& clauses)
{
    const bool elf = LdrFileFormat() == LDR_FORMAT_ELF;
    bool result = false;
    for (size_t i = 0; i < clauses.size(); ++i) {
        const quinar::Result<SymExprValue> v = quinar::Symbols().Evaluate(ValueText(clauses[i]));
        if (!v)
            return false;
        const bool holds = ClauseHolds(*v, clauses[i], elf);
        if (i == 0)
            result = holds;
        else
            result = clauses[i - 1].connector == BP_COND_AND ? result && holds : result || holds;
        if (clauses[i].connector == BP_COND_LAST)
            break;
    }
    return result;
}

ConditionEvaluator& SymbolConditionEvaluator()
{
    static SymbolConditions evaluator;
    return evaluator;
}

}  // namespace sarvik
