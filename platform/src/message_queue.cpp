// Thread ids, the per-thread queues, cross-thread calls and the GUI thread's
// loop backend.
#include "message_queue.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <unordered_map>

namespace platform::detail {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

struct QueueRegistry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

// Process-wide state is never destroyed: threads may still post while the
// process exits.
QueueRegistry& Queues()
{
    static auto* registry = new QueueRegistry;
    return *registry;
}

struct BackendState {
    std::mutex mutex;
    LoopBackend* backend = nullptr;
};

BackendState& Backend()
{
    static auto* state = new BackendState;
    return *state;
}

std::atomic<DWORD> g_guiThread{0};

// Gives the thread's queue back when the thread ends: pending posts are
// dropped and senders waiting on it are released with 0.
struct QueueOwner {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueOwner()
    {
        if (!queue)
            return;
        {
            std::lock_guard<std::mutex> lock(Queues().mutex);
            auto it = Queues().queues.find(queue->threadId);
            if (it != Queues().queues.end() && it->second == queue)
                Queues().queues.erase(it);
        }
        std::deque<std::shared_ptr<SentCall>> orphans;
        {
            std::lock_guard<std::mutex> lock(queue->mutex);
            queue->closed = true;
            queue->posted.clear();
            orphans.swap(queue->sent);
        }
        for (auto& call : orphans) {
            std::lock_guard<std::mutex> lock(call->sender->mutex);
            call->done = true;
            call->sender->cv.notify_all();
        }
    }
};
thread_local QueueOwner t_queueOwner;

void Wake(ThreadQueue& queue)
{
    queue.cv.notify_all();
    if (queue.threadId == g_guiThread.load()) {
        std::lock_guard<std::mutex> lock(Backend().mutex);
        if (Backend().backend)
            Backend().backend->Wake();
    }
}

void Complete(SentCall& call)
{
    std::lock_guard<std::mutex> lock(call.sender->mutex);
    call.done = true;
    call.sender->cv.notify_all();
}

bool HasWork(ThreadQueue& queue)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    return !queue.posted.empty() || !queue.sent.empty();
}

// The GUI thread is the thread that loads the library, normally the main thread.
struct GuiThreadInit {
    GuiThreadInit() { g_guiThread.store(::GetCurrentThreadId()); }
} g_guiThreadInit;

}  // namespace

std::shared_ptr<ThreadQueue> CurrentQueue()
{
    if (t_queueOwner.queue)
        return t_queueOwner.queue;
    DWORD id = ::GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(Queues().mutex);
    auto& slot = Queues().queues[id];
    if (!slot)
        slot = std::make_shared<ThreadQueue>(id);
    t_queueOwner.queue = slot;
    return slot;
}

std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId)
{
    std::lock_guard<std::mutex> lock(Queues().mutex);
    auto it = Queues().queues.find(threadId);
    if (it != Queues().queues.end())
        return it->second;
    if (threadId != 0 && threadId == g_guiThread.load()) {
        auto queue = std::make_shared<ThreadQueue>(threadId);
        Queues().queues[threadId] = queue;
        return queue;
    }
    return nullptr;
}

bool Post(const std::shared_ptr<ThreadQueue>& queue, const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(queue->mutex);
        if (queue->closed)
            return false;
        queue->posted.push_back(msg);
        ++queue->postCount;
    }
    Wake(*queue);
    return true;
}

bool SendAndWait(const std::shared_ptr<ThreadQueue>& receiver, const std::shared_ptr<SentCall>& call)
{
    auto self = CurrentQueue();
    call->sender = self;
    {
        std::lock_guard<std::mutex> lock(receiver->mutex);
        if (receiver->closed)
            return false;
        receiver->sent.push_back(call);
    }
    Wake(*receiver);
    std::unique_lock<std::mutex> lock(self->mutex);
    while (!call->done) {
        if (!self->sent.empty()) {
            // Serve what others send us meanwhile, or two threads sending to
            // each other would wait forever.
            lock.unlock();
            ServeSentCalls(*self);
            lock.lock();
            continue;
        }
        self->cv.wait(lock);
    }
    if (call->error)
        std::rethrow_exception(call->error);
    return call->ran;
}

