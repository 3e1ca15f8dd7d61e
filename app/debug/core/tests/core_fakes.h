// Stand-ins for the debugger core's surroundings: a recording TargetSide, a
// main frame with a window that records its messages, and debug windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "appdebug/debug_core.h"
#include "brevan/brevan.h"
#include "emu_messages.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/win32.h"

namespace appdebug::test {

// Every call in order, as "Name(args)".
class RecordingSide : public TargetSide {
public:
    std::vector<std::string> calls;
    DWORD runState = 0;  // bit 0: running
    DWORD pc = 0x100;
    int newAbiResult = 1;
    int newAbiPortAddress = -1;  // >= 0: NewABIDLL rewrites the word
    int startResult = 0;
    ADDR start{0x8000, 1};
    std::map<std::string, uint32_t> symbols;
    std::map<std::string, EmuResult> results;  // by call name
    bool kernelLoaded = false;

    EmuResult Result(const std::string& name)
    {
        const auto it = results.find(name);
        return it == results.end() ? 0 : it->second;
    }
    void Note(std::string text) { calls.push_back(std::move(text)); }
    static std::string Hex(uint32_t v)
    {
        char b[16];
        std::snprintf(b, sizeof b, "%X", v);
        return b;
    }
    static std::string Addr(ADDR a) { return Hex(a.off) + ":" + std::to_string(a.seg); }

