// CCpuView: rows, layout, painting, refresh, editing and scrolling.
#include "regmem/cpu_view.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <platform/menu.h>
#include <platform/modal_ui.h>

#include "emu_messages.h"
#include "lathris/tab_bar.h"
#include "morwen/morwen.h"
#include "regmem/debug_services.h"
#include "regmem/register_wnd.h"
#include "regmem/regmem_ids.h"
#include "vexlor/vexlor.h"

namespace regmem {

namespace {

int gDisplayBase = 0;

constexpr int kMargin = 6;
// A value cell is 68 pixels, columns 84 apart, in the system's variable
// font; a wider font widens both so that the widest value text fits.
constexpr int kValueWidth = 68;
constexpr int kColumnSpace = 16;

}  // namespace

int RegisterDisplayBase()
{
    return gDisplayBase;
}

void SetRegisterDisplayBase(int base)
{
    gDisplayBase = base ? 1 : 0;
}

IMPLEMENT_DYNCREATE(CCpuView, CDockableView)

CCpuView::CCpuView()
{
    OnCommand(ID_REG_REFRESH, [this] { Refresh(); });
    OnCommand(ID_REG_VIEW_HEX, [this] {
        if (gDisplayBase != 0) {
            gDisplayBase = 0;
            Invalidate();
        }
    });
    OnUpdateCommandUI(ID_REG_VIEW_HEX, [](CCmdUI* ui) { ui->SetCheck(gDisplayBase == 0); });
    OnCommand(ID_REG_VIEW_DECIMAL, [this] {
        if (gDisplayBase != 1) {
            gDisplayBase = 1;
            Invalidate();
        }
    });
    OnUpdateCommandUI(ID_REG_VIEW_DECIMAL, [](CCmdUI* ui) { ui->SetRadio(gDisplayBase == 1); });
    OnCommand(ID_REG_DOCK_TOGGLE, [this] { RequestDockToggle(CRegisterWnd::Current()); });
    OnCommand(ID_REG_REMOVE_FROM_WORKSPACE, [this] { RemoveFromWorkspace(); });
    OnCommand(ID_REG_ADD_WATCH, [this] {
        if (selected_ >= 0 && selected_ < static_cast<int>(rows_.size()))
            Services().AddWatch("@(" + rows_[static_cast<size_t>(selected_)].name + ")");
    });
}

void CCpuView::BuildRows()
{
    rows_.clear();
    widest_ = 0;
    DWORD first = 0, count = 0;
    for (BYTE g = 0; g < group_; ++g) {
        DWORD n = 0;
        if (CpuGetNumRegs(&n, g) == 0)
            first += n;
    }
    if (CpuGetNumRegs(&count, group_) != 0)
        return;
    int nameChars = 0;
    for (DWORD i = first; i < first + count; ++i) {
        char name[64] = "";
        WORD aux = 0, kind = 0, width = 0;
        if (CpuGetRegisterInfo(i, name, sizeof name, &aux, &kind, &width) != 0)
            continue;
        rows_.push_back({name, static_cast<WORD>(i), aux, 0, width});
        if (kind != 0)
            rows_.push_back({name, static_cast<WORD>(i), static_cast<WORD>(aux + 1), kind, kind});
        widest_ = std::max<WORD>(widest_, std::max(width, kind));
        const int len = static_cast<int>(std::string(name).size());
        if (len + 1 > nameChars)
            nameChars = len + len / 2 + 1;
    }
    const SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    nameW_ = nameChars * static_cast<int>(cell.cx);
    rowH_ = static_cast<int>(cell.cy) + 2;
    // "0x%08X", or the widest decoded text.
    const int valueChars = std::max<int>(10, widest_);
    valueW_ = std::max(kValueWidth, valueChars * static_cast<int>(cell.cx) + 4);
}

int CCpuView::ReadValues(std::vector<DWORD>& values) const
{
    values.resize(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        values[i] = rows_[i].index;
    return values.empty() ? 0 : CpuGetAllRegs(group_, static_cast<DWORD>(values.size()), values.data());
}

int CCpuView::OnCreate()
{
    BuildRows();
    if (const int r = ReadValues(current_); r != 0) {
        if (r == EMU_TARGET_LOST)
            Services().ReportTargetConnectionLost();
        current_.clear();
        return -1;
    }
    previous_ = current_;
    edit_ = {};
    selected_ = 0;
    return 0;
}

void CCpuView::Refresh()
{
    std::vector<DWORD> fresh;
    if (const int r = ReadValues(fresh); r != 0) {
        // The values on screen stay what they were.
        ReportError(static_cast<UINT>(r), ERR_CAPTION, MB_ICONHAND);
        return;
    }
    // A value cell shows its value and whether it differs from the one
    // before: those that change either are repainted.
    std::vector<RECT> cells;
    const bool sameRows = fresh.size() == current_.size() && previous_.size() == current_.size();
    if (sameRows) {
        const std::vector<Cells> layout = Layout();
        for (size_t i = 0; i < fresh.size() && i < layout.size(); ++i)
            if (fresh[i] != current_[i] || current_[i] != previous_[i])
                cells.push_back(layout[i].value);
    }
    previous_ = current_;
    current_ = std::move(fresh);
    if (sameRows && cells.empty())
        return;
    refreshed_ = std::move(cells);
    Invalidate();
    refreshed_.clear();
}

std::vector<CCpuView::Cells> CCpuView::Layout() const
{
    RECT client;
    GetClientRect(&client);
    std::vector<Cells> cells;
    int x = kMargin - hScroll_, y = kMargin;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (y + rowH_ > client.bottom && y != kMargin) {
            x += nameW_ + valueW_ + kColumnSpace;
            y = kMargin;
        }
        Cells c;
        c.name = {x, y, x + nameW_, y + rowH_};
        c.value = {x + nameW_ + 4, y, x + nameW_ + 4 + valueW_, y + rowH_};
        cells.push_back(c);
        y += rowH_ + 2;
    }
    return cells;
}

int CCpuView::HitTest(POINT p) const
{
    const std::vector<Cells> cells = Layout();
    for (size_t i = 0; i < cells.size(); ++i) {
        const RECT& n = cells[i].name;
        if (p.x >= n.left && p.x < n.right && p.y >= n.top && p.y < n.bottom)
            return static_cast<int>(i) + 0x100;
        const RECT& v = cells[i].value;
        if (p.x >= v.left - 2 && p.x < v.right + 2 && p.y >= v.top - 2 && p.y < v.bottom + 2)
            return static_cast<int>(i);
    }
    return -1;
}

bool CCpuView::ValueText(int row, std::string& text) const
{
    const Row& r = rows_[static_cast<size_t>(row)];
    const DWORD value = current_[static_cast<size_t>(row)];
    char buffer[80];
    if (r.decodeKind == 0) {
        DWORD width = 0;
        if (CpuGetRegisterWidth(r.index, &width) != 0)
            return false;
        if (gDisplayBase == 1)
            std::snprintf(buffer, sizeof buffer, "%u", value);
        else
            std::snprintf(buffer, sizeof buffer, "0x%0*X", static_cast<int>(((width & 0xFF) + 3) / 4), value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%08X", value);
        if (CpuGetRegisterValueText(r.index, r.decodeKind, buffer, 65) != 0)
            return false;
    }
    text = buffer;
    return true;
}

void CCpuView::Paint(CDC& dc) const
{
    RECT client;
    GetClientRect(&client);
    dc.FillSolidRect(client, kRegGridBackground);
    const std::vector<Cells> cells = Layout();
    for (size_t i = 0; i < rows_.size(); ++i) {
        const bool selected = static_cast<int>(i) == selected_;
        dc.FillSolidRect(cells[i].name, selected ? kRegSelectedFace : kRegNameFace);
        dc.SetTextColor(selected ? kRegSelectedText : kRegNameText);
        dc.TextOut(cells[i].name.left + 2, cells[i].name.top + 1, rows_[i].name);
        std::string text;
        if (!ValueText(static_cast<int>(i), text))
            return;
        dc.FillSolidRect(cells[i].value, current_[i] != previous_[i] ? kRegChanged : kRegUnchanged);
        dc.SetTextColor(kRegValueText);
        dc.TextOut(cells[i].value.left + 2, cells[i].value.top + 1, text);
    }
}

void CCpuView::StartEdit(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    const Row& r = rows_[static_cast<size_t>(row)];
    const DWORD value = current_[static_cast<size_t>(row)];
    char text[80];
    int limit = 10;
    if (r.decodeKind == 0) {
        std::snprintf(text, sizeof text, gDisplayBase == 1 ? "%u" : "0x%08X", value);
    } else {
        std::snprintf(text, sizeof text, "%08X", value);
        if (CpuGetRegisterValueText(r.index, r.decodeKind, text, 65) != 0)
            return;
        limit = static_cast<int>(std::string(text).size());
    }
    editRow_ = row;
    RECT cell = Layout()[static_cast<size_t>(row)].value;
    edit_.rect = {cell.left - 1, cell.top - 1, cell.right + 1 - 3, cell.bottom + 1};
    edit_.text = text;
    edit_.limit = limit;
    edit_.visible = true;
    Invalidate();
}

void CCpuView::CancelEdit()
{
    edit_.visible = false;
    editRow_ = -1;
    Invalidate();
}

void CCpuView::EndEdit(const std::string& typed)
{
    if (!edit_.visible || editRow_ < 0 || editRow_ >= static_cast<int>(rows_.size()))
        return;
    edit_.visible = false;
    const int row = editRow_;
    editRow_ = -1;
    const Row& r = rows_[static_cast<size_t>(row)];
    std::string text = typed;
    int base = gDisplayBase == 1 ? 10 : 16;
    if (r.decodeKind != 0) {
        if (CpuSetRegisterValueText(r.index, r.decodeKind, &text) != 0)
            return;
        base = 16;
    }
    // An unsigned number of at most 32 bits, then only white space.
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = *begin == '-' || *begin == '+' ? 0 : std::strtoull(begin, &end, base);
    bool ok = end && end != begin && errno == 0 && value <= 0xFFFFFFFFull;
    for (const char* p = end; ok && *p; ++p)
        ok = *p == ' ' || *p == '\t' || *p == '\r' || *p == '\n';
    if (!ok) {
        WarningBeep();
        return;
    }
    const int result = CpuSetRegister(r.index, static_cast<DWORD>(value));
    if (result == 0) {
        if (HWND main = Services().MainWindow()) {
            if (row == 15) {
                ::SendMessage(main, WM_EMU_REFRESH, 0, 0);
            } else {
                for (int kind : {DVK_REGISTERS, DVK_WATCH, DVK_CALL_STACK})
                    ::SendMessage(main, WM_EMU_UPDATE_VIEWS, static_cast<WPARAM>(kind), 0);
            }
        }
        return;
    }
    if (result == EMU_TARGET_LOST)
        Services().ReportTargetConnectionLost();
    WarningBeep();
}

int CCpuView::ScrollRange() const
{
    RECT client;
    GetClientRect(&client);
    const int h = static_cast<int>(client.Height());
    int perColumn = std::max(1, (h - kMargin) / (rowH_ + 2));
    if (h - (rowH_ + 2) * perColumn - kMargin > rowH_)
        ++perColumn;
    const int count = static_cast<int>(rows_.size());
    const int columns = (count + perColumn - 1) / perColumn;
    const int content = (nameW_ + valueW_ + kColumnSpace) * columns + kMargin;
    return std::max(0, content - static_cast<int>(client.Width()));
}

void CCpuView::SetHorizontal(int offset)
{
    hScroll_ = std::clamp(offset, 0, ScrollRange());
    SCROLLINFO info;
    info.fMask = 0x17;
    info.nMax = ScrollRange();
    info.nPos = hScroll_;
    SetScrollInfo(SB_HORZ, info);
    Invalidate();
}

void CCpuView::OnSize(UINT, int, int)
{
    SetHorizontal(hScroll_);
}

void CCpuView::OnHScroll(UINT code, UINT pos)
{
    const int page = nameW_ + valueW_ + kColumnSpace;
    switch (code) {
    case SB_LINELEFT: SetHorizontal(hScroll_ - 1); break;
    case SB_LINERIGHT: SetHorizontal(hScroll_ + 1); break;
    case SB_PAGELEFT: SetHorizontal(hScroll_ - page); break;
    case SB_PAGERIGHT: SetHorizontal(hScroll_ + page); break;
    case SB_THUMBPOSITION: SetHorizontal(static_cast<int>(pos)); break;
    case SB_LEFT: SetHorizontal(0); break;
    case SB_RIGHT: SetHorizontal(ScrollRange()); break;
    default: break;
    }
}

void CCpuView::OnLButtonDown(UINT, POINT point)
{
    SetFocus();
    const int hit = HitTest(point);
    if (hit < 0x100)
        return;
    selected_ = hit - 0x100;
    Invalidate();
    platform::DragRequest drag;
    drag.source = GetSafeHwnd();
    drag.text = "@(" + rows_[static_cast<size_t>(selected_)].name + ")";
    drag.allowedEffects = 7;
    platform::StartDragDrop(drag);
}

void CCpuView::OnLButtonDblClk(UINT, POINT point)
{
    const int hit = HitTest(point);
    if (hit >= 0 && hit < 0x100)
        StartEdit(hit);
}

void CCpuView::OnContextMenu(POINT point)
{
    CMenu menu;
    menu.AppendMenu(MF_STRING, ID_REG_REFRESH, "&Refresh");
    menu.AppendMenu(MF_STRING | (gDisplayBase == 0 ? MF_CHECKED : 0), ID_REG_VIEW_HEX, "View &Hex");
    menu.AppendMenu(MF_STRING | (gDisplayBase == 1 ? MF_CHECKED : 0), ID_REG_VIEW_DECIMAL, "View &Decimal");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_REG_ADD_WATCH, "Add &Watch");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_REG_DOCK_TOGGLE, m_nFloating == 1 ? "Dock &View" : "Float &View");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CCpuView::RemoveFromWorkspace()
{
    auto* main = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(Services().MainWindow()));
    if (!main)
        return;
    // The workspace bar is the main frame's tab bar that holds the view.
    for (CControlBar* bar : std::vector<CControlBar*>(main->ControlBars())) {
        auto* tabs = dynamic_cast<CCJTabCtrlBar*>(bar);
        if (!tabs || !tabs->GetView(RUNTIME_CLASS(CCpuView)))
            continue;
        tabs->DeleteView(RUNTIME_CLASS(CCpuView));
        if (const CRuntimeClass* symbols = CRuntimeClass::FromName("CTreeViewSymbol"))
            tabs->SetActiveView(symbols);
        return;
    }
}

}  // namespace regmem
