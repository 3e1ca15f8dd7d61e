// CMemoryWindow: the MDI child frame of one memory view (kinds 4, 5, 6),
// with the "Memory Toolbar" (197): the address combo 32903 and Goto 32904.
#pragma once

#include <string>

#include "lathris/frame.h"
#include "regmem/memory_view.h"

namespace regmem {

class CMemoryWindow : public CCJMDIChildWnd {
public:
    CMemoryWindow();
    BOOL OnCreateClient(CCreateContext* context) override;
    CMemoryView* View() const { return view_; }
    int kind = 4;  // DVK_MEMORY1..3
    // The address combo's text (the toolbar's widget keeps it here).
    std::string addressText;
    bool toolbarVisible = true;
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
