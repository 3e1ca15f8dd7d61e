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
    OnCommand(ID_MEM_TOOLBAR, [this] { toolbarVisible = !toolbarVisible; });
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
    if (!placement.IsValid())
        return;
    SetStart(static_cast<uint16_t>(placement.Unit()), placement.StartAddress());
    ApplyFormatWords(placement.FormatWords());
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
    if (!view_ || !words)
        return;
    if (words[0] >= 1 && words[0] <= 4)
        view_->format = static_cast<Format>(words[0]);
    if (words[1] == 1 || words[1] == 2)
        view_->divisor = static_cast<int>(words[1]);
    view_->ascii = words[2] != 0;
    view_->SetTop(view_->Top());
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
    CCJMDIChildWnd::OnDestroy();
    view_ = nullptr;
    if (HWND main = Services().MainWindow())
        ::SendMessage(main, WM_EMU_VIEW_CLOSED, static_cast<WPARAM>(kind), 0);
}

}  // namespace regmem
