// The pumps: PeekMessage/GetMessage, the nested loops of long operations and
// the outer loop of a Qt-free program.
#include <algorithm>
#include <chrono>

#include "message_queue.h"

namespace platform::detail {
namespace {

std::mutex g_hookMutex;
PumpHook g_pumpHook;

bool Matches(const MSG& m, HWND hwnd, UINT min, UINT max)
{
    if (hwnd == HWND_THREAD_ONLY) {
        if (m.hwnd)
            return false;
    } else if (hwnd && m.hwnd != hwnd) {
        return false;
    }
    if (m.message == WM_QUIT || (min == 0 && max == 0))
        return true;
    return m.message >= min && m.message <= max;
}

bool TakeFront(ThreadQueue& queue, MSG& out)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.posted.empty())
        return false;
    out = queue.posted.front();
    queue.posted.pop_front();
    return true;
}

void PutBackFront(ThreadQueue& queue, const MSG& msg)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.posted.push_front(msg);
}

size_t PostedCount(ThreadQueue& queue)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    return queue.posted.size();
}

bool QuitQueued(ThreadQueue& queue)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    return std::any_of(queue.posted.begin(), queue.posted.end(), [](const MSG& m) { return m.message == WM_QUIT; });
}

void Dispatch(ThreadQueue& queue, MSG msg)
{
    if (queue.preTranslate) {
        PreTranslateHook hook = queue.preTranslate;  // the hook may replace itself
        HandlerFrame frame;
        if (hook(msg))
            return;
    }
    if (msg.hwnd)
        DeliverToSink(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

void RunPumpHook()
{
    PumpHook hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_pumpHook;
    }
    if (hook)
        hook();
}

class NestedPump {
public:
    NestedPump() : queue_(CurrentQueue()) { ++queue_->nestedPumps; }
    ~NestedPump() { --queue_->nestedPumps; }
    ThreadQueue& queue() { return *queue_; }

private:
    std::shared_ptr<ThreadQueue> queue_;
};

void ProcessToolkitEvents(ThreadQueue& queue)
{
    if (queue.threadId != GuiThreadId())
        return;
    if (LoopBackend* backend = CurrentBackend())
        backend->ProcessEvents();
}

using Clock = std::chrono::steady_clock;

// Milliseconds left before `deadline`, -1 for no deadline, 0 when it passed.
int Remaining(bool limited, Clock::time_point deadline)
{
    if (!limited)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace
}  // namespace platform::detail

namespace platform {

using namespace detail;

PreTranslateHook SetPreTranslateHook(PreTranslateHook hook)
{
    auto queue = CurrentQueue();
    std::swap(queue->preTranslate, hook);
    return hook;
}

PumpHook SetPumpHook(PumpHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    std::swap(g_pumpHook, hook);
    return hook;
}

bool InNestedPump()
{
    return CurrentQueue()->nestedPumps > 0;
}

int PumpPending(std::initializer_list<int> takeKeys)
{
    NestedPump pump;
    ThreadQueue& queue = pump.queue();
    RunPumpHook();
    ProcessToolkitEvents(queue);
    ServeSentCalls(queue);
    // Only what is pending now: a handler that posts again cannot keep the pump going.
    for (size_t n = PostedCount(queue); n > 0; --n) {
        MSG msg;
        if (!TakeFront(queue, msg))
            break;
        if (msg.message == WM_QUIT) {
            PutBackFront(queue, msg);
            break;
        }
        if (msg.message == WM_TIMER)
            continue;
        if (msg.message == WM_KEYDOWN &&
            std::find(takeKeys.begin(), takeKeys.end(), static_cast<int>(msg.wParam)) != takeKeys.end())
            return static_cast<int>(msg.wParam);
        Dispatch(queue, msg);
        ServeSentCalls(queue);
    }
    return 0;
}

int PumpWait(int ms, std::initializer_list<int> takeKeys)
{
    NestedPump pump;
    WaitForWork(pump.queue(), ms);
    return PumpPending(takeKeys);
}

bool ModalWait(const std::function<bool()>& done, int timeoutMs)
{
    NestedPump pump;
    ThreadQueue& queue = pump.queue();
    const bool limited = timeoutMs >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    for (;;) {
        PumpPending();
        if (done())
            return true;
        if (QuitQueued(queue))
            return false;
        int left = Remaining(limited, deadline);
        if (left == 0)
            return false;
        // Short slices: the condition may also change on another thread
        // without a message.
        WaitForWork(queue, left < 0 ? 50 : std::min(left, 50));
    }
}

bool DispatchPending(int* quitCode)
{
    auto queue = CurrentQueue();
    ServeSentCalls(*queue);
    for (size_t n = PostedCount(*queue); n > 0; --n) {
        MSG msg;
        if (!TakeFront(*queue, msg))
            break;
        if (msg.message == WM_QUIT) {
            if (quitCode)
                *quitCode = static_cast<int>(msg.wParam);
            return false;
        }
        Dispatch(*queue, msg);
        ServeSentCalls(*queue);
    }
    return true;
}

int RunMessageLoop()
{
    auto queue = CurrentQueue();
    int code = 0;
    while (DispatchPending(&code))
        WaitForWork(*queue, -1);
    return code;
}

void DiscardKeyMessages()
{
    auto queue = CurrentQueue();
    std::lock_guard<std::mutex> lock(queue->mutex);
    auto& posted = queue->posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(),
                                [](const MSG& m) { return m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST; }),
                 posted.end());
}

}  // namespace platform

using namespace platform::detail;

extern "C" {

void PostQuitMessage(int exitCode)
{
    Post(CurrentQueue(), MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount()});
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT msgFilterMin, UINT msgFilterMax, UINT removeMsg)
{
    if (!msg)
        return FALSE;
    auto queue = CurrentQueue();
    ServeSentCalls(*queue);
    std::lock_guard<std::mutex> lock(queue->mutex);
    for (auto it = queue->posted.begin(); it != queue->posted.end(); ++it) {
        if (!Matches(*it, hwnd, msgFilterMin, msgFilterMax))
            continue;
        *msg = *it;
        if (removeMsg & PM_REMOVE)
            queue->posted.erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT msgFilterMin, UINT msgFilterMax)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto queue = CurrentQueue();
    for (;;) {
        uint64_t seen;
        {
            std::lock_guard<std::mutex> lock(queue->mutex);
            seen = queue->postCount;
        }
        if (PeekMessage(msg, hwnd, msgFilterMin, msgFilterMax, PM_REMOVE))
            break;
        WaitForNewPost(*queue, seen, -1);
    }
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*)
{
    // Character messages come from the window layer's key filter, which
    // produces WM_CHAR itself.
    return FALSE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    return DeliverToSink(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

}  // extern "C"
