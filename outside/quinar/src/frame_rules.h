// Call-frame rules handed over by the loaders (SymAddFrameTable): per code
// range a run of rows, each holding from its address to the next row's.
// Expression bytes live in one pool; rows refer to them by offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "quinar/quinar.h"

namespace quinar {

struct FrameRuleCopy {
    uint8_t kind = SYM_RULE_UNSPECIFIED;
    int32_t value = 0;
    uint32_t exprOffset = 0;
    uint32_t exprLength = 0;
};

struct FrameRowCopy {
    uint32_t address = 0;
    uint32_t cfaRegister = 0;
    int32_t cfaOffset = 0;
    bool cfaIsExpression = false;
    uint32_t cfaExprOffset = 0;
    uint32_t cfaExprLength = 0;
    FrameRuleCopy rules[SYM_FRAME_REGISTERS];
};

struct FrameTableCopy {
    uint32_t start = 0;
    uint32_t end = 0;  // exclusive
    uint32_t returnRegister = 14;
    uint32_t firstRow = 0;
    uint32_t rowCount = 0;
};

// What holds at one address: the table's return register and the row.
struct FrameRulesAt {
    uint32_t returnRegister = 14;
    const FrameRowCopy* row = nullptr;
};

class FrameRules {
public:
    SymResult AddTable(uint32_t start, uint32_t end, uint32_t returnRegister, const SymFrameRow* rows, uint32_t count);
    // The row that holds at address; row null when no table covers it.
    FrameRulesAt At(uint32_t address);
    // An expression's bytes in the pool.
    const uint8_t* Bytes(uint32_t offset) const { return pool_.data() + offset; }
    void Clear();

private:
    uint32_t Keep(const uint8_t* bytes, uint32_t length);

    std::vector<FrameTableCopy> tables_;
    std::vector<FrameRowCopy> rows_;
    std::vector<uint8_t> pool_;
    bool sorted_ = true;
};

}  // namespace quinar
