// Timers that tick by themselves in a test without the Qt loop: while one
// runs, a thread posts its WM_TIMER every few milliseconds.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/timers.h"
#include "win_messages.h"

namespace scriptsrv::test {

class TickingTimers : public platform::TimerBackend {
public:
    TickingTimers() : previous_(platform::SetTimerBackend(this)) {}
    ~TickingTimers() override
    {
        Stop(nullptr, 0);
        platform::SetTimerBackend(previous_);
    }
    TickingTimers(const TickingTimers&) = delete;
    TickingTimers& operator=(const TickingTimers&) = delete;
    void Start(HWND hwnd, UINT_PTR id, UINT) override
    {
        Stop(nullptr, 0);
        running_ = true;
        thread_ = std::thread([this, hwnd, id] {
            while (running_) {
                PostMessage(hwnd, WM_TIMER, id, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    void Stop(HWND, UINT_PTR) override
    {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }

private:
    platform::TimerBackend* previous_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace scriptsrv::test
