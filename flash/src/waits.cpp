#include <platform/clock.h>
#include <platform/messages.h>

#include "mirobel/flash_target.h"

namespace mirobel {

namespace {

// Between two looks at the target.
constexpr uint32_t kPollMs = 1;

}  // namespace

bool WaitPumping(const std::function<bool()>& done, uint32_t limitMs)
{
    const uint64_t start = platform::NowMs();
    bool met = false;
    platform::ModalWait([&] {
        met = done();
        return met || platform::NowMs() - start >= limitMs;
    });
    return met;
}

bool WaitSleeping(const std::function<bool()>& done, uint32_t limitMs)
{
    const uint64_t start = platform::NowMs();
    for (;;) {
        if (done())
            return true;
        if (platform::NowMs() - start >= limitMs)
            return false;
        platform::SleepMs(kPollMs);
    }
}

}  // namespace mirobel
