// Data tips of the source editor: while the setting DataTip is on and the
// target is connected, a variable under a resting pointer shows its value
// in the view's tip window. The main frame relays every message before it is
// dispatched: mouse moves arm the tip timer, keys and buttons hide the tip.
// The timer (1300, 55 ms) asks the symbol library whether the word under the
// pointer is a variable; after 15 ticks at rest the tip is shown.
#include <algorithm>

#include "platform/frame_wnd.h"
#include "platform/modal_ui.h"
#include "platform/win_app.h"
#include "qedit_view.h"
#include "shell/settings.h"
#include "text_columns.h"

namespace editor {

namespace {

inline constexpr int kTargetLost = -27;

// The window and screen point of the last mouse move the relay kept: one
// for the process, shared by every source view.
struct LastMove {
    HWND window = nullptr;
    POINT point{-1, -1};
};

LastMove& Last()
{
    static LastMove last;
    return last;
}

bool SamePoint(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

// The screen point of a mouse move: WM_NCMOUSEMOVE carries it, WM_MOUSEMOVE
// carries the point in its window's client area.
POINT ScreenPointOf(const MSG& msg)
{
    POINT point{static_cast<short>(LOWORD(static_cast<uintptr_t>(msg.lParam))),
                static_cast<short>(HIWORD(static_cast<uintptr_t>(msg.lParam)))};
    if (msg.message == WM_MOUSEMOVE)
        if (CWnd* window = CWnd::FromHandle(msg.hwnd))
            window->ClientToScreen(&point);
    return point;
}

}  // namespace

HWND CQEditView::LastTipWindow()
{
    return Last().window;
}

POINT CQEditView::LastTipPoint()
{
    return Last().point;
}

std::string CQEditView::DataTipText(const std::string& name, const std::string& value)
{
    std::string text = name + "=" + value;
    return text.size() > kDataTipMaxText ? value : text;
}

bool CQEditView::DataTipsOn() const
{
    const TextViewFrame* frame = GetTextViewFrame();
    return theSettings.DataTip != 0 && frame && frame->IsConnected();
}

POINT CQEditView::PointerPos() const
{
    if (TextWindowHost* host = TextHost())
        return host->CursorPos();
    return lastPointer;
}

void CQEditView::RelayDataTipEvent(const MSG& msg)
{
    if (IsTipHidingMessage(msg.message)) {
        // The address-range note goes with the next key or click as well.
        if (CPopupTipWnd* note = AddressRangeTip(); note && note->GetSafeHwnd() && note->IsTipShown())
            note->HideTip();
    }
    if (!DataTipsOn())
        return;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        LastMove& last = Last();
        if (msg.hwnd == m_hWnd && !tipTimerArmed) {
            tipTimerArmed = true;
            tipDelay = kDataTipDelayTicks;
            SetTimer(kDataTipTimer, kDataTipTimerMs);
        } else if (tipTimerArmed && msg.hwnd != last.window) {
            // The pointer went over to another window.
            const POINT point = ScreenPointOf(msg);
            if (!SamePoint(point, last.point)) {
                last.window = msg.hwnd;
                last.point = point;
                HideDataTip();
            }
        }
        return;
    }
    if (IsTipHidingMessage(msg.message))
        HideDataTip();
}

void CQEditView::OnTimer(UINT_PTR id)
{
    if (id != kDataTipTimer) {
        CBaseView::OnTimer(id);
        return;
    }
    // No tip over a context menu: while a popup menu is tracked the pointer
    // rests on the menu, not on a word, and the count starts again after it.
    if (platform::PopupMenuTracked()) {
        tipTicks = 0;
        return;
    }
    const POINT pointer = PointerPos();
    if (!DataTipsOn() || TestDataTipWord(pointer) != 0) {
        HideDataTip();
        KillTimer(kDataTipTimer);
        tipTimerArmed = false;
        return;
    }
    // Another variable than the one the tip shows: the tip goes at once,
    // the new one comes after the pointer rested on it.
    if (tipShown.line >= 0 && tipWord != tipShown)
        HideStaleDataTip();
    // The count runs while the pointer rests.
    if (!SamePoint(pointer, tipPointer)) {
        tipPointer = pointer;
        tipTicks = 0;
    }
    if (++tipTicks == tipDelay)
        ShowDataTip(pointer);
}

int CQEditView::TestDataTipWord(POINT pointer)
{
    std::string word;
    GetWordAt(pointer.x, pointer.y, word, tipWord);
    if (word.empty() || !Queries().IsSymbolLoaded())
        return -1;
    const int answer = Queries().CheckVariableAtLine(word, tipWord.line + 1);
    if (answer == 0)
        return 0;
    if (answer == kTargetLost) {
        // The prompt is modal and timers tick on under it: no tick may ask
        // (and prompt) again.
        KillTimer(kDataTipTimer);
        tipTimerArmed = false;
        ReportLostTarget();
    }
    return -1;
}

void CQEditView::ShowDataTip(POINT pointer)
{
    if (tipWord == tipShown || tipWord.line < 0)
        return;
    tipShown = tipWord;
    POINT screen = pointer;
    ClientToScreen(&screen);

    const std::string_view line = LineText(tipWord.line);
    std::size_t end = static_cast<std::size_t>(std::min<int>(tipWord.column, static_cast<int>(line.size())));
    const std::size_t from = end;
    while (end < line.size() && textcore::IsWordChar(static_cast<unsigned char>(line[end])))
        ++end;
    const std::string name(line.substr(from, end - from));

    std::string value;
    int module = 0;
    if (!Queries().FindModuleOfFile(DocumentFileName(), module) ||
        Queries().GetVariableValueText(module, tipWord.line + 1, name, value) != 0)
        value = "???";
    const std::string text = DataTipText(name, value);
    CPopupTipWnd* tip = TipWindow();
    if (!text.empty() && tip)
        tip->ShowTipAt(screen, text);
}

void CQEditView::HideStaleDataTip()
{
    CPopupTipWnd* tip = TipWindow();
    if (tip && tip->IsTipShown()) {
        HideDataTip();
        tipShown = {-1, -1};
    }
}

void CQEditView::HideDataTip()
{
    const POINT pointer = PointerPos();
    if (pointer.x < 0 || pointer.y < 0 || pointer.x >= clientWidth || pointer.y >= clientHeight)
        tipShown = {-1, -1};
    tipTicks = 0;
    if (CPopupTipWnd* tip = TipWindow(); tip && tip->IsTipShown())
        tip->HideTip();
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
        frame->SetMessageText(" ");
}

}  // namespace editor
