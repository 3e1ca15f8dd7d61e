// Internal: the per-thread message queues behind SendMessage, PostMessage and
// the pumps.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "brief_spin.h"
#include "platform/messages.h"

namespace platform::detail {

struct ThreadQueue;

// A message sent across threads (or a function run on the GUI thread) that
// waits in the receiver's queue; the sender sleeps until `done`.
struct SentCall {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<void()> fn;
    // Guarded by sender->mutex.
    LRESULT result = 0;
    bool done = false;
    bool ran = false;
    std::exception_ptr error;
    std::shared_ptr<ThreadQueue> sender;
};

struct ThreadQueue {
    explicit ThreadQueue(DWORD id) : threadId(id) {}
    const DWORD threadId;
    std::mutex mutex;
    std::condition_variable cv;
    zk::SpinState spin;  // the brief spin before a wait for work sleeps
    std::deque<MSG> posted;
    uint64_t postCount = 0;  // posts ever made, to wait for a new one
    std::deque<std::shared_ptr<SentCall>> sent;
    bool closed = false;
    // Touched by the owner thread only.
    PreTranslateHook preTranslate;
    int nestedPumps = 0;
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of a thread, or null when it has none (the GUI thread's queue is
// made on demand, so posts to it never fail while the process runs).
std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId);

// Queues a posted message; false when the receiving thread has gone.
bool Post(const std::shared_ptr<ThreadQueue>& queue, const MSG& msg);
// Hands a call to the receiver's queue and waits for it, serving calls sent
// to the waiting thread meanwhile. False when the receiver has gone.
bool SendAndWait(const std::shared_ptr<ThreadQueue>& receiver, const std::shared_ptr<SentCall>& call);
// Runs the calls waiting in the calling thread's queue.
void ServeSentCalls(ThreadQueue& queue);
// Sleeps until the queue holds work or `ms` passes (-1: no limit).
void WaitForWork(ThreadQueue& queue, int ms);
// Sleeps until a post after the first `postCount` posts, a sent call, or `ms`.
void WaitForNewPost(ThreadQueue& queue, uint64_t postCount, int ms);

// The GUI thread's loop backend, or null.
LoopBackend* CurrentBackend();

// Runs a sink's handler (sinks.cpp); 0 for a dead handle.
LRESULT DeliverToSink(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// While a handler runs, the loop around it is no longer the innermost one:
// a modal loop that the handler starts must dispatch normally.
class HandlerFrame {
public:
    HandlerFrame();
    ~HandlerFrame();
    HandlerFrame(const HandlerFrame&) = delete;
    HandlerFrame& operator=(const HandlerFrame&) = delete;

private:
    std::shared_ptr<ThreadQueue> queue_;
    int saved_;
};

}  // namespace platform::detail
