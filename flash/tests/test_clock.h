// The process clock replaced for a test: it advances only when someone
// sleeps on it or a message pump takes a step, so a 10 s time-out passes in
// a few real milliseconds.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/clock.h"
#include "platform/messages.h"

namespace mirobel::test {

class TestClock {
public:
    explicit TestClock(uint32_t pumpStepMs = 2500)
        : saved_(platform::TheClock()), savedHook_(platform::SetPumpHook([this, pumpStepMs] { now_ += pumpStepMs; }))
    {
        platform::TheClock().nowMs = [this] { return now_.load(); };
        platform::TheClock().sleepMs = [this](uint32_t ms) {
            now_ += ms;
            std::this_thread::yield();
        };
    }
    ~TestClock()
    {
        platform::SetPumpHook(std::move(savedHook_));
        platform::TheClock() = saved_;
    }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    uint64_t now() const { return now_.load(); }

private:
    std::atomic<uint64_t> now_{1000};
    platform::Clock saved_;
    platform::PumpHook savedHook_;
};

}  // namespace mirobel::test
