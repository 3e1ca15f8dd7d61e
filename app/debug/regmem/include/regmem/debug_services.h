// What the register and memory windows ask of the program around them: the
// main window that hears WM_EMU_UPDATE_VIEWS and WM_EMU_REFRESH, the lost
// target's prompt, the Watch window, the connection settings and the Edit
// toolbar's find text. The debug core installs its own; tests install a
// recorder. Without one nothing is sent and nothing is refused.
#pragma once

#include <string>

#include "emu_types.h"
#include "win_types.h"

namespace regmem {

class DebugServices {
public:
    virtual ~DebugServices() = default;
    // The main frame's window (null: nobody to tell).
    virtual HWND MainWindow() { return nullptr; }
    // The one target-lost prompt of the debug core.
    virtual void ReportTargetConnectionLost() {}
    // CDebugCore::AddWatch.
    virtual void AddWatch(const std::string& expression) {}
    // theSettings.Simulate: the connection is the simulator.
    virtual bool Simulate() { return false; }
    // Target memory and registers may not be touched now: the target runs
    // (CpuGetCpuStatus1 bit 0) and RunAccess is 0.
    virtual bool AccessRefused() { return false; }
    // The target library's access size in bytes (emuGetAccessSize; 4 when
    // it does not answer).
    virtual int AccessSize();
    // The Edit toolbar's find text (CEditToolBar::GetFindText).
    virtual std::string FindText() { return {}; }
    // Puts a text searched for into the Edit toolbar's find box.
    virtual void AddFindText(const std::string& text) {}
};

DebugServices& Services();
// Installs `services` (null: the default) and returns the previous ones.
DebugServices* SetServices(DebugServices* services);

// SendMessage(main window, WM_EMU_UPDATE_VIEWS, kind, parameter) when there
// is a main window.
void UpdateViews(int kind, LPARAM parameter = 0);
// The updates after target memory of `space` changed through the memory
// tools and dialogs: kind 4 with the space, then kind 7 (space 1), or kinds
// 8 and 9 (other spaces) when `all`; only kind 7 for space 1 otherwise.
void UpdateAfterMemoryWrite(uint16_t space, bool all);
// MessageBeep(0xFFFFFFFF) through the modal service.
void WarningBeep();
// The CPU model's byte order is big-endian (vexlor ProcReturnByteOrder).
bool TargetBigEndian();

}  // namespace regmem
