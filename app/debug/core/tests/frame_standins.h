// A main frame and debug windows as the debugger core sees them: each with a
// message sink that records what it was sent, and a log of the frame's and
// windows' operations in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "appdebug/debug_window.h"
#include "platform/messages.h"

namespace appdebug::test {

struct SentMessage {
    UINT msg;
    WPARAM w;
    LPARAM l;
    bool operator==(const SentMessage&) const = default;
};

// A window handle whose messages are recorded.
class RecordingSink {
public:
    RecordingSink()
    {
        hwnd = platform::CreateSink([this](UINT m, WPARAM w, LPARAM l) -> LRESULT {
            messages.push_back({m, w, l});
            return 0;
        });
    }
    ~RecordingSink() { platform::DestroySink(hwnd); }
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;
    HWND hwnd = nullptr;
    std::vector<SentMessage> messages;
};

class StandInFrame;

class StandInWindow : public DebugWindow {
public:
    StandInWindow(StandInFrame& frame, int kind, std::string title)
        : frame_(frame), kind_(kind), title(std::move(title))
    {}
    int Kind() const override { return kind_; }
    HWND Window() const override { return sink.hwnd; }
    bool IsVisible() const override { return visible; }
    void BringToTop() override;
    void Show() override;
    void ApplyPlacement(const DebugWindowPlacement& p) override;
    void Destroy() override;
    void SetStart(uint16_t u, uint32_t a) override
    {
        unit = u;
        start = a;
    }
    void ApplyFormatWords(const uint32_t* w) override { formats.assign(w, w + 3); }
    int ViewSpace() const override { return space; }

    RecordingSink sink;
    std::string title;
    bool visible = false;
    uint16_t unit = 0;
    uint32_t start = 0;
    std::vector<uint32_t> formats;
    int space = 1;

private:
    StandInFrame& frame_;
    int kind_;
};

class StandInFrame : public DebugFrame {
public:
    HWND FrameWindow() const override { return window ? window : sink.hwnd; }
    HWND window = nullptr;  // a window of the test's own in place of the sink
    bool IsConnected() const override { return connected; }
    ChildFrameKind ActiveChildKind() const override { return childKind; }
    bool ActiveChildCursorAddress(ADDR* out) const override
    {
        if (!hasCursor)
            return false;
        *out = cursor;
        return true;
    }
    bool ActiveSourceCaret(int& line, std::string& path) const override
    {
        if (caretLine <= 0)
            return false;
        line = caretLine;
        path = caretPath;
        return true;
    }
    DebugWindow* CreateDebugWindow(int kind, const std::string& title, DWORD style) override
    {
        log.push_back("Create(" + std::to_string(kind) + "," + title + "," + std::to_string(style) + ")");
        if (!makesWindows)
            return nullptr;
        windows.push_back(new StandInWindow(*this, kind, title));
        return windows.back();
    }
    void ActivateChild(DebugWindow* w) override { log.push_back("Activate(" + std::to_string(w->Kind()) + ")"); }
    // The window's destroy as the frame's MDI child: it tells the frame, the
    // frame tells the core, then the object goes.
    std::function<void(int kind)> onViewClosed;
    void Forget(StandInWindow* w)
    {
        std::erase(windows, w);
        destroyed.push_back(w->Kind());
    }

    RecordingSink sink;
    bool connected = true;
    bool makesWindows = true;
    ChildFrameKind childKind = ChildFrameKind::None;
    bool hasCursor = false;
    ADDR cursor{};
    int caretLine = 0;  // a source child's caret (0: none)
    std::string caretPath;
    std::vector<std::string> log;
    std::vector<StandInWindow*> windows;  // alive
    std::vector<int> destroyed;           // kinds, in order
};

inline void StandInWindow::BringToTop()
{
    frame_.log.push_back("Top(" + std::to_string(kind_) + ")");
}
inline void StandInWindow::Show()
{
    visible = true;
    frame_.log.push_back("Show(" + std::to_string(kind_) + ")");
}
inline void StandInWindow::ApplyPlacement(const DebugWindowPlacement& p)
{
    frame_.log.push_back("Placement(" + std::to_string(kind_) + "," + std::to_string(p.normalPosition[0]) + ")");
}
inline void StandInWindow::Destroy()
{
    if (frame_.onViewClosed)
        frame_.onViewClosed(kind_);
    frame_.Forget(this);
    delete this;
}

}  // namespace appdebug::test
