#include "console_view.h"

#include <algorithm>
#include <string>

#include "platform/menu.h"
#include "text_colour.h"
#include "text_columns.h"

IMPLEMENT_DYNCREATE(CConsoleView, CBaseView)

ConsoleInput& ConsoleInputState()
{
    static ConsoleInput input;
    return input;
}

CConsoleView::CConsoleView()
{
    colourMode = TCM_OUTPUT;
    leftMargin = 0;
    topOffset = 0;
    OnCommand(ID_CONSOLE_CLEAR, [this] { Clear(); });
    OnUpdateCommandUI(ID_CONSOLE_CLEAR, [this](CCmdUI* ui) { ui->Enable(LineCount() > 0); });
}

void CConsoleView::OnSize(UINT type, int cx, int cy)
{
    if (!metricsSet_ && charWidth == 0 && TextHost()) {
        metricsSet_ = true;
        OnInitialUpdate();
    }
    CBaseView::OnSize(type, cx, cy);
    // The end of the text stays in view.
    if (metricsSet_ && LineCount() > 0 && caretLine == LineCount() - 1)
        ShowEnd();
}

void CConsoleView::AppendText(std::string_view text)
{
    if (text.empty())
        return;
    writer_.Append(text, Buffer());
    // Output is no edit: typing before it can't be undone across it.
    Buffer().UndoList().Clear();
    selStart = selEnd = {};
    caretLine = std::max(LineCount() - 1, 0);
    caretColumn = GetLineLength(caretLine);
    if (showPending_)
        return;
    showPending_ = GetSafeHwnd() && SetTimer(kShowTimer, kShowInterval) != 0;
    if (!showPending_)
        ShowEnd();
}

void CConsoleView::ShowOutput()
{
    if (!showPending_)
        return;
    KillTimer(kShowTimer);
    showPending_ = false;
    ShowEnd();
}

void CConsoleView::OnTimer(UINT_PTR id)
{
    if (id == kShowTimer)
        ShowOutput();
    else
        CBaseView::OnTimer(id);
}

void CConsoleView::AppendChar(char ch)
{
    AppendText(std::string_view(&ch, 1));
}

void CConsoleView::ShowEnd()
{
    // The last line at the bottom of the window, whole.
    UpdateScrollInfo(clientWidth, clientHeight);
    const int fullRows = lineHeight > 0 ? std::max(clientHeight / lineHeight, 1) : 1;
    const int bottom = std::max(LineCount() - fullRows, 0);
    if (bottom > 0) {
        textcore::TextViewCore::host_.SetScrollRange(SB_VERT, 0, bottom);
        textcore::TextViewCore::host_.SetScrollPos(SB_VERT, bottom);
    }
    topLine = bottom;
    UpdateCaretPos();
    Invalidate();
}

void CConsoleView::Clear()
{
    if (showPending_) {
        KillTimer(kShowTimer);
        showPending_ = false;
    }
    Buffer().Clear();
    writer_.Reset();
    selStart = selEnd = {};
    caretLine = caretColumn = 0;
    topLine = 0;
    firstColumn = 0;
    UpdateScrollInfo(clientWidth, clientHeight);
    UpdateCaretPos();
    Invalidate();
}

bool CConsoleView::TypeIntoText(UINT ch, UINT repeat)
{
    if (ch < 32 && ch != '\t' && ch != '\r')
        return false;
    const std::string text(1, static_cast<char>(ch));
    // After output that ended its line the terminal's cursor is on the next
    // line: typing at the end of the text starts there.
    if (!writer_.LastLineOpen() && LineCount() > 0 && !HasSelection() && caretLine == LineCount() - 1 &&
        caretColumn >= GetLineLength(caretLine)) {
        Buffer().AppendLine("");
        caretLine = LineCount() - 1;
        caretColumn = 0;
        writer_.AfterTyping(true);
    }
    for (int i = 0; i < std::max<int>(static_cast<int>(repeat), 1); ++i) {
        // A full line goes on on the next one, as the program's output does.
        if (ch != '\r' && !HasSelection() && caretColumn >= GetLineLength(caretLine) &&
            textcore::CharCount(LineText(caretLine)) >= textconsole::kConsoleLineLength)
            InsertText("\r", 0);
        if (!InsertText(text, static_cast<int>(ch)))
            break;
    }
    return true;
}

void CConsoleView::OnChar(UINT ch, UINT repeat, UINT)
{
    ShowOutput();
    if (TypeIntoText(ch, repeat))
        writer_.AfterTyping(caretLine == LineCount() - 1);
    ConsoleInput& input = ConsoleInputState();
    if (!input.waiting)
        return;
    // Once per message, whatever the repeat count. Enter ends the line with
    // a line feed; the buffer's last byte is kept for it.
    const bool enter = ch == '\r';
    const int room = ConsoleInput::kCapacity - (enter ? 0 : 1);
    if (input.count >= 0 && input.count < room)
        input.buffer[input.count++] = enter ? '\n' : static_cast<uint8_t>(ch);
    if (enter)
        input.waiting = 0;
}

void CConsoleView::OnRButtonDown(UINT flags, POINT point)
{
    CMenu menu;
    menu.AppendMenu(MF_STRING | (HasSelection() ? 0 : MF_GRAYED), ID_EDIT_COPY, "&Copy");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | (LineCount() > 0 ? 0 : MF_GRAYED), ID_CONSOLE_CLEAR, "Clea&r");
    // The menu opens at the pointer: a screen position.
    POINT screen = point;
    ClientToScreen(&screen);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    CBaseView::OnRButtonDown(flags, point);
}
