// CDebugCore: the command target of the Debug menu and the owner of the
// debug windows. One per main frame: the frame makes it while it is
// created, routes the Debug menu's commands to it (OnCmdMsg) and deletes it
// at shut-down, which takes the target connection down.
//
// Run commands go to sarvik through the TargetSide; the frame is told with
// WM_EMU_BUSY (2, 0) / (2, 1) around the commands that bracket, and with
// WM_EMU_REFRESH and WM_EMU_UPDATE_VIEWS after changes. Commands that other
// windows' libraries map later (breakpoint dialogs, watch, call stack,
// upload, flash, kernel view) are here and do nothing until then.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>

#include "appdebug/connection.h"
#include "appdebug/debug_ids.h"
#include "appdebug/debug_window.h"
#include "appdebug/target_side.h"
#include "emu_types.h"
#include "platform/cmd_target.h"
#include "shell/cmd_target_plus.h"

namespace appdebug {

// The source level of every step command: 1 by source line, 0 by
// instruction; set from the active child frame at each step.
extern int g_stepSourceLevel;
// The result of the last automation member.
extern int g_lastAutomationResult;
// The program counter read at connect; the main frame keeps it at each stop.
extern DWORD g_lastPc;

// The automation events the core raises (IDebugEvents).
inline constexpr int kEventHalt = 1;     // argument: the halt cause
inline constexpr int kEventLoadEnd = 2;  // argument: 0

// The identities of the core's automation interfaces.
extern const IID IID_IDebugCore;
extern const IID IID_IDebugEvents;
extern const CLSID CLSID_DebugCore;

// The go parameter of IDebugCore::Go.
enum RUN_MODE {
    NORMAL_RUN = 0,
    FREE_RUN = 1,
    RUN_AFTER_RET = 2,
    RUN_TILL_RET = 3,
    RUN_AFTER_CALL = 4,
    RUN_TILL_CALL = 5,
    RUN_FROM = 0x100,
};

// The core is also the automation object "Debugger" of scripts
// (IDebugCore, members in debug_automation.cpp); its events go to the
// script's handlers through the events interface and to the hook below.
class CDebugCore : public CCmdTargetPlus {
public:
    // The frame outlives the core; `side` defaults to the real libraries.
    explicit CDebugCore(DebugFrame* frame, TargetSide* side = nullptr);
    // Takes the connection down (Disconnect) and destroys the windows the
    // core owns.
    ~CDebugCore() override;
    CDebugCore(const CDebugCore&) = delete;
    CDebugCore& operator=(const CDebugCore&) = delete;

    DECLARE_DYNAMIC(CDebugCore)

    // --- The connection ----------------------------------------------------
    // Brings the target side up in its fixed order; FALSE when the target
    // access library refused (nothing else is set up then).
    BOOL ConnectTarget(BOOL useSimulator);
    // The connection values of ...\Configuration (created when missing).
    void ReadConnectionSettings(std::string& port, DWORD& portAddress, std::string& targetCpu, int& endian,
                                std::string& protocol);
    // Writes "BaudRate" as decimal text.
    void WriteConnectionSettings(DWORD value);

    // --- Run commands (menu and automation) ----------------------------------
    void OnGo();  // CheckBuildBeforeRun, then Go(0, -1)
    // mode non-zero: free run; address -1: go from the PC; otherwise a go
    // till the address. -1 when not connected, else the run's result (also
    // kept in g_lastAutomationResult).
    int Go(int mode, int32_t address);
    void Halt();
    void OnReset();  // asks first
    void Reset();    // asks nothing
    void Restart();
    void OnStepInto();
    void OnStepOver();
    void OnStepOut();
    void OnGotoCursor();
    // Modes 3 to 8 of EmuStep.
    void StepCommand(int mode);
    void FreeRun();
    void OnJump();
    void OnJumpToCursor();
    void OnGotoAddress();
    void OnBreakpoint();
    void OnBreakpointList();
    // The breakpoint list window in the main frame: 0 closes it, 1 opens or
    // raises it, 2 refreshes it when open.
    void ShowBreakpointList(int mode);
    void OnWatchpoint();
    void OnPeripheralWindow();
    void OnFlashProgramming();
    void OnUploadMemory();
    void OnDownloadMemory();
    void OnMemoryActions();
    void OnLoadProgram();
    // The "Load File" dialog, then WM_EMU_OPEN_IMAGE to the frame with the
    // path; a failing load is reported here. The dialog's extended error (0).
    int LoadProgramFromDialog();
    void OnKernelView();
    void OnTraceControl();

    // --- Enabling ------------------------------------------------------------
    // Bit 0 of the last known run state.
    bool IsRunning() const;
    // Target access allowed: not running, or the setting RunAccess.
    bool AccessAllowed() const;

