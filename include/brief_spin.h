// A short busy wait before a thread goes to sleep for a hand-off another
// core usually makes within microseconds (the simulator's run thread and the
// thread that serves its stops hand each semihosting call back and forth).
// Sleeping at once costs the wake-up of an idle core each time, tens of
// microseconds: 20,000 printed lines took 1.3 s on an idle 8-core machine,
// 0.2 s with the spin. The spin adapts: a wait that the spin ends lets the
// next one spin up to 50 us again; one it does not end shortens the next, to
// no less than 10 us, so on a machine whose cores are all busy (the other
// thread is not running and spinning only delays it) each wait loses little.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

namespace zk {

// The spin bound of one place that waits, in nanoseconds.
struct SpinState {
    static constexpr int kMax = 50000;
    static constexpr int kFloor = 10000;
    std::atomic<int> bound{kMax};
};

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
    asm volatile("yield");
#endif
}

// Spins until `ready` answers true or the bound passes; `ready`'s answer.
// With `lock` (held by the caller), it is released while spinning and held
// whenever `ready` is asked and on return.
template <class Ready>
bool SpinBriefly(SpinState& state, std::unique_lock<std::mutex>* lock, Ready&& ready)
{
    const int bound = state.bound.load(std::memory_order_relaxed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::nanoseconds(bound);
    for (;;) {
        if (ready()) {
            state.bound.store(SpinState::kMax, std::memory_order_relaxed);
            return true;
        }
        if (std::chrono::steady_clock::now() >= end)
            break;
        if (lock)
            lock->unlock();
        for (int i = 0; i < 16; ++i)
            CpuRelax();
        if (lock)
            lock->lock();
    }
    state.bound.store(std::max(bound * 3 / 4, SpinState::kFloor), std::memory_order_relaxed);
    return false;
}

template <class Ready>
bool SpinBriefly(SpinState& state, Ready&& ready)
{
    return SpinBriefly(state, static_cast<std::unique_lock<std::mutex>*>(nullptr), std::forward<Ready>(ready));
}

template <class Ready>
bool SpinBriefly(SpinState& state, std::unique_lock<std::mutex>& lock, Ready&& ready)
{
    return SpinBriefly(state, &lock, std::forward<Ready>(ready));
}

}  // namespace zk
