// CMemoryWindow: the MDI child frame of one memory view (kinds 4, 5, 6),
// with the "Memory Toolbar" (197): the address combo 32903 and Goto 32904.
#pragma once

#include <functional>
#include <string>

#include "appdebug/debug_window.h"
#include "lathris/frame.h"
#include "regmem/memory_view.h"

namespace regmem {

class CMemoryWindow : public CCJMDIChildWnd, public appdebug::DebugWindow {
public:
    CMemoryWindow();
    // The debugger core's view of the window.
    int Kind() const override { return kind; }
    HWND Window() const override { return m_hWnd; }
    bool IsVisible() const override { return GetHost() && GetHost()->IsVisible(); }
    void BringToTop() override { Show(); }
    void Show() override
    {
        if (GetHost())
            GetHost()->ShowWindow(SW_SHOW);
    }
    void ApplyPlacement(const appdebug::DebugWindowPlacement& placement) override;
    void Destroy() override { DestroyWindow(); }
    // unit: 1 byte, 2 half word, 3 word (0 keeps the view's).
    void SetStart(uint16_t unit, uint32_t address) override;
    // The saved format words: background, text and third colour word.
    void ApplyFormatWords(const uint32_t* words) override;
    // Start address, display unit, background, text and third colour word.
    void LayoutWords(uint32_t* words) const override;
    void SetColors(uint32_t background, uint32_t text, uint32_t third) override;
    int ViewSpace() const override { return view_ ? view_->space : 0; }
    HWND ActiveViewWindow() const override { return view_ ? view_->GetSafeHwnd() : m_hWnd; }
    BOOL OnCreateClient(CCreateContext* context) override;
    CMemoryView* View() const { return view_; }
    int kind = 4;  // DVK_MEMORY1..3
    // The address combo's text (the toolbar's widget keeps it here).
    std::string addressText;
    bool toolbarVisible = true;
    // Called when the toolbar command changed `toolbarVisible` (the frame's
    // widget shows or hides its bar).
    std::function<void()> toolbarChanged;
    // Goto: the combo's text as an address; a text dolmer refuses leaves
    // the view where it is. True when the view moved.
    bool Goto();
    // Re-read, redraw and retitle ("Memory:Program 0x00008000-0x000080FF").
    void RefreshView();
    // Kept at WM_CLOSE for the next window of this kind.
    uint32_t keptTop = 0;
    uint16_t keptSpace = ADDR_SPACE_TARGET;

    DECLARE_DYNCREATE(CMemoryWindow)

protected:
    void OnClose() override;
    void OnDestroy() override;

private:
    CMemoryView* view_ = nullptr;
};

}  // namespace regmem
