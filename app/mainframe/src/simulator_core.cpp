// The frame's own debugger core, used until a fuller one is installed with
// SetFrameCoreMaker: the connection to the target through Falcrest (the
// simulator library when simulating) with the CPU model, the memory, the
// debugger core and the shell libraries set up in the connect order, and
// the run commands Go and Halt. It has no debug windows to refresh.
#include <string>

#include "brevan/brevan.h"
#include "falcrest.h"
#include "mainframe/frame_core.h"
#include "mainframe/main_frame.h"
#include "morwen/morwen.h"
#include "platform/paths.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace mainframe {

namespace {

constexpr char kDefaultProcessor[] = "ARM7TDMI-KS32C50100";

uint32_t ProtocolIndex(const std::string& protocol)
{
    const char* const table[] = {"Pelliton", "Tamber", "Angel", "Simulator"};
    uint32_t index = 0;
    for (uint32_t i = 0; i < 4; ++i)
        if (platform::EqualNoCase(protocol, table[i]))
            index = i + 1;
    return index;
}

bool Running()
{
    return (CpuGetCpuStatus1() & 1) != 0;
}

class SimulatorCore : public CCmdTarget, public FrameDebugCore {
public:
    explicit SimulatorCore(CMainFrame& frame) : frame_(frame)
    {
        OnCommand(shell::ID_DEBUG_GO, [] { EmuRun(EMU_RUN_GO, ADDR{0xFFFFFFFFu, ADDR_SPACE_TARGET}); });
        OnUpdate(shell::ID_DEBUG_GO, [](CCmdUI* ui) { ui->Enable(!Running()); });
        OnCommand(shell::ID_DEBUG_HALT, [] {
            if (EmuHalt() != EMU_OK)
                AfxMessageBox("Could not set ICE mode. Please reset the chip!");
        });
        OnUpdate(shell::ID_DEBUG_HALT, [](CCmdUI* ui) { ui->Enable(TRUE); });
    }
    ~SimulatorCore() override
    {
        if (!connected_)
            return;
        ShlExitServer();
        MemExitServer();
        ExitABIDLL();
    }

    BOOL ConnectTarget(BOOL useSimulator) override
    {
        const HWND window = frame_.m_hWnd;
        std::string processor = kDefaultProcessor;
        InitDLL_CpuServer(0, window, processor.c_str(), 0);
        int portAddress = 0xE100;
        const std::string port = useSimulator ? processor : std::string("LPT1");
        if (!NewABIDLL(useSimulator ? 1 : 0, port.c_str(), &portAddress, theSettings.Protocol.c_str(),
                       theSettings.OcdLog + 1)) {
            ExitABIDLL();
            return FALSE;
        }
        connected_ = true;
        MemInitServer(window);
        EmuInit(window);
        EMU_TARGET_CONFIG config{};
        config.options = (theSettings.IgnoreBP ? 1u : 0u) | (theSettings.DisableStepOver ? 2u : 0u) |
                         (CDebuggerSettings::UseWatchpointBP ? 4u : 0u) |
                         (static_cast<uint32_t>(theSettings.SemiHosting) << EMU_CFG_SEMIHOST_SHIFT);
        config.semihostVector = theSettings.SemiHostVector;
        config.topOfMemory = theSettings.TopMemory;
        config.protocol = ProtocolIndex(theSettings.Protocol);
        config.exceptionCatch = theSettings.Exceptions;
        EmuSetTargetConfig(&config);
        ShlInitServer(window, 0, (theSettings.Simulate ? 1 : 0) | (theSettings.RunAccess ? 2 : 0));
        ShlStartServer();
        return TRUE;
    }
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        return CCmdTarget::OnCmdMsg(id, code, extra, info);
    }
    void RefreshDebugWindows(int, LPARAM) override {}
    LRESULT OnDebugWndClosed(int) override { return 1; }
    int AddWatch(const std::string&) override { return 1; }
    void ExecShellCommand(const std::string& command) override
    {
        int inputMode = 0, wait = 0;
        ShlExecuteCommand(command.c_str(), static_cast<int>(command.size()), &inputMode, &wait);
    }
    void FireEvent(int, short) override {}
    void ReportTargetLost() override
    {
        if (ReportError(32799, 32769, MB_ABORTRETRYIGNORE | MB_ICONHAND) == IDABORT)
            frame_.PostMessage(WM_CLOSE);
    }

private:
    CMainFrame& frame_;
    bool connected_ = false;
};

FrameCoreMaker& Maker()
{
    static FrameCoreMaker maker;
    return maker;
}

}  // namespace

FrameCoreMaker SetFrameCoreMaker(FrameCoreMaker maker)
{
    FrameCoreMaker previous = std::move(Maker());
    Maker() = std::move(maker);
    return previous;
}

std::unique_ptr<FrameDebugCore> MakeFrameCore(CMainFrame& frame)
{
    if (Maker())
        return Maker()(frame);
    return std::make_unique<SimulatorCore>(frame);
}

}  // namespace mainframe
