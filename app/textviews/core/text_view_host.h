// What the text engine needs from outside: its window (`TextViewHost`, which
// the text view's window class implements over the window layer) and the rest
// of the program (`TextViewServices`: settings, the document, the find box,
// and the marks the painter draws). Tests record both.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "emu_types.h"
#include "text_paint_record.h"

namespace textcore {

// Scroll bar codes (SB_) and bars of the window messages.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;

// Virtual keys the view handles.
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_APPS = 0x5D;

// Edge codes of `PointToTextPos` (the arrow keys' numbers).
inline constexpr int EDGE_NONE = 0;
inline constexpr int EDGE_LEFT = 37;
inline constexpr int EDGE_UP = 38;
inline constexpr int EDGE_RIGHT = 39;
inline constexpr int EDGE_DOWN = 40;

inline constexpr int kAutoScrollTimer = 9;
inline constexpr int kAutoScrollMs = 60;
inline constexpr int ID_GOTO_CURSOR = 32816;  // "Goto &Cursor\tF7"
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int kWheelDelta = 120;

struct CellMetrics {
    int charWidth = 0;   // average character width of the font
    int lineHeight = 0;  // height plus external leading
    int spaceWidth = 0;
};

class TextViewHost {
public:
    virtual ~TextViewHost() = default;
    virtual CellMetrics GetCellMetrics() = 0;
    virtual PaintRect GetClientRect() = 0;
    // Null: the whole client area.
    virtual void Invalidate(const PaintRect* rect, bool erase) = 0;
    virtual void UpdateWindow() = 0;
    // Scrolls the contents of `area` (null: the client area) by (dx, dy).
    virtual void ScrollWindow(int dx, int dy, const PaintRect* area) = 0;
    virtual void SetScrollRange(int bar, int minimum, int maximum) = 0;
    virtual void EnableScrollBar(int bar, bool enable) = 0;
    virtual void SetScrollPos(int bar, int pos) = 0;
    virtual void SetCaretPos(int x, int y) = 0;
    virtual void ShowCaret(bool show) = 0;
    virtual void SetCapture(bool capture) = 0;
    virtual bool HasCapture() = 0;
    virtual void SetTimer(int id, int ms) = 0;
    virtual void KillTimer(int id) = 0;
    // The pointer in client coordinates.
    virtual void GetCursorPos(int& x, int& y) = 0;
    // WM_COMMAND to the view through the command routing.
    virtual void SendCommand(int id) = 0;
    // Posts WM_RBUTTONDOWN at the point (the context menu at the caret).
    virtual void PostRButtonDown(int x, int y) = 0;
    virtual void MessageBeep(unsigned type) = 0;
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    virtual void SetClipboardText(const std::string& text) = 0;
};

// The program counter's stop position (the main frame keeps it).
struct PcLocation {
    std::string sourcePath;  // source file of the PC, or empty
    int line = -1;           // one-based, -1 none
    std::uint32_t address = 0;
};

class TextViewServices {
public:
    virtual ~TextViewServices() = default;
    // Settings record.
    virtual int MaxUndoLen() { return 4096; }
    virtual bool SmartEdit() { return true; }
    virtual bool ShowLineNumbers() { return false; }  // `LineNumbe`
    virtual bool CursorLink() { return false; }
    // The find box of the edit toolbar.
    virtual void AddFindText(const std::string& text) {}
    virtual std::string GetFindText() { return {}; }
    // The view's document.
    virtual bool HasDocument() { return false; }
    virtual std::string DocumentPath() { return {}; }
    virtual void SetModified() {}
    virtual void UpdateAllViews(int hint) {}
    // A source document read in part: asks it to read more (all: to its end).
    virtual bool IsPartlyLoaded() { return false; }
    virtual void ReadMoreLines(bool all) {}
    // The compiler kind of the loaded image (`LdrGetMachineType`), asked each time.
    virtual int CompilerKind() { return 0; }
    // Marks of the painter: the module of a source file (0 none), a one-based
    // line's address range, the breakpoint mark byte at an address, address text.
    virtual std::intptr_t FindModuleOfFile(const std::string& fileName) { return 0; }
    virtual bool GetLineAddrRange(int line, std::intptr_t module, ADDR& start, ADDR& end) { return false; }
    virtual int FindBreakpointMark(const ADDR& address) { return 0; }
    virtual bool TextToAddr(const std::string& text, ADDR& address) { return false; }
    virtual PcLocation GetPcLocation() { return {}; }
};

}  // namespace textcore
