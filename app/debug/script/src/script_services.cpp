// The script server's services to scripts that reach outside the engine:
// the wait loop, programs and sounds, the error message's text.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/messages.h"
#include "platform/timers.h"
#include "scriptsrv/script_server.h"
#include "scriptsrv/wait_clock.h"
#include "win_messages.h"

extern char** environ;

namespace scriptsrv {

namespace {

constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT kWaitTick = 100;  // ms between the wait's checks

WaitClock& Clock()
{
    static WaitClock clock;
    return clock;
}

int64_t NowMs()
{
    if (Clock())
        return Clock()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits for the child in the background, so that it leaves no zombie.
void Reap(pid_t child)
{
    std::thread([child] {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
}

bool Spawn(const std::string& program, char* const* argv)
{
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    Reap(child);
    return true;
}

bool ProgramOnPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

WaitClock SetWaitClock(WaitClock clock)
{
    WaitClock previous = std::move(Clock());
    Clock() = std::move(clock);
    return previous;
}

void CScriptServer::Wait(LONG seconds)
{
    // A window of the server's own takes the timer, so that the wait checks
    // the time even when nothing else arrives.
    HWND ticker = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    SetTimer(ticker, kWaitTimer, kWaitTick, nullptr);
    const int64_t start = NowMs();
    const int64_t wanted = int64_t{seconds} * 1000;
    for (;;) {
        MSG msg{};
        const BOOL got = GetMessage(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT stays for the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        if (msg.hwnd != ticker) {
            // As the program's loop does: the pre-translate hook first
            // (thread messages reach only it), then the window.
            platform::PreTranslateHook hook = platform::SetPreTranslateHook(nullptr);
            platform::SetPreTranslateHook(hook);
            if (!hook || !hook(msg)) {
                TranslateMessage(&msg);
                DispatchMessage(&msg);
            }
        }
        if (NowMs() - start >= wanted)
            break;
    }
    KillTimer(ticker, kWaitTimer);
    platform::DestroySink(ticker);
}

std::string ScriptErrorText(const std::string& description, const std::string& source, unsigned line, int code,
                            SCODE scode)
{
    char tail[96];
    std::snprintf(tail, sizeof tail, "\nLine:%u Error:%d Scode:%x", line, code & 0xFFFF, static_cast<unsigned>(scode));
    return description + "\nSrc: " + source + tail;
}

int StartProgram(const std::string& path)
{
    if (path.empty())
        return -1;
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    // A path, not a command line: no shell sees it.
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    Reap(child);
    return 0;
}

bool PlaySoundFile(const std::string& path)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !ProgramOnPath("aplay"))
        return false;
    std::string aplay = "aplay", quiet = "-q", file = path;
    char* argv[] = {aplay.data(), quiet.data(), file.data(), nullptr};
    return Spawn(aplay, argv);
}

}  // namespace scriptsrv
