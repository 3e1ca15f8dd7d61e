#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

Clock& TheClock()
{
    static Clock clock{
        [] {
            using namespace std::chrono;
            return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        },
        [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
    };
    return clock;
}

}  // namespace platform
