// DWARF location expressions as text for the listings ("fbreg -20",
// "breg13 +8", "reg4", "addr 0x2000"), operation by operation.
#pragma once

#include <cstdint>
#include <string>

namespace quinar {

std::string ExpressionText(const uint8_t* expr, uint32_t length);

}  // namespace quinar
