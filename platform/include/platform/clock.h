// The process's clock: milliseconds on a steady clock and a sleep. Code that
// times or waits (a driver's calibration and delays, a grace period before a
// kill) goes through it, so tests replace both functions and run without
// waiting.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

struct Clock {
    std::function<uint64_t()> nowMs;
    std::function<void(uint32_t)> sleepMs;
};

// The steady clock unless a test replaced its functions.
Clock& TheClock();

inline uint64_t NowMs()
{
    return TheClock().nowMs();
}

inline void SleepMs(uint32_t milliseconds)
{
    TheClock().sleepMs(milliseconds);
}

}  // namespace platform