    EmuResult EmuStep(int mode, int level) override
    {
        Note("EmuStep(" + std::to_string(mode) + "," + std::to_string(level) + ")");
        return Result("EmuStep");
    }
    EmuResult EmuRun(int mode, ADDR a) override
    {
        Note("EmuRun(" + std::to_string(mode) + "," + Addr(a) + ")");
        return Result("EmuRun");
    }
    EmuResult EmuSetPC(ADDR a) override
    {
        Note("EmuSetPC(" + Addr(a) + ")");
        return Result("EmuSetPC");
    }
    EmuResult EmuHalt() override
    {
        Note("EmuHalt");
        runState &= ~1u;
        return Result("EmuHalt");
    }
    EmuResult EmuResetTarget(ADDR a) override
    {
        Note("EmuResetTarget(" + Addr(a) + ")");
        return 0;
    }
    EmuResult EmuRestart(int stop, const std::string& f) override
    {
        Note("EmuRestart(" + std::to_string(stop) + "," + f + ")");
        return Result("EmuRestart");
    }
    EmuResult AddTempBp(ADDR a) override
    {
        Note("AddTempBp(" + Addr(a) + ")");
        return Result("AddTempBp");
    }
    int dialogResult = 1;  // the modal result of the breakpoint dialogs
    int BptOpenWindow(HWND, ADDR a) override
    {
        Note("BptOpenWindow(" + Addr(a) + ")");
        return dialogResult;
    }
    int WhptOpenWindow(HWND owner) override
    {
        Note(std::string("WhptOpenWindow(") + (owner ? "frame" : "none") + ")");
        return dialogResult;
    }
    void BptShowBpListW(int mode, platform::CWnd*) override { Note("BptShowBpListW(" + std::to_string(mode) + ")"); }
    void EmuInit(HWND) override { Note("EmuInit"); }
    EmuResult BptClearBp(ADDR a, int unit) override
    {
        Note("BptClearBp(" + Addr(a) + "," + std::to_string(unit) + ")");
        return Result("BptClearBp");
    }
    void SemihostProgramLoaded() override { Note("SemihostProgramLoaded"); }
    EMU_TARGET_CONFIG config{};
    void EmuSetTargetConfig(const EMU_TARGET_CONFIG& c) override
    {
        config = c;
        Note("EmuSetTargetConfig");
    }
    void InitDLL_CpuServer(intptr_t, HWND, const std::string& cpu, int endian) override
    {
        Note("InitDLL_CpuServer(" + cpu + "," + std::to_string(endian) + ")");
    }
    DWORD CpuGetCpuStatus() override { return runState; }
    DWORD CpuGetCpuStatus1() override { return runState; }
    void CpuSetCpuStatus(int running) override { Note("CpuSetCpuStatus(" + std::to_string(running) + ")"); }
    DWORD CpuGetPC() override
    {
        Note("CpuGetPC");
        return pc;
    }
    void CpuSetPC(DWORD v) override { Note("CpuSetPC(" + Hex(v) + ")"); }
    int NewABIDLL(int sim, const std::string& port, int* address, const std::string& protocol, int log) override
    {
        Note("NewABIDLL(" + std::to_string(sim) + "," + port + "," + std::to_string(*address) + "," + protocol + "," +
             std::to_string(log) + ")");
        if (newAbiPortAddress >= 0)
            *address = newAbiPortAddress;
        return newAbiResult;
    }
    void ExitABIDLL() override { Note("ExitABIDLL"); }
    void MemCacheDisable(int a, int b) override
    {
        Note("MemCacheDisable(" + std::to_string(a) + "," + std::to_string(b) + ")");
    }
    int LdrGetStartPC(ADDR* out) override
    {
        Note("LdrGetStartPC");
        if (startResult == 0)
            out->off = start.off;
        return startResult;
    }
    std::function<void()> duringLoad;  // called inside LdrLoadWin
    LdrResult LdrLoadWin(const std::string& path, unsigned flags, HWND) override
    {
        Note("LdrLoadWin(" + path + "," + Hex(flags) + ")");
        if (duringLoad)
            duringLoad();
        return Result("LdrLoadWin");
    }
    int symbolsLoaded = 0;
    int LdrIsSymbolLoaded() override { return symbolsLoaded; }
    void MemInitServer(HWND) override { Note("MemInitServer"); }
    void MemExitServer() override { Note("MemExitServer"); }
    void AdrSetExtAddrRange() override { Note("AdrSetExtAddrRange"); }
    int AdrTextToAddr(const std::string& text, ADDR* out) override
    {
        Note("AdrTextToAddr(" + text + ")");
        char* end = nullptr;
        const unsigned long v = std::strtoul(text.c_str(), &end, 16);
        if (text.empty() || *end)
            return 0;
        *out = {static_cast<uint32_t>(v), 1};
        return 1;
    }
    void ShlInitServer(HWND, int flags) override { Note("ShlInitServer(" + std::to_string(flags) + ")"); }
    void ShlStartServer() override { Note("ShlStartServer"); }
    void ShlExitServer() override { Note("ShlExitServer"); }
    int ShlExecuteCommand(const std::string& text) override
    {
        Note("ShlExecuteCommand(" + text + ")");
        // The shell's answer, printed as the shell prints.
        for (const std::string& line : shellAnswer)
            ShlPrintMessage(line.c_str(), SHL_PRINT_MESSAGE);
        return 0;
    }
    std::vector<std::string> shellAnswer;
    void SymInitServer(HWND, int c) override { Note("SymInitServer(" + std::to_string(c) + ")"); }
    int SymServerSymToAddr(const std::string& text, ADDR* out) override
    {
        Note("SymServerSymToAddr(" + text + "," + std::to_string(out->seg) + ")");
        const auto it = symbols.find(text);
        if (it == symbols.end())
            return 1;
        *out = {it->second, 1};
        return 0;
    }
    void SymNotifyTargetHalted() override { Note("SymNotifyTargetHalted"); }
    void PeriInit() override { Note("PeriInit"); }
    void PeriRefreshWindow() override { Note("PeriRefreshWindow"); }
    bool TaskOpenWindow(int mode) override
    {
        Note("TaskOpenWindow(" + std::to_string(mode) + ")");
        return kernelLoaded;
    }
};

// A registry file of its own in a fresh temporary folder.
class TempRegistry {
public:
    TempRegistry()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zk-appdebug-XXXXXX").string();
        folder_ = mkdtemp(pattern.data()) ? pattern : std::string();
        platform::Registry::Global().SetFile(folder_ + "/registry");
    }
    ~TempRegistry()
    {
        platform::Registry::Global().SetFile(folder_ + "/unused");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

private:
    std::string folder_;
};

}  // namespace appdebug::test
