// CDebugCore: the target connection, brought up in one fixed order and taken
// down by the destructor.
#include "appdebug/debug_core.h"
#include "appdebug/symbol_records.h"
#include "shell/settings.h"

namespace appdebug {

void CDebugCore::ReadConnectionSettings(std::string& port, DWORD& portAddress, std::string& targetCpu, int& endian,
                                        std::string& protocol)
{
    const ConnectionSettings s = ReadConnectionValues(ConfigurationKeyPath());
    port = s.port;
    portAddress = s.portAddress;
    targetCpu = s.targetCpu;
    endian = s.endian;
    protocol = s.protocol;
}

void CDebugCore::WriteConnectionSettings(DWORD value)
{
    WriteBaudRate(ConfigurationKeyPath(), value);
}

BOOL CDebugCore::ConnectTarget(BOOL useSimulator)
{
    const HWND frame = m_pMainFrame ? m_pMainFrame->FrameWindow() : nullptr;
    std::string port, cpu, protocol;
    DWORD portAddress = 0;
    int endian = 0;
    ReadConnectionSettings(port, portAddress, cpu, endian, protocol);
    side_.InitDLL_CpuServer(0, frame, cpu, endian);
    if (useSimulator)
        port = cpu;
    int address = static_cast<int>(portAddress);
    if (side_.NewABIDLL(useSimulator, port, &address, protocol, theSettings.OcdLog + 1) == 0) {
        side_.ExitABIDLL();
        return FALSE;
    }
    if (static_cast<DWORD>(address) != portAddress)
        WriteConnectionSettings(static_cast<DWORD>(address));
    side_.MemCacheDisable(static_cast<int>(theSettings.DisableCache), static_cast<int>(theSettings.DisableCache2));
    side_.AdrSetExtAddrRange();
    side_.PeriInit();
    g_lastPc = side_.CpuGetPC();
    side_.MemInitServer(frame);
    side_.EmuInit(frame);
    side_.EmuSetTargetConfig(BuildTargetConfig(theSettings));
    side_.ShlInitServer(frame, (theSettings.Simulate ? 1 : 0) | (theSettings.RunAccess ? 2 : 0));
    side_.ShlStartServer();
    side_.SymInitServer(frame, theSettings.Case);
    // The window pointers are null before the first connection; a window
    // that is open is kept (forgetting it would lose it at shut-down).
    connectionUp_ = true;
    return TRUE;
}

void CDebugCore::Disconnect()
{
    if (connectionUp_)
        side_.ShlExitServer();
    while (!m_memoryWnds.empty()) {
        DebugWindow* w = m_memoryWnds.back();
        m_memoryWnds.pop_back();
        w->Destroy();
    }
    for (DebugWindow** slot : {&m_pWatchWnd, &m_pStackWnd, &m_pRegisterWnd, &m_pBitWnd}) {
        if (DebugWindow* w = *slot) {
            *slot = nullptr;
            w->Destroy();
        }
    }
    LoadedModules().Clear();
    if (connectionUp_) {
        side_.MemExitServer();
        side_.ExitABIDLL();
        connectionUp_ = false;
    }
    while (!m_inspectWnds.empty()) {
        DebugWindow* w = m_inspectWnds.begin()->second;
        m_inspectWnds.erase(m_inspectWnds.begin());
        w->Destroy();
    }
}

}  // namespace appdebug
