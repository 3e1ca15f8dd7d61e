// The executors' dispatch tables, generated at compile time from the rows of
// the shared encoding table: 4096 ARM handlers keyed on bits 20-27 and 4-7,
// 1024 Thumb handlers keyed on bits 6-15.
#pragma once

#include <array>
#include <cstdint>

#include "simcore/core.h"

namespace zk::sim {

using ArmHandler = int (*)(Core&, uint32_t);
using ThumbHandler = int (*)(Core&, uint32_t);

extern const std::array<ArmHandler, 4096> kArmHandlers;
extern const std::array<ThumbHandler, 1024> kThumbHandlers;

}  // namespace zk::sim
