// The debugger core's notices of "target stopped / state changed": the one
// path the windows follow the target by, in place of re-reading the run
// flags after every stop. GUI thread only: notices are delivered on it, in
// the order they happen, after the core's state is settled (break words
// out at a stop, the registers readable).
#pragma once

#include <functional>

namespace sarvik {

enum class TargetEvent {
    // The target was started by a go or a step's run (not a run resumed by
    // the stop entry after a semihosting call: no stop was given for it).
    Running,
    // The target stopped and stays stopped as far as the core knows: a
    // halt, a shown stop of a run, the end of a step command. `stop` tells
    // why (EMU_STOP_HALTED or EMU_STOP_EXITED). A run whose breakpoint count
    // or condition is not reached is started again by the main frame and
    // then gives Running.
    Stopped,
    // The target's state changed without a run: the PC was set, the target
    // was reset, a restart stopped at the image's start.
    Changed,
};

struct TargetNotice {
    TargetEvent event = TargetEvent::Changed;
    int stop = 0;  // EMU_STOP_* for Stopped, else 0
};

using TargetListener = std::function<void(const TargetNotice&)>;

// Adds a listener; the token (never 0) removes it. A listener may subscribe
// or unsubscribe (itself too) while a notice is delivered: a listener added
// then hears from the next notice on, one removed hears nothing more.
int SubscribeTargetEvents(TargetListener listener);
void UnsubscribeTargetEvents(int token);

// A subscription for the life of its owner (a window).
class TargetSubscription {
public:
    TargetSubscription() = default;
    explicit TargetSubscription(TargetListener listener) : token_(SubscribeTargetEvents(std::move(listener))) {}
    TargetSubscription(const TargetSubscription&) = delete;
    TargetSubscription& operator=(const TargetSubscription&) = delete;
    ~TargetSubscription()
    {
        if (token_)
            UnsubscribeTargetEvents(token_);
    }

private:
    int token_ = 0;
};

}  // namespace sarvik
