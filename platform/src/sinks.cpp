// Message sinks: the handle table behind HWND, SendMessage and PostMessage.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <unistd.h>

#include "handle_table.h"
#include "message_queue.h"

namespace platform::detail {
namespace {

struct FunctionSink final : MessageSink {
    explicit FunctionSink(MessageHandler h) : handler(std::move(h)) {}
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override { return handler(msg, wParam, lParam); }
    MessageHandler handler;
};

struct SinkEntry {
    std::shared_ptr<MessageSink> sink;  // kept alive by a running call
    MessageSink* object = nullptr;      // the caller's object, null for a function sink
    DWORD owner = 0;
};

struct SinkTable {
    std::mutex mutex;
    // 16 index bits: up to 65535 live windows; 15 generation bits.
    HandleTable<SinkEntry, 16> table;
};

SinkTable& Sinks()
{
    static auto* sinks = new SinkTable;
    return *sinks;
}

HWND AddSink(std::shared_ptr<MessageSink> sink, MessageSink* object)
{
    SinkEntry entry{std::move(sink), object, ::GetCurrentThreadId()};
    CurrentQueue();
    std::lock_guard<std::mutex> lock(Sinks().mutex);
    return HandleFromNumber<HWND>(Sinks().table.Add(std::move(entry)));
}

bool Lookup(HWND hwnd, SinkEntry& out)
{
    uint32_t number = HandleNumber(hwnd);
    std::lock_guard<std::mutex> lock(Sinks().mutex);
    const SinkEntry* entry = Sinks().table.Find(number);
    if (!entry)
        return false;
    out = *entry;
    return true;
}

}  // namespace

LRESULT DeliverToSink(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SinkEntry entry;
    if (!Lookup(hwnd, entry))
        return 0;
    HandlerFrame frame;
    return entry.sink->OnMessage(msg, wParam, lParam);
}

}  // namespace platform::detail

namespace platform {

using namespace detail;

HWND CreateSink(MessageSink* sink)
{
    if (!sink)
        return nullptr;
    return AddSink(std::shared_ptr<MessageSink>(sink, [](MessageSink*) {}), sink);
}

HWND CreateSink(MessageHandler handler)
{
    if (!handler)
        return nullptr;
    return AddSink(std::make_shared<FunctionSink>(std::move(handler)), nullptr);
}

bool DestroySink(HWND hwnd)
{
    std::optional<SinkEntry> removed;
    {
        std::lock_guard<std::mutex> lock(Sinks().mutex);
        removed = Sinks().table.Remove(HandleNumber(hwnd));
    }
    // The handler object (of a function sink) is released outside the lock.
    return removed.has_value();
}

MessageSink* SinkObject(HWND hwnd)
{
    SinkEntry entry;
    return Lookup(hwnd, entry) ? entry.object : nullptr;
}

size_t SinkCount()
{
    std::lock_guard<std::mutex> lock(Sinks().mutex);
    return Sinks().table.Size();
}

}  // namespace platform

using namespace platform::detail;

extern "C" {

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SinkEntry entry;
    if (!Lookup(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (entry.owner == GetCurrentThreadId()) {
        HandlerFrame frame;
        return entry.sink->OnMessage(msg, wParam, lParam);
    }
    auto receiver = FindQueue(entry.owner);
    if (!receiver)
        return 0;
    auto call = std::make_shared<SentCall>();
    call->hwnd = hwnd;
    call->msg = msg;
    call->wParam = wParam;
    call->lParam = lParam;
    if (!SendAndWait(receiver, call))
        return 0;
    return call->result;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto queue = FindQueue(threadId);
    if (!queue || !Post(queue, MSG{nullptr, msg, wParam, lParam, GetTickCount()})) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd)
        return PostThreadMessage(GetCurrentThreadId(), msg, wParam, lParam);
    SinkEntry entry;
    if (!Lookup(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto queue = FindQueue(entry.owner);
    if (!queue || !Post(queue, MSG{hwnd, msg, wParam, lParam, GetTickCount()})) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    SinkEntry entry;
    return Lookup(hwnd, entry) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId)
{
    SinkEntry entry;
    if (!Lookup(hwnd, entry))
        return 0;
    if (processId)
        *processId = static_cast<DWORD>(getpid());
    return entry.owner;
}

UINT RegisterWindowMessage(const char* name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::mutex mutex;
    static auto* numbers = new std::map<std::string, UINT>;
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    std::lock_guard<std::mutex> lock(mutex);
    auto it = numbers->find(key);
    if (it != numbers->end())
        return it->second;
    if (numbers->size() >= 0x4000)
        return 0;
    UINT number = 0xC000 + static_cast<UINT>(numbers->size());
    numbers->emplace(key, number);
    return number;
}

}  // extern "C"
