#include "text_view_core.h"

#include <algorithm>

#include "platform/win32.h"
#include "text_columns.h"

namespace textcore {

TextViewSearchState& SearchState()
{
    static TextViewSearchState state;
    return state;
}

TextViewCore::TextViewCore(TextViewHost& host, TextViewServices& services) : host_(host), services_(services) {}

TextViewCore::~TextViewCore()
{
    if (timerId != 0)
        host_.KillTimer(timerId);
}

void TextViewCore::SetBuffer(TextBuffer* buffer)
{
    buffer_ = buffer ? buffer : &ownBuffer_;
}

std::string_view TextViewCore::LineText(int line) const
{
    if (line < 0 || line >= LineCount())
        return {};
    return buffer_->Line(static_cast<std::size_t>(line));
}

bool TextViewCore::IsTextEmpty() const
{
    return LineCount() == 0 || (LineCount() == 1 && LineText(0).empty());
}

int TextViewCore::GetLineLength(int line) const
{
    return static_cast<int>(LineText(line).size());
}

// --- virtual operations (defaults) -------------------------------------------

bool TextViewCore::IsErrorLine(std::string lineText)
{
    return lineText.find("ERROR") != std::string::npos;
}

bool TextViewCore::GetFindString(std::string& out)
{
    out = SearchState().findText;
    return !out.empty();
}

void TextViewCore::OnFindFailed(const std::string&)
{
    host_.MessageBeep(0);
}

bool TextViewCore::GetBookmarkAtLine(int, int&)
{
    return false;
}

const char* TextViewCore::GetLineNumberFormat()
{
    return nullptr;
}

bool TextViewCore::IsAddressOnPage(ADDR)
{
    return false;
}

// --- metrics and scrolling ---------------------------------------------------

void TextViewCore::OnInitialUpdate()
{
    RecalcMetrics();
    ComputeMargin(false);
}

void TextViewCore::RecalcMetrics()
{
    const CellMetrics metrics = host_.GetCellMetrics();
    charWidth = metrics.charWidth;
    lineHeight = metrics.lineHeight;
    spaceWidth = metrics.spaceWidth;
    UpdateScrollInfo(0, 0);
}

void TextViewCore::ComputeMargin(bool forPrinting)
{
    if (colourMode != TCM_OUTPUT)
        leftMargin = kMarginConstant;
    if (colourMode == TCM_DISASSEMBLY || colourMode == TCM_MIXED || colourMode == TCM_OUTPUT || colourMode == 8)
        return;
    if (services_.ShowLineNumbers()) {
        const char* format = GetLineNumberFormat();
        int digits = 0;
        if (format) {
            char number[64];
            digits = std::max(0, std::snprintf(number, sizeof number, format, 0));
        }
        leftMargin = digits * charWidth + charWidth / 2 + kMarginConstant;
    } else {
        leftMargin = kMarginConstant;
    }
    if (forPrinting)
        leftMargin += 30;
    UpdateCaretPos();
}

void TextViewCore::UpdateScrollInfo(int width, int height)
{
    if (width == 0 && height == 0) {
        const PaintRect client = host_.GetClientRect();
        width = client.width;
        height = client.height;
    }
    clientWidth = width;
    clientHeight = height;
    if (lineHeight == 0 || charWidth == 0)
        return;
    linesPerPage = std::clamp((height + lineHeight - 1) / lineHeight, 1, 100);
    vertPageStep = std::max(linesPerPage * 9 / 10, 2 * vertLineStep);
    columnsPerPage = std::max(1, (width - leftMargin) / charWidth);
    horzPageStep = std::max(columnsPerPage * 9 / 10, 2 * horzLineStep);
    // A text of no lines counts as one empty line.
    const int lines = std::max(LineCount(), 1);
    if (lines < linesPerPage) {
        host_.EnableScrollBar(SB_VERT, false);
        topLine = 0;
    } else {
        host_.EnableScrollBar(SB_VERT, true);
        const int maximum = lines - std::min(3, linesPerPage);
        host_.SetScrollRange(SB_VERT, 0, maximum);
        topLine = std::min(topLine, maximum);
        host_.SetScrollPos(SB_VERT, topLine);
    }
    host_.EnableScrollBar(SB_HORZ, true);
    host_.SetScrollRange(SB_HORZ, 0, kScrollColumns + 1 - columnsPerPage);
}

PaintRect TextViewCore::GetTextRect()
{
    return {leftMargin, topOffset, std::max(0, clientWidth - leftMargin), linesPerPage * lineHeight};
}

void TextViewCore::OnVScroll(int code, int pos)
{
    const int previous = topLine;
    const bool partly = services_.IsPartlyLoaded();
    auto readMore = [&](int beyond) {
        if (partly && topLine > LineCount() - beyond) {
            services_.ReadMoreLines(false);
            UpdateScrollInfo(clientWidth, clientHeight);
        }
    };
    switch (code) {
    case SB_LINEUP: topLine -= vertLineStep; break;
    case SB_LINEDOWN:
        topLine += vertLineStep;
        readMore(10);
        break;
    case SB_PAGEUP: topLine -= vertPageStep; break;
    case SB_PAGEDOWN:
        topLine += vertPageStep;
        readMore(100);
        break;
    case SB_THUMBPOSITION:
        topLine = pos;
        readMore(100);
        break;
    case SB_TOP:
        topLine = 0;
        caretLine = 0;
        caretColumn = 0;
        break;
    case SB_BOTTOM:
        if (partly) {
            services_.ReadMoreLines(true);
            UpdateScrollInfo(clientWidth, clientHeight);
        }
        caretLine = std::max(0, LineCount() - 1);
        caretColumn = 0;
        topLine = LineCount() - linesPerPage + 4;
        break;
    default:  // SB_THUMBTRACK: the view scrolls when the thumb is released
        return;
    }
    topLine = std::max(0, topLine);
    ScrollToPosition(SB_VERT, previous);
    if (caretLine >= previous)
        caretLine = std::min(topLine + (caretLine - previous), std::max(0, LineCount() - 1));
    caretColumn = std::min(caretColumn, GetLineLength(caretLine));
    UpdateCaretPos();
}

void TextViewCore::OnHScroll(int code, int pos)
{
    const int previous = firstColumn;
    switch (code) {
    case SB_LINELEFT: firstColumn -= horzLineStep; break;
    case SB_LINERIGHT: firstColumn += horzLineStep; break;
    case SB_PAGELEFT: firstColumn -= horzPageStep; break;
    case SB_PAGERIGHT: firstColumn += horzPageStep; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: firstColumn = pos; break;
    case SB_LEFT: firstColumn = 0; break;
    case SB_RIGHT: firstColumn = kScrollColumns; break;
    default: return;
    }
    ScrollToPosition(SB_HORZ, previous);
    UpdateCaretPos();
}

void TextViewCore::ScrollToPosition(int bar, int previous)
{
    if (bar == SB_VERT) {
        const int lines = std::max(LineCount(), 1);
        if (lines < linesPerPage)
            topLine = previous;
        topLine = std::clamp(topLine, 0, std::max(0, lines - std::min(3, linesPerPage)));
        if (topLine == previous)
            return;
        if (std::abs(topLine - previous) >= linesPerPage) {
            host_.Invalidate(nullptr, false);
            host_.UpdateWindow();
        } else {
            host_.ScrollWindow(0, lineHeight * (previous - topLine), nullptr);
        }
        host_.SetScrollPos(SB_VERT, topLine);
        return;
    }
    firstColumn = std::clamp(firstColumn, 0, std::max(0, kScrollColumns + 1 - columnsPerPage));
    if (firstColumn != previous) {
        const PaintRect area = GetTextRect();
        host_.ScrollWindow(charWidth * (previous - firstColumn), 0, &area);
        host_.SetScrollPos(SB_HORZ, firstColumn);
    }
}

void TextViewCore::OnSize(int width, int height)
{
    const int previousPage = linesPerPage;
    const int previousTop = topLine;
    UpdateScrollInfo(width, height);
    if (linesPerPage > previousPage) {
        if (topLine == previousTop) {
            PaintRect strip{leftMargin, topOffset + previousPage * lineHeight, clientWidth,
                            (linesPerPage - previousPage) * lineHeight};
            host_.Invalidate(&strip, false);
        } else {
            const PaintRect area = GetTextRect();
            host_.Invalidate(&area, false);
        }
    }
}

void TextViewCore::OnMouseWheel(int delta)
{
    // Turned away from the user the wheel scrolls up, a line per notch of 120
    // units, as in every other window; finer wheels add up to whole notches.
    wheelRemainder_ += delta;
    while (wheelRemainder_ >= kWheelDelta) {
        wheelRemainder_ -= kWheelDelta;
        OnVScroll(SB_LINEUP, 0);
    }
    while (wheelRemainder_ <= -kWheelDelta) {
        wheelRemainder_ += kWheelDelta;
        OnVScroll(SB_LINEDOWN, 0);
    }
}

// --- caret and positions -----------------------------------------------------

int TextViewCore::TextPosToX(int column, std::string_view text) const
{
    if (text.empty() || column == 0)
        return leftMargin + (column - firstColumn) * charWidth;
    const int used = std::min(column, static_cast<int>(text.size()));
    return leftMargin - firstColumn * charWidth + CellOfColumn(text, used) * charWidth;
}

int TextViewCore::PointToTextPos(int x, int y, int& line, int& column)
{
    const PaintRect rect = GetTextRect();
    int code = EDGE_NONE;
    int row = 0;
    if (lineHeight > 0)
        row = (y - rect.y) / lineHeight;
    if (y < rect.y) {
        row = 0;
        code = EDGE_UP;
    } else if (y >= rect.y + rect.height) {
        row = linesPerPage - 1;
        code = EDGE_DOWN;
    }
    if (x < leftMargin)
        code = EDGE_LEFT;
    else if (x >= rect.x + rect.width)
        code = EDGE_RIGHT;
    if (selecting && code != EDGE_NONE) {
        const int previousColumn = firstColumn;
        const int previousTop = topLine;
        switch (code) {
        case EDGE_LEFT:
            firstColumn -= 2;
            ScrollToPosition(SB_HORZ, previousColumn);
            break;
        case EDGE_RIGHT:
            firstColumn += 2;
            ScrollToPosition(SB_HORZ, previousColumn);
            break;
        case EDGE_UP:
            topLine -= 1;
            ScrollToPosition(SB_VERT, previousTop);
            break;
        default:
            topLine += 1;
            ScrollToPosition(SB_VERT, previousTop);
            break;
        }
    }
    line = std::clamp(topLine + row, 0, std::max(0, LineCount() - 1));
    const std::string_view text = LineText(line);
    const int length = static_cast<int>(text.size());
    if (x >= TextPosToX(length, text)) {
        column = length;
    } else if (x <= TextPosToX(0, text)) {
        column = 0;
    } else {
        int low = 0;
        int high = length;
        while (high - low > 1) {
            const int middle = (low + high) / 2;
            const int middleX = TextPosToX(middle, text);
            if (std::abs(middleX - x) <= 1) {
                low = middle;
                break;
            }
            if (middleX < x)
                low = middle;
            else
                high = middle;
        }
        column = low;
    }
    column = static_cast<int>(AlignToChar(text, static_cast<std::size_t>(std::min(column, kMaxLineLength))));
    return code;
}

void TextViewCore::UpdateCaretPos()
{
    const int x = TextPosToX(caretColumn, LineText(caretLine));
    const int y = (caretLine - topLine) * lineHeight + topOffset;
    host_.SetCaretPos(x, y);
}

void TextViewCore::SetCaret(int line, int column)
{
    caretLine = line;
    caretColumn = column;
    UpdateCaretPos();
}

void TextViewCore::MoveCaret(int bar, int delta)
{
    if (bar == SB_VERT) {
        caretLine = std::min(caretLine + delta, LineCount() - 1);
    } else if (bar == SB_HORZ) {
        const std::string_view text = LineText(caretLine);
        const int count = std::max(0, ColumnToCharCount(text, caretColumn) + delta);
        caretColumn = CharCountToColumn(text, count);
    } else if (bar == 10) {
        caretColumn = GetLineLength(caretLine);
    }
    if (caretLine < 0 || caretLine >= LineCount()) {
        caretColumn = 0;
    } else {
        const std::string_view text = LineText(caretLine);
        caretColumn = std::clamp(caretColumn, 0, static_cast<int>(text.size()));
        caretColumn = static_cast<int>(AlignToChar(text, static_cast<std::size_t>(caretColumn)));
    }
    int code = SB_LINEUP;
    if (delta < -1)
        code = SB_PAGEUP;
    else if (delta > 1)
        code = SB_PAGEDOWN;
    else if (delta == 1)
        code = SB_LINEDOWN;
    EnsureCaretVisible(code);
}

void TextViewCore::EnsureCaretVisible(int code)
{
    if (caretLine < topLine) {
        caretLine = std::max(caretLine, 0);
        OnVScroll(code, 0);
    } else if (caretLine >= topLine + linesPerPage - 1) {
        caretLine = topLine + linesPerPage - 1;
        OnVScroll(code, 0);
    }
    if (charWidth > 0) {
        const PaintRect rect = GetTextRect();
        const int edge = rect.x + rect.width - charWidth / 2;
        const int caretX = TextPosToX(caretColumn, LineText(caretLine));
        const int previous = firstColumn;
        if (caretX <= leftMargin && firstColumn > 0) {
            firstColumn = std::max(0, firstColumn - 10 - (leftMargin - caretX) / charWidth);
            ScrollToPosition(SB_HORZ, previous);
        } else if (caretX > edge) {
            firstColumn += (caretX - edge) / charWidth + 10;
            ScrollToPosition(SB_HORZ, previous);
        }
    }
    UpdateCaretPos();
}

// --- selection ---------------------------------------------------------------

bool TextViewCore::HasSelection() const
{
    const int lines = LineCount();
    return selStart.line >= 0 && selStart.line < lines && selEnd.line >= 0 && selEnd.line < lines && selStart != selEnd;
}

void TextViewCore::InvalidateLines(int first, int last)
{
    if (first > last)
        std::swap(first, last);
    first = std::max(first, topLine);
    last = std::min(last, topLine + linesPerPage);
    if (first > last)
        return;
    PaintRect rect{0, topOffset + (first - topLine) * lineHeight, clientWidth, (last - first + 1) * lineHeight};
    host_.Invalidate(&rect, false);
}

void TextViewCore::ClearSelection(bool showCaret)
{
    if (HasSelection())
        InvalidateLines(selStart.line, selEnd.line);
    selStart = {};
    selEnd = {};
    if (showCaret) {
        host_.ShowCaret(true);
        caretShown = true;
    }
}

void TextViewCore::StartSelection(int line, int column, bool hideCaret, int endLine, int endColumn)
{
    selStart = {line, column};
    selEnd = endLine < 0 ? selStart : TextPos{endLine, endColumn < 0 ? column : endColumn};
    selecting = true;
    if (hideCaret) {
        host_.ShowCaret(false);
        caretShown = false;
    }
}

void TextViewCore::SetSelection(int startLine, int startColumn, int endLine, int endColumn, bool repaint)
{
    if (repaint && HasSelection())
        InvalidateLines(selStart.line, selEnd.line);
    selStart = {startLine, startColumn};
    selEnd = {endLine, endColumn};
    if (repaint)
        InvalidateLines(startLine, endLine);
    host_.ShowCaret(false);
    caretShown = false;
}

void TextViewCore::ExtendSelection(int line, int column)
{
    const TextPos previous = selEnd;
    selEnd = {line, column};
    InvalidateLines(previous.line, line);
}

void TextViewCore::NormalizeSelection()
{
    if (selEnd < selStart)
        std::swap(selStart, selEnd);
}

bool TextViewCore::GetWordRange(int line, int column, TextPos& start, TextPos& end)
{
    const std::string_view text = LineText(line);
    auto wordish = [&](std::size_t pos) {
        const auto ch = static_cast<unsigned char>(text[pos]);
        return IsWordChar(ch) || ch == 0x7F;
    };
    std::size_t from =
        AlignToChar(text, static_cast<std::size_t>(std::clamp(column, 0, static_cast<int>(text.size()))));
    std::size_t to = from;
    while (from > 0) {
        const std::size_t previous = PrevCharPos(text, from);
        if (!wordish(previous))
            break;
        from = previous;
    }
    while (to < text.size() && wordish(to))
        to = NextCharPos(text, to);
    if (to == from)
        return false;
    start = {line, static_cast<int>(from)};
    end = {line, static_cast<int>(to)};
    return true;
}

bool TextViewCore::IsPointInSelection(int x, int y)
{
    if (!HasSelection() || lineHeight == 0)
        return false;
    TextPos first = selStart;
    TextPos last = selEnd;
    if (last < first)
        std::swap(first, last);
    const int line = topLine + (y - topOffset) / lineHeight;
    if (y < topOffset || line < first.line || line > last.line)
        return false;
    if (line == first.line && x < TextPosToX(first.column, LineText(line)))
        return false;
    if (line == last.line && x >= TextPosToX(last.column, LineText(line)))
        return false;
    return true;
}

std::string TextViewCore::GetSelectedOrWordText()
{
    std::string text;
    if (CopySelectionToGlobal(text) && !text.empty())
        return text;
    TextPos start;
    TextPos end;
    if (GetWordRange(caretLine, caretColumn, start, end))
        return std::string(LineText(caretLine).substr(start.column, end.column - start.column));
    return {};
}

// --- keys and mouse ----------------------------------------------------------

void TextViewCore::OnKeyDown(int vk, int repeat)
{
    const bool shift = GetAsyncKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetAsyncKeyState(VK_CONTROL) < 0;
    const bool navigation = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR ||
        vk == VK_NEXT || vk == VK_HOME || vk == VK_END;
    repeat = std::max(repeat, 1);
    if (!shift && (navigation || vk == VK_ESCAPE)) {
        ClearSelection(true);
        selecting = false;
    }
    // Without a selection Shift anchors one at the caret: a selection left
    // "in progress" by an edit (typing cleared it) keeps no anchor to go on.
    if (vk == VK_SHIFT && !HasSelection()) {
        StartSelection(caretLine, caretColumn, false);
        caretShown = true;
    }
    const TextPos before{caretLine, caretColumn};
    switch (vk) {
    case VK_PRIOR: OnVScroll(SB_PAGEUP, 0); break;
    case VK_NEXT: OnVScroll(SB_PAGEDOWN, 0); break;
    case VK_END:
        if (ctrl)
            OnVScroll(SB_BOTTOM, 0);
        MoveCaret(SB_HORZ, kScrollColumns);
        break;
    case VK_HOME:
        if (ctrl)
            OnVScroll(SB_TOP, 0);
        MoveCaret(SB_HORZ, -kScrollColumns);
        break;
    case VK_LEFT: MoveCaret(SB_HORZ, -horzLineStep * repeat); break;
    case VK_RIGHT: MoveCaret(SB_HORZ, horzLineStep * repeat); break;
    case VK_UP: MoveCaret(SB_VERT, -vertLineStep * repeat); break;
    case VK_DOWN: MoveCaret(SB_VERT, vertLineStep * repeat); break;
    case VK_APPS:
        host_.PostRButtonDown(TextPosToX(caretColumn, LineText(caretLine)),
                              (caretLine - topLine) * lineHeight + topOffset);
        break;
    default: break;
    }
    if (shift && navigation) {
        if (!selecting || !HasSelection()) {
            // Shift went down outside this view, or an edit cleared the
            // selection while Shift was held: the selection starts where
            // the caret stood before the move.
            StartSelection(before.line, before.column, false);
        }
        ExtendSelection(caretLine, caretColumn);
        const bool exists = HasSelection();
        host_.ShowCaret(!exists);
        caretShown = !exists;
    }
}

void TextViewCore::OnLButtonDown(int x, int y)
{
    host_.SetCapture(true);
    if (HasSelection())
        ClearSelection(false);
    selecting = false;
    int line = 0;
    int column = 0;
    const int code = PointToTextPos(x, y, line, column);
    SetCaret(line, column);
    if (code == EDGE_NONE)
        StartSelection(line, column, true);
}

void TextViewCore::OnMouseMove(int x, int y, bool leftDown)
{
    if (!leftDown || !host_.HasCapture())
        return;
    int line = 0;
    int column = 0;
    const int code = PointToTextPos(x, y, line, column);
    if (selecting) {
        if (code != EDGE_NONE && timerId == 0) {
            host_.SetTimer(kAutoScrollTimer, kAutoScrollMs);
            timerId = kAutoScrollTimer;
        } else if (code == EDGE_NONE && timerId != 0) {
            host_.KillTimer(timerId);
            timerId = 0;
        }
        SetCaret(line, column);
        ExtendSelection(line, column);
    } else if (code == EDGE_NONE) {
        StartSelection(line, column, true);
    }
}

void TextViewCore::OnTimer(int id)
{
    if (id != kAutoScrollTimer)
        return;
    int x = 0;
    int y = 0;
    host_.GetCursorPos(x, y);
    OnMouseMove(x, y, true);
}

void TextViewCore::OnLButtonUp(int, int)
{
    if (timerId != 0) {
        host_.KillTimer(timerId);
        timerId = 0;
    }
    if (host_.HasCapture()) {
        host_.SetCapture(false);
        if (!HasSelection()) {
            host_.ShowCaret(true);
            caretShown = true;
        }
        selecting = false;
    }
}

void TextViewCore::OnLButtonDblClk(int x, int y)
{
    if (HasSelection())
        ClearSelection(false);
    if (x < kMarginConstant) {
        host_.SendCommand(ID_GOTO_CURSOR);
        return;
    }
    int line = 0;
    int column = 0;
    PointToTextPos(x, y, line, column);
    TextPos start;
    TextPos end;
    if (GetWordRange(line, column, start, end)) {
        SetCaret(end.line, end.column);
        SetSelection(start.line, start.column, end.line, end.column, true);
    }
}

bool TextViewCore::OnSetCursor(int x, int y)
{
    return HasSelection() && IsPointInSelection(x, y);
}

void TextViewCore::OnSetFocus()
{
    hasFocus = true;
    UpdateCaretPos();
    caretShown = !HasSelection();
    host_.ShowCaret(caretShown);
}

int TextViewCore::OnRefreshMargin()
{
    const PaintRect strip{0, 0, kMarginConstant, 2000};
    host_.Invalidate(&strip, true);
    host_.UpdateWindow();
    return 1;
}

bool IsLineWithWarning(std::string_view lineText)
{
    return lineText.find("WARNING") != std::string_view::npos || lineText.find("Warning") != std::string_view::npos ||
        lineText.find("warning") != std::string_view::npos;
}

void TextViewCore::OnEditCopy()
{
    std::string text;
    if (CopySelectionToGlobal(text))
        host_.SetClipboardText(text);
}

}  // namespace textcore
