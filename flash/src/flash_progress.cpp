#include "mirobel/flash_progress.h"

#include <platform/win32.h>

#include "emu_messages.h"

namespace mirobel {

FlashProgress::~FlashProgress()
{
    if (state_ != State::Closed)
        Cancel();
}

bool FlashProgress::Open(const FlashRequest& request)
{
    if (state_ != State::Closed || engine_.Busy())
        return false;
    if (mainFrame_)
        SendMessage(mainFrame_, WM_EMU_POLL_STATUS, 0, 0);
    if (!engine_.StartFlash(request)) {
        if (mainFrame_)
            SendMessage(mainFrame_, WM_EMU_POLL_STATUS, 1, 0);
        return false;
    }
    state_ = State::Running;
    timerRunning_ = true;
    position_ = 0;
    barVisible_ = true;
    text_.clear();
    button_ = kCancelText;
    title_ = kProgressTitle;
    return true;
}

void FlashProgress::Tick()
{
    if (state_ != State::Running || !timerRunning_)
        return;
    if (!engine_.Done()) {
        position_ = engine_.Percent();
        return;
    }
    engine_.WaitUntilDone();
    timerRunning_ = false;
    barVisible_ = false;
    text_ = engine_.Result() == FLASH_OK ? kProgramOkText : kProgramErrorText;
    button_ = kOkText;
    title_ = kProgressTitle;
    state_ = State::Finished;
}

void FlashProgress::Cancel()
{
    if (state_ == State::Closed)
        return;
    if (state_ == State::Running) {
        // The worker may still use the target, the lock and the request:
        // the dialog stays until its current chunk has ended.
        state_ = State::Cancelling;
        engine_.Cancel();
        engine_.WaitUntilDone();
    }
    Close();
}

void FlashProgress::Close()
{
    if (state_ == State::Closed)
        return;
    if (state_ == State::Running || state_ == State::Cancelling) {
        engine_.Cancel();
        engine_.WaitUntilDone();
    }
    timerRunning_ = false;
    state_ = State::Closed;
    if (mainFrame_)
        SendMessage(mainFrame_, WM_EMU_POLL_STATUS, 1, 0);
}

}  // namespace mirobel
