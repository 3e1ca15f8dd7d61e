// Condition suffixes of the disassembly, by condition field 0-15 (always is
// an empty text, 15 is "nv").
#pragma once

namespace zk::sim {

const char* ConditionSuffix(unsigned cond);

}  // namespace zk::sim
