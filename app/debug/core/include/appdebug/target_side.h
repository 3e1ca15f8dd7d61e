// The calls the debugger core makes of the libraries around it (sarvik,
// vexlor, Falcrest, Quentor, talvis, dolmer, brevan, quinar, Halvek), one
// virtual each with the library's name and arguments. RealTargetSide()
// forwards to the libraries; tests record the calls with a fake.
#pragma once

#include <cstdint>
#include <string>

#include "emu_types.h"
#include "ldr_types.h"
#include "win_types.h"

namespace platform {
class CWnd;
}

namespace appdebug {

class TargetSide {
public:
    virtual ~TargetSide() = default;

    // sarvik: run control.
    virtual EmuResult EmuStep(int mode, int sourceLevel) = 0;
    virtual EmuResult EmuRun(int mode, ADDR address) = 0;
    virtual EmuResult EmuSetPC(ADDR address) = 0;
    virtual EmuResult EmuHalt() = 0;
    virtual EmuResult EmuResetTarget(ADDR pc) = 0;
    // The PC to the image's start, the program's host files closed, then a
    // refresh (stopAtStart) or a go till the function.
    virtual EmuResult EmuRestart(int stopAtStart, const std::string& function) = 0;
    virtual EmuResult AddTempBp(ADDR address) = 0;
    // sarvik's windows: the modal breakpoint and watchpoint dialogs (their
    // modal results) and the breakpoint list window (mode 0 closes, 2
    // refreshes, others open it as a child of the MDI frame).
    virtual int BptOpenWindow(HWND owner, ADDR address) = 0;
    virtual int WhptOpenWindow(HWND owner) = 0;
    virtual void BptShowBpListW(int mode, platform::CWnd* mdiFrame) = 0;
    virtual void EmuInit(HWND frame) = 0;
    // Every breakpoint with {0, 0}; the target call's result.
    virtual EmuResult BptClearBp(ADDR address, int hwUnit) = 0;
    // A new program goes into target memory: the previous one's host files
    // are closed.
    virtual void SemihostProgramLoaded() = 0;
    virtual void EmuSetTargetConfig(const EMU_TARGET_CONFIG& config) = 0;

    // vexlor.
    virtual void InitDLL_CpuServer(intptr_t appValue, HWND frame, const std::string& cpu, int endian) = 0;
    virtual DWORD CpuGetCpuStatus() = 0;   // asked of the target: (0, 1)
    virtual DWORD CpuGetCpuStatus1() = 0;  // the last known state
    virtual void CpuSetCpuStatus(int running) = 0;
    virtual DWORD CpuGetPC() = 0;
    virtual void CpuSetPC(DWORD pc) = 0;

    // Falcrest.
    virtual int NewABIDLL(int useSimulator, const std::string& port, int* portAddress, const std::string& protocol,
                          int ocdLogPlusOne) = 0;
    virtual void ExitABIDLL() = 0;
    virtual void MemCacheDisable(int disable, int disable2) = 0;

    // Quentor.
    virtual int LdrGetStartPC(ADDR* out) = 0;
    // LdrLoadWin(path, 0, flags, progress): the loader's result.
    virtual LdrResult LdrLoadWin(const std::string& path, unsigned flags, HWND progress) = 0;
    virtual int LdrIsSymbolLoaded() = 0;

    // talvis.
    virtual void MemInitServer(HWND frame) = 0;
    virtual void MemExitServer() = 0;

    // dolmer: 1 when the text is an address.
    virtual void AdrSetExtAddrRange() = 0;
    virtual int AdrTextToAddr(const std::string& text, ADDR* out) = 0;

    // brevan.
    virtual void ShlInitServer(HWND frame, int flags) = 0;
    virtual void ShlStartServer() = 0;
    virtual void ShlExitServer() = 0;
    virtual int ShlExecuteCommand(const std::string& text) = 0;

    // quinar: 0 when found.
    virtual void SymInitServer(HWND frame, int caseSensitive) = 0;
    virtual int SymServerSymToAddr(const std::string& text, ADDR* out) = 0;
    virtual void SymNotifyTargetHalted() = 0;

    // Halvek, when it is loaded.
    virtual void PeriInit() = 0;
    virtual void PeriRefreshWindow() = 0;

    // Corvane's TaskOpenWindow, looked up by name once; false when the
    // module or the entry is missing.
    virtual bool TaskOpenWindow(int mode) = 0;
};

// The libraries themselves (one process-wide object).
TargetSide& RealTargetSide();

}  // namespace appdebug
