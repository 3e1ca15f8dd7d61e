// The memory window's frame: Goto, refresh and its title, closing.
#include "regmem/memory_window.h"

#include <algorithm>

#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "regmem/debug_services.h"
#include "regmem/regmem_ids.h"

namespace regmem {

IMPLEMENT_DYNCREATE(CMemoryWindow, CCJMDIChildWnd)

CMemoryWindow::CMemoryWindow()
{
    OnCommand(ID_MEM_GOTO, [this] { Goto(); });
    OnMessage(WM_EMU_REFRESH, [this](WPARAM, LPARAM) {
        RefreshView();
        return 1;
    });
    OnCommand(ID_MEM_TOOLBAR, [this] {
        toolbarVisible = !toolbarVisible;
        if (toolbarChanged)
            toolbarChanged();
    });
    OnUpdate(ID_MEM_TOOLBAR,
             [this](CCmdUI* ui) { ui->SetText(toolbarVisible ? "&Hide Memory Toolbar" : "&View Memory Toolbar"); });
}

BOOL CMemoryWindow::OnCreateClient(CCreateContext* context)
{
    CCreateContext local;
    if (!context || !context->m_pNewViewClass) {
        if (context)
            local = *context;
        local.m_pNewViewClass = RUNTIME_CLASS(CMemoryView);
        context = &local;
    }
    view_ = dynamic_cast<CMemoryView*>(CreateView(context));
    if (!view_)
        return FALSE;
    SetActiveView(view_);
    return TRUE;
}

void CMemoryWindow::ApplyPlacement(const appdebug::DebugWindowPlacement& placement)
{
    // The start and the format words were taken when the core opened it.
    appdebug::ApplySavedPlacement(*this, GetMDIFrame(), placement);
}

void CMemoryWindow::SetStart(uint16_t unit, uint32_t address)
{
    if (!view_)
        return;
    if (unit >= 1 && unit <= 3)
        view_->unit = static_cast<Unit>(unit);
    view_->SetTop(address);
}

void CMemoryWindow::ApplyFormatWords(const uint32_t* words)
{
    if (words)
        SetColors(words[0], words[1], words[2]);
}

void CMemoryWindow::LayoutWords(uint32_t* words) const
{
    if (!view_) {
        words[0] = 0;
        words[1] = 1;
        return;
    }
    words[0] = view_->Top();
    words[1] = static_cast<uint32_t>(view_->unit);
    words[2] = view_->background;
    words[3] = view_->textColor;
    words[4] = view_->thirdColor;
}

void CMemoryWindow::SetColors(uint32_t background, uint32_t text, uint32_t third)
{
    if (!view_)
        return;
    if (background == text) {
        background = RGB(255, 255, 255);
        text = RGB(0, 0, 0);
    }
    view_->background = background;
    view_->textColor = text;
    view_->thirdColor = third;
    view_->Invalidate();
}

bool CMemoryWindow::Goto()
{
    ADDR addr;
    if (!view_ || AdrTextToAddr(addressText.c_str(), &addr, 1) != 1)
        return false;
    view_->SetTop(addr.off);
    RefreshView();
    return true;
}

void CMemoryWindow::RefreshView()
{
    if (!view_)
        return;
    view_->Refresh();
    char first[16] = "", last[16] = "";
    const uint32_t top = view_->Top();
    uint32_t end = top;
    if (view_->format == Format::Disassembly) {
        if (!view_->DisTable().empty())
            end = view_->DisTable().back().address;
    } else {
        const uint64_t bytes =
            static_cast<uint64_t>(view_->PageRows() - 1) * static_cast<uint64_t>(view_->BytesPerRow());
        end = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{top} + bytes - 1, 0xFFFFFFFFull));
    }
    AdrAddrToHex({top, view_->space}, first);
    AdrAddrToHex({end, view_->space}, last);
    SetWindowText(std::string("Memory:Program ") + first + "-" + last);
}

void CMemoryWindow::OnClose()
{
    if (view_) {
        keptTop = view_->Top();
        keptSpace = view_->space;
    }
    CCJMDIChildWnd::OnClose();
}

void CMemoryWindow::OnDestroy()
{
    // The next window of this kind opens where this one was, at its start,
    // unit and colours.
    if (kind >= DVK_MEMORY1 && kind <= DVK_MEMORY3) {
        appdebug::DebugWindowPlacement& saved = appdebug::g_windowPlacements[kind];
        appdebug::SaveWindowPlacement(*this, GetMDIFrame(), saved);
        LayoutWords(saved.words);
    }
    CCJMDIChildWnd::OnDestroy();
    view_ = nullptr;
    if (HWND main = Services().MainWindow())
        ::SendMessage(main, WM_EMU_VIEW_CLOSED, static_cast<WPARAM>(kind), 0);
}

}  // namespace regmem
