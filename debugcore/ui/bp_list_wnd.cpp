// The breakpoint list window.
#include "bp_list_wnd.h"

#include <morwen/morwen.h>
#include <platform/menu.h>
#include <platform/modal_ui.h>

#include "bp_text.h"
#include "core.h"
#include "emu_messages.h"
#include "sarvik/bp_windows.h"
#include "vexlor/vexlor.h"

namespace sarvik::ui {
namespace {

CBkptWnd* g_window = nullptr;
int g_open = 0;

constexpr UINT kTargetRunsMessage = 32773;
constexpr UINT kErrorCaption = 32769;

void SetStatus(BkptRow& row, bool enabled)
{
    row.image = enabled ? BPLIST_IMAGE_ENABLED : BPLIST_IMAGE_DISABLED;
    row.text[0] = enabled ? " Enabled" : " Disabled";
}

bool TargetRuns()
{
    return (CpuGetCpuStatus1() & 1u) != 0;
}

}  // namespace

IMPLEMENT_DYNCREATE(CBkptView, CView)
IMPLEMENT_DYNCREATE(CBkptWnd, CCJMDIChildWnd)

CBkptView::CBkptView()
{
    OnCommand(ID_BPLIST_REFRESH, [this] { Refresh(); });
    OnCommand(ID_BPLIST_ENABLE, [this] {
        if (selected_ >= 0 && TargetStopped()) {
            SetEnabled(selected_, true);
            Announce();
        }
    });
    OnCommand(ID_BPLIST_DISABLE, [this] {
        if (selected_ >= 0 && TargetStopped()) {
            SetEnabled(selected_, false);
            Announce();
        }
    });
    for (auto [command, state] : {std::pair{ID_BPLIST_ENABLE_ALL, true}, std::pair{ID_BPLIST_DISABLE_ALL, false}})
        OnCommand(command, [this, enable = state] {
            if (!TargetStopped())
                return;
            for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
                SetEnabled(i, enable);
            Announce();
        });
    OnCommand(ID_BPLIST_DELETE, [this] {
        if (selected_ < 0 || !TargetStopped())
            return;
        const ADDR addr = rows_[selected_].addr;
        BptClearBp(&addr, 0);
        // Every record at the address went: the rows come from the list again.
        Refresh();
        Announce();
    });
    OnCommand(ID_BPLIST_DELETE_ALL, [this] {
        if (!TargetStopped())
            return;
        const ADDR all{0, 0};
        BptClearBp(&all, 0);
        Refresh();
        Announce();
    });
    OnCommand(ID_BPLIST_ADD, [this] { BptOpenWindow(GetSafeHwnd(), ADDR{0, 0}); });
}

void CBkptView::Refresh()
{
    rows_.clear();
    for (const CBpDataEx* record : Core().breakpoints.Records()) {
        if (record->GetLife() == BPLIFE_TEMPORARY)
            continue;
        BkptRow row;
        row.addr = record->GetAddr();
        SetStatus(row, record->IsEnable() != 0);
        row.text[1] = AddressText(row.addr).value_or("");
        row.text[2] = "SW";
        if (ShowsSourcePosition(record->GetSymbol())) {
            const std::string position = SourcePosition(row.addr.off);
            // An address without a source line has no position to show.
            row.text[3] = position.empty() ? "No Symbole Information" : " " + position;
        } else {
            row.text[3] = "No Symbole Information";
        }
        rows_.push_back(std::move(row));
    }
    if (selected_ >= static_cast<int>(rows_.size()))
        selected_ = rows_.empty() ? -1 : static_cast<int>(rows_.size()) - 1;
    Invalidate();
}

bool CBkptView::TargetStopped()
{
    if (!TargetRuns())
        return true;
    ReportError(kTargetRunsMessage, kErrorCaption, MB_ICONINFORMATION);
    return false;
}

void CBkptView::SetEnabled(int row, bool enable)
{
    CBpDataEx* record = RecordOf(row);
    if (!record)
        return;
    // BptEnableBp acts on the first record at the address; a later record
    // there (another pass count) shares its planted break and changes alone.
    CBpData* first = nullptr;
    BptFindBp(&rows_[row].addr, rows_[row].addr, &first);
    if (first == record)
        BptEnableBp(&rows_[row].addr, 0, enable ? 1 : 0);
    else
        record->Enable(enable ? 1 : 0);
    SetStatus(rows_[row], enable);
    Invalidate();
}

CBpDataEx* CBkptView::RecordOf(int row) const
{
    int index = 0;
    for (CBpDataEx* record : Core().breakpoints.Records()) {
        if (record->GetLife() == BPLIFE_TEMPORARY)
            continue;
        if (index++ == row)
            return record->GetAddr() == rows_[row].addr ? record : nullptr;
    }
    return nullptr;
}

void CBkptView::Announce()
{
    SendToMain(WM_EMU_UPDATE_VIEWS, DVK_BREAKPOINTS, static_cast<LPARAM>(-1));
}

void CBkptView::OpenRow(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    BptOpenWindow(GetSafeHwnd(), rows_[row].addr);
}

void CBkptView::OnContextMenu(POINT point)
{
    auto menu = std::make_shared<platform::CMenu>();
    menu->AppendMenu(MF_STRING, ID_BPLIST_ENABLE, "Ena&ble");
    menu->AppendMenu(MF_STRING, ID_BPLIST_DISABLE, "D&isable");
    menu->AppendMenu(MF_STRING, ID_BPLIST_ENABLE_ALL, "E&nable All");
    menu->AppendMenu(MF_STRING, ID_BPLIST_DISABLE_ALL, "Disable A&ll");
    menu->AppendMenu(MF_STRING, ID_BPLIST_DELETE, "&Delete");
    menu->AppendMenu(MF_STRING, ID_BPLIST_ADD, "&Add");
    menu->AppendMenu(MF_STRING, ID_BPLIST_DELETE_ALL, "D&elete All");
    platform::PopupRequest request;
    request.owner = GetSafeHwnd();
    request.menu = menu.get();
    request.x = point.x;
    request.y = point.y;
    if (UINT id = platform::ShowPopupMenu(request))
        SendMessage(WM_COMMAND, id, 0);
}

CBkptWnd::CBkptWnd()
{
    OnCommand(ID_BPLIST_REFRESH, [this] {
        if (CBkptView* view = View())
            view->Refresh();
    });
}

BOOL CBkptWnd::OnCreateClient(CCreateContext* context)
{
    CCreateContext own;
    own.m_pNewViewClass = RUNTIME_CLASS(CBkptView);
    own.m_pCurrentFrame = this;
    CView* view = CreateView(context && context->m_pNewViewClass ? context : &own, AFX_IDW_PANE_FIRST);
    if (!view)
        return FALSE;
    SetActiveView(view, FALSE);
    return TRUE;
}

CBkptView* CBkptWnd::View() const
{
    for (CWnd* child : Children())
        if (auto* view = dynamic_cast<CBkptView*>(child))
            return view;
    return nullptr;
}

void CBkptWnd::OnDestroy()
{
    if (g_window == this) {
        g_window = nullptr;
        g_open = 0;
    }
    CCJMDIChildWnd::OnDestroy();
}

CBkptWnd* OpenBkptWnd()
{
    return g_open ? g_window : nullptr;
}

}  // namespace sarvik::ui

