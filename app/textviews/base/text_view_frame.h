// What the main frame gives the text views: whether a target is connected,
// the stop position (source file, line, program counter), the debugger
// services the source editor's commands reach through it (Go to Assembly,
// the watch window, inspectors, the lost-target prompt), and the relays of
// the frame's handlers — every message before dispatch to the views' data
// tips, `WM_SETPCLINE` to every text view, and a breakpoint refresh (the
// kind-12 view update) as the update hint 0x01010101 to the documents the
// text views show. `CMainFrame` implements it and calls the relays; tests
// play the frame with a fake.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emu_types.h"
#include "platform/runtime_class.h"
#include "platform/win32.h"

class CBaseView;

// The stop position the main frame keeps after every stop and load.
struct TextViewStop {
    std::string sourcePath;  // source file of the PC, or empty
    int line = -1;           // one-based, -1 none
    std::uint32_t pc = 0;
    std::string previousPath;  // source file of the stop before, or empty
};

// The update hint of breakpoint marks near an address (offset -1: all).
inline constexpr LPARAM kHintBreakpoints = 0x01010101;

// The object of hint 0x01010101: the address whose marks changed.
class CBreakpointHint : public CObject {
public:
    explicit CBreakpointHint(ADDR address) : address(address) {}
    ADDR address;
};

class TextViewFrame {
public:
    virtual ~TextViewFrame();
    virtual bool IsConnected() const = 0;
    virtual TextViewStop GetStopPosition() const = 0;
    // The find box of the "Edit" toolbar: its text (true when not empty),
    // and its history, to which each searched text is added.
    virtual bool GetFindText(std::string& text) const = 0;
    virtual void AddFindText(const std::string& text) = 0;

    // --- The debugger's services (a frame without a debugger core answers
    // as below: nothing done) --------------------------------------------
    // Go to Assembly: the disassembly window opens (or comes to the top);
    // with an address, its view disassembles from there.
    virtual void GoToAssembly(const ADDR* from) {}
    // `CDebugCore::AddWatch`: the watch window opens or comes up and the
    // expression is added; 1 when done, 0 without a debugger core.
    virtual int AddWatch(const std::string& expression) { return 0; }
    // `CDebugCore::OpenInspectWindow`: a floating inspector titled
    // "Inspect-" + name; 1 when done, 0 without a debugger core.
    virtual int OpenInspectWindow(const std::string& name) { return 0; }
    // A symbol query answered -27: the fatal target prompt (Abort closes the
    // main frame); nothing without a debugger core.
    virtual void ReportTargetConnectionLost() {}

    // Text views reach the relays while they live (`CBaseView` registers
    // itself on creation and leaves on destruction).
    void AddView(CBaseView* view);
    void RemoveView(CBaseView* view);
    const std::vector<CBaseView*>& Views() const { return views_; }

    // Every message the frame is about to dispatch, to every text view's
    // data-tip handling (`CBaseView::RelayDataTipEvent`).
    void RelayDataTipEvent(const MSG& msg);
    // `WM_SETPCLINE` (wParam low byte: address space, 0 clears; lParam: the
    // address) sent to every text view; returns 1.
    LRESULT RelaySetPcLine(WPARAM wParam, LPARAM lParam);
    // Hint 0x01010101 with the address to every document a text view shows
    // (each once); a view without a document gets the update itself.
    void RelayBreakpointRefresh(std::uint32_t address);

private:
    std::vector<CBaseView*> views_;
};

// The frame of the process (null: none, the views see no connection and no
// stop position).
TextViewFrame* GetTextViewFrame();
// Installs `frame`; returns the previous one.
TextViewFrame* SetTextViewFrame(TextViewFrame* frame);
