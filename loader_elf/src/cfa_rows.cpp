#include "cfa_rows.h"

#include "quinar/symbol_store.h"

namespace tarnel {

namespace {

class RuleMachine {
public:
    RuleMachine(const FrameCie& cie, bool bigEndian) : cie_(cie), bigEndian_(bigEndian) {}

    // The CIE's initial instructions give the state every FDE starts from
    // (and DW_CFA_restore returns to).
    void Initial(uint64_t location)
    {
        location_ = location;
        Run(cie_.initialInstructions, nullptr);
        initial_ = state_;
    }

    // With rows: the last row is the current location's; it takes the
    // state when the location moves on and when the instructions end.
    void Run(std::span<const uint8_t> instructions, std::vector<FrameRuleRow>* rows)
    {
        CfaReader reader(instructions, bigEndian_);
        for (CfaInstruction i; reader.Next(i);)
            Execute(i, rows);
        if (rows)
            rows->back().state = state_;
    }

private:
    int64_t Data(int64_t factored) const { return factored * cie_.dataAlignment; }

    void MoveTo(uint64_t location, std::vector<FrameRuleRow>* rows)
    {
        if (location == location_)
            return;
        location_ = location;
        if (rows) {
            rows->back().state = state_;
            rows->push_back({location, {}});
        }
    }

    void Set(uint64_t reg, RuleKind kind, int64_t value = 0, std::span<const uint8_t> expression = {})
    {
        state_.rules[reg] = {kind, value, expression};
    }

    void Restore(uint64_t reg)
    {
        if (auto it = initial_.rules.find(reg); it != initial_.rules.end())
            state_.rules[reg] = it->second;
        else
            state_.rules.erase(reg);
    }

    void Execute(const CfaInstruction& i, std::vector<FrameRuleRow>* rows)
    {
        const uint64_t reg = i.operand1;
        switch (i.opcode) {
        case DW_CFA_advance_loc:
        case DW_CFA_advance_loc1:
        case DW_CFA_advance_loc2:
        case DW_CFA_advance_loc4: MoveTo(location_ + i.operand1 * cie_.codeAlignment, rows); break;
        case DW_CFA_set_loc: MoveTo(i.operand1, rows); break;
        case DW_CFA_offset:
        case DW_CFA_offset_extended:
        case DW_CFA_offset_extended_sf: Set(reg, RuleKind::Offset, Data(i.operand2)); break;
        case DW_CFA_GNU_negative_offset_extended: Set(reg, RuleKind::Offset, -Data(i.operand2)); break;
        case DW_CFA_val_offset:
        case DW_CFA_val_offset_sf: Set(reg, RuleKind::ValOffset, Data(i.operand2)); break;
        case DW_CFA_restore:
        case DW_CFA_restore_extended: Restore(reg); break;
        case DW_CFA_undefined: Set(reg, RuleKind::Undefined); break;
        case DW_CFA_same_value: Set(reg, RuleKind::SameValue); break;
        case DW_CFA_register: Set(reg, RuleKind::Register, i.operand2); break;
        case DW_CFA_expression: Set(reg, RuleKind::Expression, 0, i.expression); break;
        case DW_CFA_val_expression: Set(reg, RuleKind::ValExpression, 0, i.expression); break;
        case DW_CFA_remember_state: remembered_.push_back(state_); break;
        case DW_CFA_restore_state:
            if (!remembered_.empty()) {
                state_ = remembered_.back();
                remembered_.pop_back();
            }
            break;
        case DW_CFA_def_cfa: state_.cfa = {false, reg, i.operand2, {}}; break;
        case DW_CFA_def_cfa_sf: state_.cfa = {false, reg, Data(i.operand2), {}}; break;
        case DW_CFA_def_cfa_register:
            state_.cfa.isExpression = false;
            state_.cfa.reg = reg;
            break;
        case DW_CFA_def_cfa_offset: state_.cfa.offset = static_cast<int64_t>(i.operand1); break;
        case DW_CFA_def_cfa_offset_sf: state_.cfa.offset = Data(i.operand2); break;
        case DW_CFA_def_cfa_expression: state_.cfa = {true, 0, 0, i.expression}; break;
        default: break;  // nop, GNU_args_size
        }
    }

    const FrameCie& cie_;
    bool bigEndian_;
    uint64_t location_ = 0;
    FrameState state_;
    FrameState initial_;
    std::vector<FrameState> remembered_;
};

SymFrameRule RuleForSymbols(const RegisterRule& rule)
{
    SymFrameRule out{};
    out.value = static_cast<int32_t>(rule.value);
    switch (rule.kind) {
    case RuleKind::Unspecified: out.kind = SYM_RULE_UNSPECIFIED; break;
    case RuleKind::SameValue: out.kind = SYM_RULE_SAME_VALUE; break;
    case RuleKind::Undefined: out.kind = SYM_RULE_UNDEFINED; break;
    case RuleKind::Offset: out.kind = SYM_RULE_OFFSET; break;
    case RuleKind::ValOffset: out.kind = SYM_RULE_VAL_OFFSET; break;
    case RuleKind::Register: out.kind = SYM_RULE_REGISTER; break;
    case RuleKind::Expression: out.kind = SYM_RULE_EXPRESSION; break;
    case RuleKind::ValExpression: out.kind = SYM_RULE_VAL_EXPRESSION; break;
    }
    out.expr = rule.expression.data();
    out.length = static_cast<uint32_t>(rule.expression.size());
    return out;
}

}  // namespace

std::vector<FrameRuleRow> FrameRowsOf(const FrameCie& cie, const FrameFde& fde, bool bigEndian)
{
    RuleMachine machine(cie, bigEndian);
    machine.Initial(fde.initialLocation);
    std::vector<FrameRuleRow> rows{{fde.initialLocation, {}}};
    machine.Run(fde.instructions, &rows);
    return rows;
}

void AddFrameTablesToSymbols(const FrameTable& frames)
{
    std::vector<SymFrameRow> out;
    for (const FrameFde& fde : frames.fdes) {
        if (fde.cie < 0)
            continue;
        const FrameCie& cie = frames.cies[static_cast<size_t>(fde.cie)];
        out.clear();
        for (const FrameRuleRow& row : FrameRowsOf(cie, fde, frames.bigEndian)) {
            SymFrameRow r{};
            r.address = static_cast<uint32_t>(row.address);
            const CfaDefinition& cfa = row.state.cfa;
            r.cfaRegister = cfa.reg > 0xFFFF ? 0xFFFF : static_cast<uint32_t>(cfa.reg);
            r.cfaOffset = static_cast<int32_t>(cfa.offset);
            if (cfa.isExpression) {
                r.cfaExpr = cfa.expression.data();
                r.cfaExprLength = static_cast<uint32_t>(cfa.expression.size());
            }
            for (const auto& [reg, rule] : row.state.rules) {
                if (reg < SYM_FRAME_REGISTERS)
                    r.rules[reg] = RuleForSymbols(rule);
            }
            out.push_back(r);
        }
        const uint64_t end = uint64_t{fde.initialLocation} + fde.addressRange;
        quinar::Symbols().AddFrameTable(fde.initialLocation,
                                        end > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(end),
                                        cie.returnAddressRegister, out);
    }
}

}  // namespace tarnel
