// macrobench: calls per second of a macro loop of Debugger.GetRegValue("pc")
// and Debugger.MemDump(a, 4) next to the same calls through the libraries'
// exports in C++, and the time from a target stop (its announcement reaching
// the main frame) to the end of the script's Debugger_Halt handler. The
// example program (-O0) runs in the simulator. Each figure five times: min
// and median.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "appdebug/debug_core.h"
#include "appdebug/symbol_records.h"
#include "emu_messages.h"
#include "platform/messages.h"
#include "platform/timers.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "scriptsrv/script_server.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

using Clock = std::chrono::steady_clock;

const sarvik::StopEntries kCore = sarvik::LinkedStopEntries();

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

class BenchFrame : public appdebug::DebugFrame, public sarvik::StopDisplay {
public:
    BenchFrame()
    {
        hwnd_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_EMU_ERROR) {
                const Clock::time_point start = Clock::now();
                if (sarvik::HandleTargetStop(kCore, *this, w, l) == sarvik::StopOutcome::Shown)
                    stopToHandler.push_back(Seconds(Clock::now() - start));
            }
            return 1;
        });
    }
    ~BenchFrame() override { platform::DestroySink(hwnd_); }
    HWND FrameWindow() const override { return hwnd_; }
    bool IsConnected() const override { return true; }
    appdebug::ChildFrameKind ActiveChildKind() const override { return appdebug::ChildFrameKind::None; }
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    appdebug::DebugWindow* CreateDebugWindow(int, const std::string&, DWORD) override { return nullptr; }
    void ActivateChild(appdebug::DebugWindow*) override {}
    void ShowHalt(uint16_t cause, const char*) override
    {
        if (core)
            core->FireEvent(appdebug::kEventHalt, static_cast<short>(cause));
    }
    void Refresh() override {}

    appdebug::CDebugCore* core = nullptr;
    std::vector<double> stopToHandler;

private:
    HWND hwnd_ = nullptr;
};

void Report(const char* what, std::vector<double> values, const char* unit, double scale)
{
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %12.1f  median %12.1f %s\n", what, values.front() * scale, values[values.size() / 2] * scale,
                unit);
}

}  // namespace

int main()
{
    shell::RegisterShellResources();
    theSettings.Protocol = "Simulator";
    theSettings.IgnoreBP = 1;
    theSettings.SemiHosting = 1;
    theSettings.SemiHostVector = 8;
    theSettings.TopMemory = 0x08000000;
    theSettings.Exceptions = EMU_CATCH_DEFAULT;
    theSettings.Simulate = 1;
    SetBpSaveFile(nullptr);
    SemihostSetCommandLine("hello");

    BenchFrame frame;
    appdebug::CDebugCore core(&frame);
    frame.core = &core;
    appdebug::SetCurrentDebugCore(&core);
    if (!core.ConnectTarget(TRUE) ||
        LdrLoadWin(ZK_EXAMPLE_O0, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr) != LDR_OK) {
        std::fprintf(stderr, "macrobench: no simulator or no example image\n");
        return 1;
    }
    appdebug::LoadedModules().Rebuild();
    core.Reset();
    uint32_t mainAt = 0;
    SymGetSymbolAddr("main", &mainAt);

    auto* server = new scriptsrv::CScriptServer;
    constexpr int kCalls = 20000;
    server->LoadScriptText("Dim v, halts\nSub Calls(n, a)\nFor i = 1 To n\nv = Debugger.GetRegValue(\"pc\")\n"
                           "v = Debugger.MemDump(a, 4)\nNext\nEnd Sub\n"
                           "Sub Debugger_Halt(sType)\nhalts = halts + 1\nEnd Sub\n");
    std::vector<double> script, native;
    for (int round = 0; round < 5; ++round) {
        Clock::time_point start = Clock::now();
        server->ExecuteScript("Calls " + std::to_string(kCalls) + ", " + std::to_string(mainAt));
        script.push_back(2.0 * kCalls / Seconds(Clock::now() - start));

        start = Clock::now();
        for (int i = 0; i < kCalls; ++i) {
            DWORD id = 0, value = 0;
            CpuFindRegisterId("pc", &id);
            CpuGetRegister(id, &value);
            uint8_t bytes[4];
            MemReadBlock(bytes, {mainAt, ADDR_SPACE_TARGET}, 4);
        }
        native.push_back(2.0 * kCalls / Seconds(Clock::now() - start));
    }
    Report("macro loop: GetRegValue + MemDump(a, 4)", script, "calls/s", 1.0);
    Report("C++: CpuGetRegister + MemReadBlock", native, "calls/s", 1.0);

    // Stops at a breakpoint on a line of main's loop ("total += value;"),
    // from the reset each time.
    uint32_t module = 0, lineAt = 0;
    SymFindModuleByName("main.c", &module);
    SymSourceLineToAddr(module, 20, &lineAt);
    ADDR bp{lineAt, ADDR_SPACE_TARGET};
    for (int round = 0; round < 5; ++round) {
        core.Reset();
        BptSetBp(&bp, "", 1, 0, 1, static_cast<DWORD>(-1));
        const size_t before = frame.stopToHandler.size();
        core.Go(0, -1);
        // The program's loop, not a nested pump: the stop is shown there.
        while (frame.stopToHandler.size() == before) {
            MSG msg{};
            if (GetMessage(&msg, nullptr, 0, 0) <= 0)
                break;
            DispatchMessage(&msg);
        }
        BptClearBp(&bp, 0);
    }
    if (frame.stopToHandler.empty()) {
        std::fprintf(stderr, "macrobench: the target never stopped\n");
    } else {
        Report("stop announced -> Halt handler done", frame.stopToHandler, "us", 1e6);
        // The handler's own count, as the script saw the stops.
        server->ExecuteScript("If halts <> " + std::to_string(frame.stopToHandler.size()) +
                              " Then Err.Raise 1000, \"macrobench\", \"a Halt handler run is missing\"");
    }
    server->CloseScriptEngine();
    server->ExternalRelease();
    EmuHalt();
    platform::PumpPending();
    BptDeleteAllObjects();
    return 0;
}