using sarvik::ui::CBkptWnd;

extern "C" void BptShowBpListW(int mode, CWnd* mdiParent)
{
    using namespace sarvik::ui;
    if (mode == 0) {
        if (g_open && g_window)
            g_window->PostMessage(WM_CLOSE);
        g_open = 0;
        return;
    }
    if (mode == 2) {
        if (g_open && g_window)
            g_window->PostMessage(WM_COMMAND, ID_BPLIST_REFRESH);
        return;
    }
    if (TargetRuns()) {
        ReportError(kTargetRunsMessage, kErrorCaption, MB_ICONINFORMATION);
        return;
    }
    if (g_open && g_window) {
        g_window->MDIActivate();
        g_window->PostMessage(WM_COMMAND, ID_BPLIST_REFRESH);
        return;
    }
    auto* window = new CBkptWnd;
    window->SetTitle("Breakpoints");
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CBkptView);
    if (!window->LoadFrame(0, mdiParent, &context)) {
        // A frame that was made deletes itself when it is destroyed.
        if (!window->IsDestroying())
            delete window;
        return;
    }
    window->SetWindowText("Breakpoints");
    g_window = window;
    g_open = 1;
    window->InitialUpdateFrame(nullptr, TRUE);
    window->SetWindowText("Breakpoints");
}
