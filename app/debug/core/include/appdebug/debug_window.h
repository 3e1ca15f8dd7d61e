// What the debugger core needs of the main frame and of the debug windows it
// owns. The main frame and the window classes implement these; tests use
// stand-ins. The core holds no toolkit object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "emu_types.h"
#include "platform/gdi.h"
#include "win_types.h"

namespace platform {
class CWnd;
}

namespace appdebug {

// Window style of a debug MDI child: WS_CHILD | WS_OVERLAPPEDWINDOW.
inline constexpr DWORD kDebugChildStyle = 0x40CF0000;
// A floating inspector: WS_VISIBLE | WS_CAPTION | WS_SYSMENU | MFS_THICKFRAME.
inline constexpr DWORD kInspectorStyle = 0x10C80400;

// One saved window placement: a window placement (valid when `length` is
// non-zero; its rectangle in client coordinates of the main window) and six
// per-window words, in the order of the window layout block: memory windows
// keep their start address, display unit and three format words (background,
// text and third colour word) there. 68 bytes.
struct DebugWindowPlacement {
    int32_t length = 0;
    int32_t flags = 0;
    int32_t showCmd = 0;
    int32_t minPosition[2] = {};
    int32_t maxPosition[2] = {};
    int32_t normalPosition[4] = {};  // left, top, right, bottom
    uint32_t words[6] = {};

    bool IsValid() const { return length != 0; }
    // Memory windows.
    uint32_t StartAddress() const { return words[0]; }
    uint32_t Unit() const { return words[1] & 0xFFFF; }
    const uint32_t* FormatWords() const { return words + 2; }
};
static_assert(sizeof(DebugWindowPlacement) == 68);

// The placement of `frame` as a saved record: flags 2 when maximised, the
// rectangle's corner in client coordinates of `mainWindow`; the words stay.
// False (nothing changed) when the window keeps no placement.
bool SaveWindowPlacement(const platform::CWnd& frame, const platform::CWnd* mainWindow, DebugWindowPlacement& out);
// Gives `frame` a valid saved record's placement; false otherwise.
bool ApplySavedPlacement(platform::CWnd& frame, const platform::CWnd* mainWindow, const DebugWindowPlacement& saved);

inline constexpr int kPlacementCount = 18;  // DebugViewKind 0 to 17
// The saved placements, zeroed by the debugger core's constructor and
// filled by the window layout block.
extern DebugWindowPlacement g_windowPlacements[kPlacementCount];

// A debug window the core opened and keeps. The window deletes its object
// when it is destroyed (after it told the main frame WM_EMU_VIEW_CLOSED);
// the core only forgets it then.
class DebugWindow {
public:
    virtual ~DebugWindow() = default;
    // The DebugViewKind it was made for.
    virtual int Kind() const = 0;
    virtual HWND Window() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void BringToTop() = 0;
    virtual void Show() = 0;  // SW_SHOW
    virtual void ApplyPlacement(const DebugWindowPlacement& placement) = 0;
    // Destroys the window; its object is gone afterwards.
    virtual void Destroy() = 0;

    // Memory windows: the start, the format words of a saved record
    // (background, text and third colour word) and the memory space its
    // active view shows (the refresh selector).
    virtual void SetStart(uint16_t unit, uint32_t address) {}
    virtual void ApplyFormatWords(const uint32_t* words) {}
    virtual int ViewSpace() const { return 0; }
    // The words the window layout block keeps of it: a memory window gives
    // its start address, display unit, background, text and third colour
    // word in words 0 to 4; the Bit window its view's two words in 2 and 3.
    // Others leave the words as they are.
    virtual void LayoutWords(uint32_t* words) const {}
    // A memory window's colours from a layout record; equal background and
    // text colours give white and black.
    virtual void SetColors(uint32_t background, uint32_t text, uint32_t third) {}
    // The active view's window (refresh commands go there); the frame's
    // window when it has none.
    virtual HWND ActiveViewWindow() const { return Window(); }
};

// Which frame is the main frame's active MDI child.
enum class ChildFrameKind { None, Source, Disassembly, Other };

// The main frame as the debugger core sees it.
class DebugFrame {
public:
    virtual ~DebugFrame() = default;
    // Receives WM_EMU_BUSY, WM_EMU_REFRESH, WM_EMU_UPDATE_VIEWS, WM_CLOSE.
    virtual HWND FrameWindow() const = 0;
    // Set after ConnectTarget returned TRUE.
    virtual bool IsConnected() const = 0;
    virtual ChildFrameKind ActiveChildKind() const = 0;
    // The address of the caret's line in the active disassembly child;
    // false when there is none.
    virtual bool ActiveChildCursorAddress(ADDR* out) const = 0;
    // The active source child's caret: the one-based line at the caret of
    // its active view and its document's path; false when there is none.
    virtual bool ActiveSourceCaret(int& line, std::string& path) const { return false; }
    // Creates a debug window of the kind as an MDI child (title, style,
    // default rectangle); null when no window class of the kind is known.
    virtual DebugWindow* CreateDebugWindow(int kind, const std::string& title, DWORD style) = 0;
    // WM_MDIACTIVATE with the window, then WM_MDIREFRESHMENU.
    virtual void ActivateChild(DebugWindow* window) = 0;
    // The MDI frame window the breakpoint list opens in; null without one.
    virtual platform::CWnd* MdiFrame() const { return nullptr; }
    // The memory tools' modal sheet over the frame; nothing without one.
    virtual void RunMemoryTools() {}
    // The run state (CpuGetCpuStatus1's word) the frame shows, when it
    // shows one of its own (a stop whose handling is still queued counts as
    // a run): the core's commands then follow it. False: the target's own.
    virtual bool ShownRunState(DWORD& state) const { return false; }
};

}  // namespace appdebug
