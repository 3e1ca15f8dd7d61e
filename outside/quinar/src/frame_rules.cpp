#include "frame_rules.h"

#include <algorithm>

namespace quinar {

uint32_t FrameRules::Keep(const uint8_t* bytes, uint32_t length)
{
    const auto offset = static_cast<uint32_t>(pool_.size());
    if (bytes && length)
        pool_.insert(pool_.end(), bytes, bytes + length);
    return offset;
}

SymResult FrameRules::AddTable(uint32_t start, uint32_t end, uint32_t returnRegister, const SymFrameRow* rows,
                               uint32_t count)
{
    if (!rows || count == 0 || returnRegister >= SYM_FRAME_REGISTERS)
        return SYM_E_ARGUMENT;
    if (end <= start)
        return SYM_OK;
    FrameTableCopy table{start, end, returnRegister, static_cast<uint32_t>(rows_.size()), 0};
    for (uint32_t i = 0; i < count; ++i) {
        const SymFrameRow& in = rows[i];
        // Rows outside the range, or out of order, hold for no address.
        if (in.address < start || in.address >= end)
            continue;
        if (table.rowCount && in.address <= rows_.back().address)
            continue;
        FrameRowCopy row;
        row.address = in.address;
        row.cfaRegister = in.cfaRegister;
        row.cfaOffset = in.cfaOffset;
        row.cfaIsExpression = in.cfaExpr != nullptr;
        if (row.cfaIsExpression) {
            row.cfaExprOffset = Keep(in.cfaExpr, in.cfaExprLength);
            row.cfaExprLength = in.cfaExprLength;
        }
        for (uint32_t r = 0; r < SYM_FRAME_REGISTERS; ++r) {
            const SymFrameRule& rule = in.rules[r];
            FrameRuleCopy& copy = row.rules[r];
            copy.kind = rule.kind <= SYM_RULE_VAL_EXPRESSION ? rule.kind : uint8_t{SYM_RULE_UNDEFINED};
            copy.value = rule.value;
            if (copy.kind == SYM_RULE_EXPRESSION || copy.kind == SYM_RULE_VAL_EXPRESSION) {
                copy.exprOffset = Keep(rule.expr, rule.length);
                copy.exprLength = rule.expr ? rule.length : 0;
            }
        }
        rows_.push_back(row);
        ++table.rowCount;
    }
    if (table.rowCount == 0 || rows_[table.firstRow].address != start) {
        rows_.resize(table.firstRow);
        return SYM_E_ARGUMENT;
    }
    if (!tables_.empty() && tables_.back().end > start)
        sorted_ = false;
    tables_.push_back(table);
    return SYM_OK;
}

FrameRulesAt FrameRules::At(uint32_t address)
{
    if (!sorted_) {
        std::stable_sort(tables_.begin(), tables_.end(),
                         [](const FrameTableCopy& a, const FrameTableCopy& b) { return a.start < b.start; });
        // Of overlapping ranges the lower one holds (at one start, the first added).
        std::vector<FrameTableCopy> kept;
        for (const FrameTableCopy& t : tables_) {
            if (kept.empty() || t.start >= kept.back().end)
                kept.push_back(t);
        }
        tables_ = std::move(kept);
        sorted_ = true;
    }
    auto t = std::upper_bound(tables_.begin(), tables_.end(), address,
                              [](uint32_t a, const FrameTableCopy& table) { return a < table.start; });
    if (t == tables_.begin())
        return {};
    --t;
    if (address >= t->end)
        return {};
    const auto first = rows_.begin() + t->firstRow;
    const auto last = first + t->rowCount;
    auto row = std::upper_bound(first, last, address, [](uint32_t a, const FrameRowCopy& r) { return a < r.address; });
    return {t->returnRegister, &*(row - 1)};
}

void FrameRules::Clear()
{
    tables_.clear();
    rows_.clear();
    pool_.clear();
    sorted_ = true;
}

}  // namespace quinar
