// Window timers: the table of running timers and the installable backend.
#include "platform/timers.h"

#include <algorithm>
#include <mutex>

#include "platform/messages.h"

namespace platform {
namespace {

struct TimerTable {
    std::mutex mutex;
    std::vector<TimerEntry> timers;
    TimerBackend* backend = nullptr;
};

TimerTable& Table()
{
    static auto* table = new TimerTable;
    return *table;
}

}  // namespace

TimerBackend* SetTimerBackend(TimerBackend* backend)
{
    std::lock_guard<std::mutex> lock(Table().mutex);
    std::swap(Table().backend, backend);
    return backend;
}

std::vector<TimerEntry> ActiveTimers()
{
    std::lock_guard<std::mutex> lock(Table().mutex);
    return Table().timers;
}

bool FireTimer(HWND hwnd, UINT_PTR id)
{
    {
        std::lock_guard<std::mutex> lock(Table().mutex);
        auto& t = Table().timers;
        if (std::none_of(t.begin(), t.end(), [&](const TimerEntry& e) { return e.hwnd == hwnd && e.id == id; }))
            return false;
    }
    return ::PostMessage(hwnd, WM_TIMER, id, 0) != FALSE;
}

void KillTimers(HWND hwnd)
{
    std::vector<UINT_PTR> ids;
    {
        std::lock_guard<std::mutex> lock(Table().mutex);
        for (auto& e : Table().timers)
            if (e.hwnd == hwnd)
                ids.push_back(e.id);
    }
    for (UINT_PTR id : ids)
        ::KillTimer(hwnd, id);
}

}  // namespace platform

using namespace platform;

extern "C" UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    TimerBackend* backend;
    {
        std::lock_guard<std::mutex> lock(Table().mutex);
        auto& t = Table().timers;
        auto it = std::find_if(t.begin(), t.end(), [&](const TimerEntry& e) { return e.hwnd == hwnd && e.id == id; });
        if (it != t.end())
            it->ms = ms;
        else
            t.push_back({hwnd, id, ms});
        backend = Table().backend;
    }
    if (backend)
        backend->Start(hwnd, id, ms);  // replaces a running timer of the id
    return id;
}

extern "C" BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    TimerBackend* backend;
    {
        std::lock_guard<std::mutex> lock(Table().mutex);
        auto& t = Table().timers;
        auto it = std::find_if(t.begin(), t.end(), [&](const TimerEntry& e) { return e.hwnd == hwnd && e.id == id; });
        if (it == t.end())
            return FALSE;
        t.erase(it);
        backend = Table().backend;
    }
    if (backend)
        backend->Stop(hwnd, id);
    return TRUE;
}
