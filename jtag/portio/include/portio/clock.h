// The clock the port's users time with: milliseconds since some start, and a
// sleep. One per process (it lives in libportio.so), so a test can replace it
// for every driver at once.
#pragma once

#include <cstdint>
#include <functional>

namespace portio {

struct PortClock {
    std::function<uint32_t()> nowMs;
    std::function<void(uint32_t)> sleepMs;
};
// The steady clock unless a test replaced its functions.
PortClock& Clock();

}  // namespace portio
