#include "popup_tip_wnd.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CPopupTipWnd, CWnd)

namespace {

// Width and height a tip's text adds to its widest line and its lines.
constexpr int kTipExtraWidth = 15;
constexpr int kTipExtraHeight = 4;

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        const size_t lf = text.find('\n', from);
        lines.push_back(text.substr(from, lf == std::string::npos ? std::string::npos : lf - from));
        if (lf == std::string::npos)
            return lines;
        from = lf + 1;
    }
}

}  // namespace

SIZE TipSizeForLines(const std::vector<int>& lineWidths, int lineHeight)
{
    int widest = 0;
    for (int w : lineWidths)
        widest = std::max(widest, w);
    const int lines = static_cast<int>(std::max<size_t>(lineWidths.size(), 1));
    return {widest + kTipExtraWidth, lines * lineHeight + kTipExtraHeight};
}

RECT PlaceTipBelowPointer(POINT pointer, SIZE tip, RECT parent)
{
    LONG left = pointer.x;
    LONG top = pointer.y + kTipPointerGap;
    if (left + tip.cx > parent.right)
        left = parent.right - tip.cx;
    if (top + tip.cy > parent.bottom)
        top = pointer.y - tip.cy;  // above the pointer
    left = std::max<LONG>({left, parent.left, 0});
    top = std::max<LONG>({top, parent.top, 0});
    return {left, top, left + tip.cx, top + tip.cy};
}

bool IsTipHidingMessage(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return true;
    default: return false;
    }
}

BOOL CPopupTipWnd::CreateTip(CWnd* parent, const RECT& rect)
{
    rect_ = rect;
    return Create(parent, 0, {});
}

int CPopupTipWnd::OnCreate()
{
    // The owner's widget makes the tip's widget when it learns of it (or
    // when it is made after the tip).
    if (CWnd* parent = GetParent(); parent && parent->GetHost())
        parent->GetHost()->Notify(platform::HostEvent::ChildAdded, this);
    return CWnd::OnCreate();
}

PopupTipHost* CPopupTipWnd::TipHost() const
{
    return dynamic_cast<PopupTipHost*>(GetHost());
}

SIZE CPopupTipWnd::MeasureText(const std::string& text) const
{
    const std::vector<std::string> lines = SplitLines(text);
    std::vector<int> widths;
    widths.reserve(lines.size());
    if (PopupTipHost* host = TipHost()) {
        for (const std::string& line : lines)
            widths.push_back(host->TextWidth(line));
        return TipSizeForLines(widths, host->LineHeight());
    }
    const SIZE cell = GetHost() ? GetHost()->CellSize() : SIZE{8, 16};
    for (const std::string& line : lines)
        widths.push_back(static_cast<int>(line.size()) * static_cast<int>(cell.cx));
    return TipSizeForLines(widths, static_cast<int>(cell.cy));
}

void CPopupTipWnd::ShowTipAt(POINT pointer, const std::string& text)
{
    if (text.empty()) {
        HideTip();
        return;
    }
    SetWindowText(text);
    RECT parent{0, 0, 0x7FFF, 0x7FFF};
    if (CWnd* owner = GetParent())
        owner->GetWindowRect(&parent);
    SetTipRect(PlaceTipBelowPointer(pointer, MeasureText(text), parent));
    ShowTip();
}

void CPopupTipWnd::SetTipRect(const RECT& rect)
{
    rect_ = rect;
    if (PopupTipHost* host = TipHost())
        host->SetScreenRect(rect);
    Invalidate();
}

void CPopupTipWnd::ShowTip()
{
    ShowWindow(SW_SHOWNOACTIVATE);
    Invalidate();
}

void CPopupTipWnd::HideTip()
{
    if (IsWindowVisible())
        ShowWindow(SW_HIDE);
}

const std::string& CPopupTipWnd::PaintText()
{
    m_text = GetWindowText();
    return m_text;
}
