// The program's main window: a lathris multiple-document frame with the
// Standard, Build, Edit and Debug toolbars, the tinted status bar, the
// Workspace and Output tab bars, the one-second run-state timer, the
// debugger core and the optional modules bound at its creation. All private
// messages addressed to the main window arrive here. A missing build-tool
// library doesn't stop it: the frame opens and its message pane says which
// library is missing.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lathris/frame.h"
#include "mainframe/edit_toolbar.h"
#include "mainframe/frame_core.h"
#include "shell/status_bar.h"
#include "text_view_frame.h"

class CConsoleView;
namespace sarvik {
class TargetSubscription;
}

namespace mainframe {

// Style bit of the frame: the title shows the active document's name.
inline constexpr DWORD FWS_ADDTOTITLE = 0x8000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;

// Bar ids (the toolbar resources and the commands are the shell's).
inline constexpr UINT ID_STANDARD_BAR = 0xE800;
inline constexpr UINT ID_BUILD_BAR = 0xE805;
inline constexpr UINT ID_DEBUG_BAR = 0xE807;
inline constexpr UINT ID_WORKSPACE_BAR = 103;
inline constexpr UINT ID_OUTPUT_BAR = 105;
inline constexpr UINT kFrameTimerId = 1;

// The message of an unreadable address text (also a command that does
// nothing).
inline constexpr UINT ID_INVALID_ADDRESS = 32820;

// Process-wide values the frame owns.
struct FrameGlobals {
    BOOL busyTransfer = FALSE;  // an image or a memory transfer is loading
    BOOL imageLoaded = TRUE;
    BOOL freezeViews = FALSE;  // WM_EMU_UPDATE_VIEWS drops all but kind 2
    int16_t accessSize = 2;
    DWORD runStateHigh = 0;  // bit 0x80 of the last run-state word
    DWORD keptPc = 0;        // the program counter of the last stop
};
FrameGlobals& Globals();

// The file of the user-defined button images (default: "User Buttons.bmp"
// in the program's folder). Returns the previous one.
std::string SetUserImagesFile(const std::string& path);
std::string UserImagesFile();

// The stop position of the process: the program counter of the last stop
// (or load) with its source file and line, and the previous stop's, taken
// at the start of each stop before anything is read.
struct StopPosition {
    ADDR pc{0, ADDR_SPACE_TARGET};
    std::string sourcePath;  // empty: none
    int line = -1;           // one-based, -1: none
    int word = 0;            // the source key the look-up found
    struct Previous {
        std::string file;
        uint32_t pc = 0;
        uint16_t space = ADDR_SPACE_TARGET;
        int line = -1;
    } previous;
};
StopPosition& CurrentStop();

class CMainFrame : public CCJMDIFrameWnd, public TextViewFrame {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The frame never shows the active document's name in its title.
    virtual BOOL PreCreateWindow(DWORD& style);
    // The menu table of `resourceId` is loaded first, so the creation's
    // module steps add their items to the menu the frame then shows.
    BOOL LoadFrame(UINT resourceId, CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    // Refused: events, every command during a transfer; then the core's
    // route while connected, then the frame's.
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // The idle update of the bars and panes, with the run state read once
    // for the whole update (RunStateShown).
    void OnIdleUpdateCmdUI() override;
    // The run state word (bit 0: running) the commands' and panes' states
    // follow. During the idle update: the target's at the update's start,
    // a stop whose announcement still waits in the queue counted as a run
    // (a semihosting call's handling runs the target on), so every button
    // of one update sees one state and the bars don't flip at each call of
    // a program that prints. Otherwise the target's own.
    DWORD RunStateShown() const;

    // The first successful connection: the connected flag goes to 1 and
    // stays; the ".inc" file kept from the command line goes to the
    // include handler (the command shell, once it exists).
    void OnConnected();
    using IncludeHandler = std::function<void(const std::string&)>;
    void SetIncludeHandler(IncludeHandler handler) { includeHandler_ = std::move(handler); }

    // Command 32803: connect (once), then load.
    void OnDebugConnect();
    BOOL ConnectDebugger();
    // The dock layout, the toolbars' states, the user bars and images.
    void SaveBarLayout();

    // The active project's image through the debugger core's loader with
    // the current load-option word (0 at once when not connected): the
    // loader's result; -27 brings up the target-lost prompt and answers 0.
    // Without `reloadOnly` a project would restore its debug state.
    LdrResult LoadProjectImage(BOOL reloadOnly);
    // WM_EMU_OPEN_IMAGE: the image's project (kept in memory), then its load.
    LRESULT OnOpenImage(WPARAM loadOption, LPARAM block);
    // The disassembly window at an address (nothing until it exists).
    void ShowDisassemblyAt(ADDR address);

    // What the text views read of the frame.
    bool IsConnected() const override { return m_bConnected != FALSE; }
    TextViewStop GetStopPosition() const override;
    bool GetFindText(std::string& text) const override;
    void AddFindText(const std::string& text) override;
    void GoToAssembly(const ADDR* from) override;
    int AddWatch(const std::string& expression) override;
    int OpenInspectWindow(const std::string& name) override;
    void ReportTargetConnectionLost() override;

    CSuperStatusBar& StatusBar() { return statusBar_; }
    CEditToolBar& EditToolBar() { return editBar_; }
    CBCGToolBar& StandardToolBar() { return standardBar_; }
    CBCGToolBar& BuildToolBar() { return buildBar_; }
    CBCGToolBar& DebugToolBar() { return debugBar_; }
    CCJTabCtrlBar& WorkspaceBar() { return workspaceBar_; }
    CCJTabCtrlBar& OutputBar() { return outputBar_; }
    FrameDebugCore* DebugCore() const { return core_.get(); }
    // The "Console" tab brought in front; null when its view isn't there.
    CConsoleView* ShowConsole();
    // The text put in the message pane at creation (empty: none).
    const std::string& StartMessage() const { return startMessage_; }
    DWORD Style() const { return style_; }

    BOOL m_bPoll = TRUE;
    BOOL m_bConnected = FALSE;
    UINT_PTR m_timerId = 0;

    DECLARE_DYNCREATE(CMainFrame)

protected:
    int OnCreate() override;
    void OnDestroy() override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;

private:
    BOOL CreateBars();
    void AddTab(CCJTabCtrlBar& bar, const char* label, const char* viewClass);
    void MapCommands();
    void MapMessages();
    void ToggleBar(CControlBar& bar);
    void CloseAllChildren();
    void UpdateIndicators();
    // Status pane 0 at the program's end (SYS_EXIT and the like): the
    // debugger's line for the end's reason, as the console shows it.
    void ShowProgramEnd();

    LRESULT OnUpdateViews(WPARAM kind, LPARAM param);
    void OnConsoleText(LPARAM block);
    void OnBreakpointsChanged(LPARAM address);
    LRESULT OnEmuRefresh();
    LRESULT OnSetPcLine(WPARAM wParam, LPARAM lParam);
    // The stop's source look-up (flag S of the stop display).
    bool FindStopSource(StopPosition& stop);
    bool ActiveIsDisassembly() const;
    bool PcIsAtMain(uint32_t pc) const;
    LRESULT OnEmuError(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddWatch(LPARAM block);
    LRESULT OnMemoryTest(WPARAM wParam, LPARAM lParam);  // frame_memory_test.cpp
    LRESULT OnSemihostIo(WPARAM wParam, LPARAM lParam);
    // While a semihosting read waits: refuses what would re-enter the
    // target (TRUE), lets Halt end the wait.
    BOOL FilterCommandWhileInputWaits(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info);

    CBCGToolBar standardBar_;
    CBCGToolBar debugBar_;
    CBCGToolBarImages userImages_;
    CBCGToolBar buildBar_;
    CSuperStatusBar statusBar_;
    CEditToolBar editBar_;
    CCJTabCtrlBar workspaceBar_;
    CCJTabCtrlBar outputBar_;
    std::unique_ptr<FrameDebugCore> core_;
    std::shared_ptr<CMenu> menu_;
    std::string startMessage_;
    DWORD style_ = 0;
    IncludeHandler includeHandler_;
    std::optional<DWORD> idleRunState_;  // during the idle update
    std::unique_ptr<sarvik::TargetSubscription> targetNotices_;
};

// The message that an address text can't be read (32820 over 32769).
void ReportInvalidAddress();

// Sees each piece of the program's output before the console shows it:
// the WM_EMU_SEMIHOST_IO kind (1 and 2 standard output, 3 and 4 standard
// error) and its text. Returns the previous tap.
using SemihostOutputTap = std::function<void(BYTE kind, std::string_view text)>;
SemihostOutputTap SetSemihostOutputTap(SemihostOutputTap tap);
// A semihosting read waits for the console's input line.
bool ConsoleInputWaits();

}  // namespace mainframe

using mainframe::CMainFrame;
