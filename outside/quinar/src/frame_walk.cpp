#include "frame_walk.h"

#include "dwarf_location.h"
#include "expressions.h"

namespace quinar {

namespace {

// Deeper stacks are taken for a damaged one.
constexpr size_t kMaxFrames = 1024;
constexpr uint32_t kSp = 13;

class CallerRules {
public:
    CallerRules(const FrameRules& rules, const FrameRowCopy& row, const WalkFrame& frame)
        : rules_(rules), row_(row), frame_(frame)
    {}

    bool Cfa(uint32_t* cfa) const
    {
        if (row_.cfaIsExpression)
            return Evaluate(row_.cfaExprOffset, row_.cfaExprLength, false, 0, cfa);
        if (!Known(row_.cfaRegister))
            return false;
        *cfa = frame_.regs[row_.cfaRegister] + static_cast<uint32_t>(row_.cfaOffset);
        return true;
    }

    // The caller's value of register r; false when it cannot be known.
    bool Value(uint32_t r, uint32_t cfa, uint32_t* value) const
    {
        const FrameRuleCopy& rule = row_.rules[r];
        uint32_t at = 0;
        switch (rule.kind) {
        case SYM_RULE_UNSPECIFIED:
            if (r == kSp) {
                *value = cfa;
                return true;
            }
            [[fallthrough]];
        case SYM_RULE_SAME_VALUE: *value = frame_.regs[r]; return Known(r);
        case SYM_RULE_OFFSET: return Word(cfa + static_cast<uint32_t>(rule.value), value);
        case SYM_RULE_VAL_OFFSET: *value = cfa + static_cast<uint32_t>(rule.value); return true;
        case SYM_RULE_REGISTER:
            if (!Known(static_cast<uint32_t>(rule.value)))
                return false;
            *value = frame_.regs[rule.value];
            return true;
        case SYM_RULE_EXPRESSION: return Evaluate(rule.exprOffset, rule.exprLength, true, cfa, &at) && Word(at, value);
        case SYM_RULE_VAL_EXPRESSION: return Evaluate(rule.exprOffset, rule.exprLength, true, cfa, value);
        default: return false;  // undefined
        }
    }

private:
    bool Known(uint32_t r) const { return r < SYM_FRAME_REGISTERS && (frame_.known >> r & 1u); }

    static bool Word(uint32_t address, uint32_t* value) { return ReadTargetWord(address, 4, value) == SYM_OK; }

    // A rule's expression starts with the CFA on its stack; the CFA's own
    // expression with an empty one. A register location stands for the
    // register's value.
    bool Evaluate(uint32_t offset, uint32_t length, bool pushCfa, uint32_t cfa, uint32_t* value) const
    {
        DwarfMachine m;
        m.readRegister = [this](uint32_t reg, uint32_t* v) {
            if (!Known(reg))
                return SYM_E_NO_VALUE;
            *v = frame_.regs[reg];
            return SYM_OK;
        };
        m.readMemory = ReadTargetWord;
        m.bigEndian = TargetBigEndian();
        m.pushInitial = pushCfa;
        m.initial = cfa;
        return length && EvaluateDwarfFrameBase(rules_.Bytes(offset), length, m, value) == SYM_OK;
    }

    const FrameRules& rules_;
    const FrameRowCopy& row_;
    const WalkFrame& frame_;
};

}  // namespace

FrameWalk& Walk()
{
    static auto* walk = new FrameWalk;
    return *walk;
}

SymResult FrameWalk::Start(uint32_t pc)
{
    handles_.Retire(static_cast<uint32_t>(frames_.size()) + 1);
    frames_.clear();
    WalkFrame top;
    for (uint32_t r = 0; r < SYM_FRAME_REGISTERS; ++r) {
        if (ReadTargetRegister(r, &top.regs[r]) == SYM_OK)
            top.known |= 1u << r;
    }
    if (top.known == 0)
        return SYM_E_NO_VALUE;
    top.SetPc(pc);
    frames_.push_back(top);
    return SYM_OK;
}

bool FrameWalk::FindCaller(FrameRules& rules, uint32_t n)
{
    WalkFrame& frame = frames_[n];
    if (frame.caller != WalkFrame::Caller::NotLooked)
        return frame.caller == WalkFrame::Caller::Found;
    frame.caller = WalkFrame::Caller::None;
    if (frames_.size() >= kMaxFrames)
        return false;
    // A caller's PC is a return address, which may lie past the end of a
    // call's own code (a call that never returns ends its function).
    const FrameRulesAt at = rules.At(n == 0 ? frame.Pc() : frame.Pc() - 1);
    if (!at.row)
        return false;
    const CallerRules caller(rules, *at.row, frame);
    uint32_t cfa = 0;
    if (!caller.Cfa(&cfa))
        return false;
    // Each caller's frame lies above its callee's on a descending stack.
    if (n > 0 && cfa <= frames_[n - 1].cfa)
        return false;

    WalkFrame up;
    for (uint32_t r = 0; r < SYM_FRAME_REGISTERS; ++r) {
        if (caller.Value(r, cfa, &up.regs[r]))
            up.known |= 1u << r;
    }
    if (!(up.known >> at.returnRegister & 1u))
        return false;
    // The return address carries the caller's instruction set in bit 0.
    const uint32_t returnAddress = up.regs[at.returnRegister] & ~1u;
    if (returnAddress == 0)
        return false;
    up.SetPc(returnAddress);
    frame.cfa = cfa;
    frame.caller = WalkFrame::Caller::Found;
    frames_.push_back(up);
    return true;
}

}  // namespace quinar
