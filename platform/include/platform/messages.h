// Message sinks, per-thread message queues and the loops that pump them.
//
// An HWND names a message sink: a handler that receives (msg, wParam, lParam)
// and returns an LRESULT. A sink belongs to the thread that created it; posts
// to it are queued for that thread and dispatched by that thread's pump, with
// the handle looked up at delivery (messages for a destroyed sink are
// dropped). Each thread's queue is FIFO, so the order of posts holds across
// windows and across posting threads. Handles carry generation bits: a stale
// copy never reaches a newer sink in the same slot.
//
// The GUI thread is the thread that loaded the library unless SetGuiThread
// says otherwise. In Qt builds platform/qt installs a LoopBackend so that the
// GUI thread's queue runs on the Qt event loop; the Qt-free loops below then
// process Qt events as well.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/win32.h"

namespace platform {

class CWnd;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The window behind the sink (a window is a private sink, so a cast
    // cannot find it); null for other sinks.
    virtual CWnd* SinkWindow() { return nullptr; }
};

using MessageHandler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// Registers a sink owned by the calling thread. The object is not owned by
// the table: destroy the sink before the object. Null when the table is full.
HWND CreateSink(MessageSink* sink);
HWND CreateSink(MessageHandler handler);
// The handle dies at once; queued messages for it are dropped at delivery and
// a SendMessage waiting on it returns 0. A handler that is running finishes.
bool DestroySink(HWND hwnd);
// The registered object of a live sink made from a MessageSink*, else null.
MessageSink* SinkObject(HWND hwnd);
// Live sinks, for tests that check a clean teardown.
size_t SinkCount();

// The GUI thread: thread messages to it reach its pre-translate hook, modal
// services that need widgets run on it, and a LoopBackend drives its queue.
DWORD GuiThreadId();
bool IsGuiThread();
// Makes the calling thread the GUI thread.
void SetGuiThread();
// Gives the calling thread a queue now, so that PostThreadMessage from other
// threads reaches it (a thread also gets one at its first message call).
void EnsureMessageQueue();

// Called by the pumps for every message of the calling thread before it is
// dispatched; returning true eats the message. Thread messages (hwnd null)
// reach only this hook. Returns the previous hook.
using PreTranslateHook = std::function<bool(MSG& msg)>;
PreTranslateHook SetPreTranslateHook(PreTranslateHook hook);

// --- Loops (all act on the calling thread's queue) ------------------------
// Nested pumps used by long operations: they dispatch what is pending and
// take WM_TIMER messages out without dispatching them. A WM_KEYDOWN whose
// virtual key is in `takeKeys` is taken out and ends the pump; its key is the
// result (0 when none). WM_QUIT stays queued for the outer loop.
int PumpPending(std::initializer_list<int> takeKeys = {});
// Sleeps until a message arrives or `ms` passes (-1: no limit), then pumps.
int PumpWait(int ms, std::initializer_list<int> takeKeys = {});
// Pumps until `done` returns true (true), a WM_QUIT arrives or `timeoutMs`
// passes (false; -1: no limit).
bool ModalWait(const std::function<bool()>& done, int timeoutMs = -1);
// True while one of the three loops above runs on this thread.
bool InNestedPump();
// Dispatches every pending message (timers included) without waiting; the
// outer loop's step, also what the Qt dispatcher runs. Returns false when it
// took a WM_QUIT out of the queue (its exit code goes to `quitCode`).
bool DispatchPending(int* quitCode = nullptr);
// Outer loop of a Qt-free program: dispatches until WM_QUIT, returns its code.
int RunMessageLoop();
// Drops the queued keyboard messages (WM_KEYFIRST to WM_KEYLAST) of the
// calling thread, so an Esc that aborted an operation does not reach a window.
void DiscardKeyMessages();

// Called at the start of every PumpPending/PumpWait/ModalWait step: tests
// use it to script what happens while an operation pumps. Returns the previous.
using PumpHook = std::function<void()>;
PumpHook SetPumpHook(PumpHook hook);

// Key state that GetAsyncKeyState reads: the window layer's key filter (or a
// test) sets it. A query function, when set, answers instead of the table.
void SetKeyDown(int vk, bool down);
// Whether the table holds the key down (GetKeyState's view; no side effect).
bool IsKeyDown(int vk);
using KeyStateQuery = std::function<short(int vk)>;
KeyStateQuery SetKeyStateQuery(KeyStateQuery query);
void ResetKeyState();

// Runs `fn` on the GUI thread and waits for it (at once when called there);
// an exception it throws passes to the caller. False when the GUI thread has
// gone and `fn` did not run.
bool InvokeOnGuiThread(const std::function<void()>& fn);

// The loop of a GUI toolkit, driving the GUI thread's queue. Wake is called
// from any thread when the GUI queue receives work; the other two run on the
// GUI thread inside the pumps.
class LoopBackend {
public:
    virtual ~LoopBackend() = default;
    virtual void Wake() = 0;
    // Delivers the toolkit's pending events without waiting.
    virtual void ProcessEvents() = 0;
    // Sleeps until a toolkit event or a Wake, at most `ms` (-1: no limit),
    // delivering the events that arrive.
    virtual void WaitForEvents(int ms) = 0;
};
// Installs (or, with null, removes) the GUI thread's backend.
void SetLoopBackend(LoopBackend* backend);

}  // namespace platform
