// The TargetSide over the libraries themselves.
#include <cstring>

#include "appdebug/target_side.h"
#include "brevan/brevan.h"
#include "dolmer/dolmer.h"
#include "falcrest.h"
#include "platform/win32.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "sarvik/bp_windows.h"
#include "shell/modules.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace appdebug {

namespace {

class LibraryTargetSide final : public TargetSide {
public:
    EmuResult EmuStep(int mode, int sourceLevel) override { return ::EmuStep(mode, sourceLevel); }
    EmuResult EmuRun(int mode, ADDR address) override { return ::EmuRun(mode, address); }
    EmuResult EmuSetPC(ADDR address) override { return ::EmuSetPC(address); }
    EmuResult EmuHalt() override { return ::EmuHalt(); }
    EmuResult EmuResetTarget(ADDR pc) override { return ::EmuResetTarget(pc); }
    EmuResult EmuRestart(int stopAtStart, const std::string& function) override
    {
        ::SetRestartOption(stopAtStart, function.c_str());
        return ::EmuRestart(0, 0);
    }
    EmuResult AddTempBp(ADDR address) override { return ::AddTempBp(address.off, address.seg); }
    int BptOpenWindow(HWND owner, ADDR address) override { return ::BptOpenWindow(owner, address); }
    int WhptOpenWindow(HWND owner) override { return ::WhptOpenWindow(owner, 0); }
    void BptShowBpListW(int mode, platform::CWnd* mdiFrame) override { ::BptShowBpListW(mode, mdiFrame); }
    void EmuInit(HWND frame) override { ::EmuInit(frame); }
    EmuResult BptClearBp(ADDR address, int hwUnit) override { return ::BptClearBp(&address, hwUnit); }
    void SemihostProgramLoaded() override { ::SemihostProgramLoaded(); }
    void EmuSetTargetConfig(const EMU_TARGET_CONFIG& config) override { ::EmuSetTargetConfig(&config); }

    void InitDLL_CpuServer(intptr_t appValue, HWND frame, const std::string& cpu, int endian) override
    {
        ::InitDLL_CpuServer(appValue, frame, cpu.c_str(), endian);
    }
    DWORD CpuGetCpuStatus() override { return ::CpuGetCpuStatus(0, 1); }
    DWORD CpuGetCpuStatus1() override { return ::CpuGetCpuStatus1(); }
    void CpuSetCpuStatus(int running) override { ::CpuSetCpuStatus(running); }
    DWORD CpuGetPC() override
    {
        DWORD pc = 0;
        ::CpuGetPC(&pc);
        return pc;
    }
    void CpuSetPC(DWORD pc) override { ::CpuSetPC(pc); }

    int NewABIDLL(int useSimulator, const std::string& port, int* portAddress, const std::string& protocol,
                  int ocdLogPlusOne) override
    {
        return ::NewABIDLL(useSimulator, port.c_str(), portAddress, protocol.c_str(), ocdLogPlusOne);
    }
    void ExitABIDLL() override { ::ExitABIDLL(); }
    void MemCacheDisable(int disable, int disable2) override { ::MemCacheDisable(disable, disable2); }

    int LdrGetStartPC(ADDR* out) override { return ::LdrGetStartPC(out); }
    LdrResult LdrLoadWin(const std::string& path, unsigned flags, HWND progress) override
    {
        return ::LdrLoadWin(path.c_str(), 0, flags, progress);
    }
    int LdrIsSymbolLoaded() override { return ::LdrIsSymbolLoaded(); }

    void MemInitServer(HWND frame) override { ::MemInitServer(frame); }
    void MemExitServer() override { ::MemExitServer(); }

    void AdrSetExtAddrRange() override { ::AdrSetExtAddrRange(0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0); }
    int AdrTextToAddr(const std::string& text, ADDR* out) override { return ::AdrTextToAddr(text.c_str(), out, 1); }

    void ShlInitServer(HWND frame, int flags) override { ::ShlInitServer(frame, 0, flags); }
    void ShlStartServer() override { ::ShlStartServer(); }
    void ShlExitServer() override { ::ShlExitServer(); }
    int ShlExecuteCommand(const std::string& text) override
    {
        return ::ShlExecuteCommand(text.c_str(), static_cast<int>(text.size()), nullptr, nullptr);
    }

    void SymInitServer(HWND frame, int caseSensitive) override { ::SymInitServer(frame, caseSensitive); }
    int SymServerSymToAddr(const std::string& text, ADDR* out) override
    {
        return ::SymServerSymToAddr(text.c_str(), out);
    }
    void SymNotifyTargetHalted() override { ::SymNotifyTargetHalted(); }

    void PeriInit() override
    {
        if (const auto init = shell::Modules().halvek.periInit)
            init();
    }
    void PeriRefreshWindow() override
    {
        if (const auto refresh = shell::Modules().halvek.periRefreshWindow)
            refresh();
    }

    bool TaskOpenWindow(int mode) override
    {
        using TaskOpenWindowProc = int (*)(int);
        const HMODULE corvane = shell::Modules().corvane;
        if (!corvane)
            return false;
        if (corvane != taskModule_) {
            taskModule_ = corvane;
            taskOpenWindow_ = reinterpret_cast<TaskOpenWindowProc>(GetProcAddress(corvane, "TaskOpenWindow"));
        }
        if (!taskOpenWindow_)
            return false;
        taskOpenWindow_(mode);
        return true;
    }

private:
    HMODULE taskModule_ = nullptr;
    int (*taskOpenWindow_)(int) = nullptr;
};

}  // namespace

TargetSide& RealTargetSide()
{
    static LibraryTargetSide side;
    return side;
}

}  // namespace appdebug