    // --- Windows -------------------------------------------------------------
    void OpenRegisterWindow();
    void OpenWatchWindow();
    void OpenCallStackWindow();
    // address -1: the saved record's start; unit in the low 16 bits, 0: the
    // saved record's unit.
    void OpenMemoryWindow(int32_t address = -1, uint32_t unit = 0);
    void RefreshDebugWindows(int kind, intptr_t param);
    // Forgets the window of the kind (it deletes itself); returns 1.
    int OnDebugWndClosed(int kind);
    int AddWatch(const std::string& expression);
    int OpenInspectWindow(const char* name);
    // An inspector window leaves the map when it is destroyed.
    void ForgetInspector(HWND window);

    // --- Services -------------------------------------------------------------
    // ">" followed by the command to the shell server; -1 when not connected.
    int ExecShellCommand(const char* command);
    void ReportTargetLost();
    BOOL CheckBuildBeforeRun();
    // The application's questions (IDYES, IDNO, IDCANCEL; -1: nothing was
    // asked). Until projects exist none is set and nothing is asked.
    using BuildQuestion = std::function<int()>;
    void SetBuildQuestions(BuildQuestion saveSources, BuildQuestion rebuildImage);
    void MarkSourcesModified(BOOL modified);
    BOOL GetCursorAddress(ADDR* out);

    // The automation events: one hook, connected by the automation layer.
    using EventSink = std::function<void(int event, short argument)>;
    void SetEventSink(EventSink sink) { eventSink_ = std::move(sink); }
    // To the hook, then to every connected events sink (script handlers).
    void FireEvent(int event, short argument);
    zk::automation::DispatchTable GetEventMap() const override;
    HRESULT GetClassID(CLSID* clsid) override;

    // --- Automation (IDebugCore) -------------------------------------------------
    // The text the shell printed during the last ShellCmd.
    const std::string& ShellResult() const { return shellResult_; }
    // ShellCmd: -1 when not connected (ShellResult unchanged); else the
    // shell's printing is collected into ShellResult, and 0.
    int ShellCommand(const std::string& command);
    // The window names of OpenDebugWnd and RefreshDebugWnd.
    int OpenDebugWnd(const std::string& name, BOOL open);
    void RefreshDebugWnd(const std::string& name);
    // LoadImage: "Close All", then WM_EMU_OPEN_IMAGE with the path; the frame's reply.
    int LoadImage(const std::string& path, int type);

    // Read by tests and the layout block.
    DebugWindow* RegisterWnd() const { return m_pRegisterWnd; }
    DebugWindow* WatchWnd() const { return m_pWatchWnd; }
    DebugWindow* StackWnd() const { return m_pStackWnd; }
    DebugWindow* BitWnd() const { return m_pBitWnd; }
    const std::list<DebugWindow*>& MemoryWnds() const { return m_memoryWnds; }
    const std::map<HWND, DebugWindow*>& InspectWnds() const { return m_inspectWnds; }
    HWND DeviceWnd() const { return m_hDeviceWnd; }
    DebugFrame* MainFrame() const { return m_pMainFrame; }

private:
    void MapCommands();
    void Disconnect();
    bool Connected() const;
    void Busy(bool on);
    void SetStepSourceLevel();
    void Step(int mode);
    void GoTill(ADDR address);
    bool AskAddress(int mode, ADDR* out);
    void OpenSingleWindow(DebugWindow*& slot, int kind, const char* title);
    void ShowDebugWindow(DebugWindow* window, int kind);
    void RefreshMemoryWindows(intptr_t param);
    void Send(UINT msg, WPARAM w, LPARAM l);
    LRESULT SendResult(UINT msg, WPARAM w, LPARAM l);
    void MapAutomation();
    // BpAddOnAddr: sets or clears the breakpoint; sarvik's result.
    int AddBreakpoint(uint32_t address, bool add);

    DebugWindow* m_pBitWnd = nullptr;
    DebugFrame* m_pMainFrame;
    DebugWindow* m_pStackWnd = nullptr;
    DebugWindow* m_pWatchWnd = nullptr;
    std::list<DebugWindow*> m_memoryWnds;
    std::map<HWND, DebugWindow*> m_inspectWnds;  // keyed by the whole handle
    HWND m_hDeviceWnd = nullptr;
    DebugWindow* m_pRegisterWnd = nullptr;

    TargetSide& side_;
    bool saveAnswered_ = false;
    bool rebuildAnswered_ = false;
    bool connectionUp_ = false;
    BuildQuestion askSave_;
    BuildQuestion askRebuild_;
    EventSink eventSink_;
    std::string shellResult_;
};

// The target-lost prompt of the main window's debugger core; 0 when none
// is registered (SetCurrentDebugCore: the frame's core while it lives).
int ReportTargetConnectionLost();
void SetCurrentDebugCore(CDebugCore* core);
CDebugCore* CurrentDebugCore();

// The error-text library's box with caption 32769 and a hand icon.
int ReportErrorStop(UINT id);

// Moves a window, keeping its size, to the centre of the main window's
// client area; nothing without a main window or for an unknown handle.
void CenterInMainFrame(HWND hwnd);

}  // namespace appdebug