void ServeSentCalls(ThreadQueue& queue)
{
    for (;;) {
        std::shared_ptr<SentCall> call;
        {
            std::lock_guard<std::mutex> lock(queue.mutex);
            if (queue.sent.empty())
                return;
            call = queue.sent.front();
            queue.sent.pop_front();
        }
        LRESULT result = 0;
        std::exception_ptr error;
        try {
            if (call->fn) {
                HandlerFrame frame;
                call->fn();
            } else {
                result = DeliverToSink(call->hwnd, call->msg, call->wParam, call->lParam);
            }
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(call->sender->mutex);
            call->result = result;
            call->error = error;
            call->ran = true;
        }
        Complete(*call);
    }
}

namespace {

// The GUI thread sleeps in its toolkit's loop when it has one.
bool WaitInBackend(ThreadQueue& queue, int ms)
{
    if (queue.threadId != g_guiThread.load())
        return false;
    LoopBackend* backend;
    {
        std::lock_guard<std::mutex> lock(Backend().mutex);
        backend = Backend().backend;
    }
    if (!backend)
        return false;
    backend->WaitForEvents(ms);
    return true;
}

template <typename Ready>
void WaitOn(ThreadQueue& queue, int ms, Ready ready)
{
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (ms < 0)
        queue.cv.wait(lock, ready);
    else
        queue.cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

}  // namespace

void WaitForWork(ThreadQueue& queue, int ms)
{
    if (HasWork(queue) || WaitInBackend(queue, ms))
        return;
    if (ms != 0 && zk::SpinBriefly(queue.spin, [&] { return HasWork(queue); }))
        return;
    WaitOn(queue, ms, [&] { return !queue.posted.empty() || !queue.sent.empty(); });
}

void WaitForNewPost(ThreadQueue& queue, uint64_t postCount, int ms)
{
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (queue.postCount != postCount || !queue.sent.empty())
            return;
    }
    if (WaitInBackend(queue, ms))
        return;
    WaitOn(queue, ms, [&] { return queue.postCount != postCount || !queue.sent.empty(); });
}

LoopBackend* CurrentBackend()
{
    std::lock_guard<std::mutex> lock(Backend().mutex);
    return Backend().backend;
}

HandlerFrame::HandlerFrame() : queue_(CurrentQueue()), saved_(queue_->nestedPumps)
{
    queue_->nestedPumps = 0;
}

HandlerFrame::~HandlerFrame()
{
    queue_->nestedPumps = saved_;
}

}  // namespace platform::detail

namespace platform {

DWORD GuiThreadId()
{
    return detail::g_guiThread.load();
}

bool IsGuiThread()
{
    return ::GetCurrentThreadId() == detail::g_guiThread.load();
}

void SetGuiThread()
{
    detail::g_guiThread.store(::GetCurrentThreadId());
}

void EnsureMessageQueue()
{
    detail::CurrentQueue();
}

void SetLoopBackend(LoopBackend* backend)
{
    std::lock_guard<std::mutex> lock(detail::Backend().mutex);
    detail::Backend().backend = backend;
}

bool InvokeOnGuiThread(const std::function<void()>& fn)
{
    if (IsGuiThread()) {
        fn();
        return true;
    }
    auto gui = detail::FindQueue(GuiThreadId());
    if (!gui)
        return false;
    auto call = std::make_shared<detail::SentCall>();
    call->fn = fn;
    return detail::SendAndWait(gui, call);
}

}  // namespace platform

extern "C" DWORD GetCurrentThreadId()
{
    using namespace platform::detail;
    if (t_threadId == 0)
        t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

namespace {
thread_local DWORD t_lastError = 0;
}

extern "C" DWORD GetLastError()
{
    return t_lastError;
}

extern "C" void SetLastError(DWORD error)
{
    t_lastError = error;
}

extern "C" DWORD GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
