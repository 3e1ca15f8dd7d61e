// The "Flash Programming" progress dialog's logic, toolkit-free: the dialog
// binds its bar (1001), static (1020), button and title to what this shows
// and calls it from its 100 ms timer and its button.
#pragma once

#include <string>

#include "mirobel/flash_engine.h"
#include "win_types.h"

namespace mirobel {

inline constexpr const char* kProgressTitle = "Flash Programming";
inline constexpr const char* kProgramOkText = "Flash Programming OK !";
inline constexpr const char* kProgramErrorText = "Flash Programming Error !";
inline constexpr const char* kCancelText = "&Cancel";
inline constexpr const char* kOkText = "&OK";
inline constexpr int kProgressTimerMs = 100;

class FlashProgress {
public:
    enum class State {
        Closed,
        Running,     // the worker programs; the bar shows its percentage
        Cancelling,  // Cancel pressed: waiting for the current chunk to end
        Finished,    // the result is shown, the button reads "&OK"
    };

    // mainFrame: receives WM_EMU_POLL_STATUS (0 on opening, 1 on closing).
    FlashProgress(FlashEngine& engine, HWND mainFrame) : engine_(engine), mainFrame_(mainFrame) {}
    ~FlashProgress();

    // The dialog opens: run-state polling off, the worker started. False
    // (the dialog stays closed) while another operation runs.
    bool Open(const FlashRequest& request);
    // A timer tick: the bar follows the percentage; the first tick after the
    // worker is done shows the result.
    void Tick();
    // Cancel, or OK once finished. While the worker runs it is asked to stop
    // and this waits (pumping) for its current chunk to end, in the
    // Cancelling state; then the dialog closes.
    void Cancel();
    // The dialog closes: the timer stops, run-state polling on again.
    void Close();

    State state() const { return state_; }
    int position() const { return position_; }
    bool barVisible() const { return barVisible_; }
    bool timerRunning() const { return timerRunning_; }
    const std::string& text() const { return text_; }  // static 1020
    const std::string& button() const { return button_; }
    const std::string& title() const { return title_; }

private:
    FlashEngine& engine_;
    HWND mainFrame_;
    State state_ = State::Closed;
    int position_ = 0;
    bool barVisible_ = true;
    bool timerRunning_ = false;
    std::string text_;
    std::string button_ = kCancelText;
    std::string title_ = kProgressTitle;
};

}  // namespace mirobel
