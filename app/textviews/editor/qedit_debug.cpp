// The source editor as a debugging surface: breakpoints from the icon strip
// and from commands, the context menu whose items depend on the word under
// the pointer, and the commands that lead from a name to its source, its
// address range, the watch window or an inspector.
#include <platform/clipboard.h>
#include <platform/modal_ui.h>

#include <algorithm>

#include "platform/frame_wnd.h"
#include "platform/win_app.h"
#include "qedit_view.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "text_columns.h"

namespace editor {

namespace {

inline constexpr UINT kBeep = 0xFFFFFFFF;
inline constexpr int kTargetLost = -27;

// The rectangle of the shared address-range pop-up, in screen coordinates.
inline constexpr RECT kAddressTipRect{100, 100, 350, 200};

std::unique_ptr<CPopupTipWnd>& SharedAddressTip()
{
    static std::unique_ptr<CPopupTipWnd> tip;
    return tip;
}

void Beep()
{
    ::MessageBeep(kBeep);
}

}  // namespace

CPopupTipWnd* CQEditView::AddressRangeTip()
{
    return SharedAddressTip().get();
}

void CQEditView::OnDestroy()
{
    KillTimer(kDataTipTimer);
    tipTimerArmed = false;
    // The shared note goes with the view it was made over.
    std::unique_ptr<CPopupTipWnd>& note = SharedAddressTip();
    if (note && note->GetParent() == this) {
        if (note->GetSafeHwnd())
            note->DestroyWindow();
        note.reset();
    }
    CBaseView::OnDestroy();
}

void CQEditView::MapDebugCommands()
{
    OnCommand(ID_TOGGLE_BREAKPOINT, [this] { OnToggleBreakpoint(kSoftwareBreakpoint); });
    OnCommand(ID_TOGGLE_HW_BREAKPOINT, [this] { OnToggleBreakpoint(kHardwareBreakpoint); });
    OnCommand(ID_INSPECT_SOURCE, [this] { OnInspectSource(); });
    OnCommand(ID_VIEW_ADDRESS_RANGE, [this] { OnViewAddressRange(); });
    OnCommand(ID_INSPECT_VARIABLE, [this] { OnInspect(); });
    OnCommand(ID_WATCH_VARIABLE, [this] { OnWatchVariable(); });
    OnCommand(ID_SEARCH_NEXT, [this] { ForgetContext(); });
}

std::string CQEditView::DocumentFileName() const
{
    const CQEditDoc* doc = GetDocument();
    if (!doc)
        return {};
    const std::string& path = doc->GetPathName();
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CQEditView::ForgetContext()
{
    contextWord.clear();
    contextLine = -1;
}

void CQEditView::ReportLostTarget()
{
    if (TextViewFrame* frame = GetTextViewFrame())
        frame->ReportTargetConnectionLost();
}

// --- words and breakpoints --------------------------------------------------

void CQEditView::GetWordAt(int x, int y, std::string& word, textcore::TextPos& position)
{
    word.clear();
    position = {-1, -1};
    // Only points over the text: the mapping of a point beyond it scrolls
    // the view while a selection is being dragged.
    const textcore::PaintRect area = GetTextRect();
    if (lineHeight <= 0 || x < area.x || y < area.y || x >= area.x + area.width || y >= area.y + area.height)
        return;
    const int line = topLine + (y - topOffset) / lineHeight;
    if (line >= LineCount())
        return;
    int mappedLine = 0;
    int column = 0;
    PointToTextPos(x, y, mappedLine, column);
    const std::string_view text = LineText(line);
    // Past the line's end the pointer is on no character.
    if (column >= static_cast<int>(text.size()) || x >= TextPosToX(static_cast<int>(text.size()), text))
        return;
    auto wordChar = [&](std::size_t at) { return textcore::IsWordChar(static_cast<unsigned char>(text[at])); };
    std::size_t from = static_cast<std::size_t>(column);
    if (!wordChar(from))
        return;
    std::size_t to = from;
    while (from > 0 && wordChar(from - 1))
        --from;
    while (to < text.size() && wordChar(to))
        ++to;
    word.assign(text.substr(from, to - from));
    position = {line, static_cast<int>(from)};
}

void CQEditView::ToggleBreakpointAtRow(int row, const std::string& fileName, int unit)
{
    const int line = topLine + row + 1;
    ADDR start;
    ADDR end;
    // A row above the page (a context line scrolled away) still names its line.
    if (line > 0 && Queries().FileLineToAddrRange(line, start, end, fileName))
        Queries().ToggleBreakpointAtAddr(start, unit);
    else
        Beep();
}

void CQEditView::OnToggleBreakpoint(int unit)
{
    const int line = contextLine >= 0 ? contextLine : caretLine;
    ToggleBreakpointAtRow(line - topLine, DocumentFileName(), unit);
    ForgetContext();
}

// --- mouse ----------------------------------------------------------------------

void CQEditView::OnRButtonDown(UINT flags, POINT point)
{
    if (point.x >= 0 && point.x < kMarginConstant) {
        // No menu from the icon strip; the simulator has no hardware units.
        if (!theSettings.Simulate && lineHeight > 0)
            ToggleBreakpointAtRow((point.y - topOffset) / lineHeight, DocumentFileName(), kHardwareBreakpoint);
        CBaseView::OnRButtonDown(flags, point);
        return;
    }
    std::shared_ptr<CMenu> menu = BuildContextMenu(point);
    POINT screen = point;
    ClientToScreen(&screen);
    menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    menu.reset();
    CBaseView::OnRButtonDown(flags, point);
}

void CQEditView::OnLButtonDblClk(UINT flags, POINT point)
{
    std::string word;
    textcore::TextPos position;
    GetWordAt(point.x, point.y, word, position);
    if (!word.empty())
        contextWord = word;
    OnInspectSource();
    CBaseView::OnLButtonDblClk(flags, point);
}

BOOL CQEditView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    AFX_CMDHANDLERINFO probe;
    CWnd* main = AfxGetMainWnd();
    if (lParam == 0 && main && main != this && main->GetSafeHwnd() && !OnCmdMsg(id, CN_COMMAND, nullptr, &probe)) {
        main->SendMessage(WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return CBaseView::OnCommand(wParam, lParam);
}

// --- the context menu -------------------------------------------------------------

std::shared_ptr<CMenu> CQEditView::BuildContextMenu(POINT point)
{
    auto menu = std::make_shared<CMenu>();
    auto grayedUnless = [](bool on) { return on ? MF_STRING : MF_STRING | MF_GRAYED; };
    menu->AppendMenu(grayedUnless(CanUndo()), ID_EDIT_UNDO, "&Undo");
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(grayedUnless(HasSelection()), ID_EDIT_CUT, "Cu&t");
    menu->AppendMenu(grayedUnless(HasSelection()), ID_EDIT_COPY, "&Copy");
    menu->AppendMenu(grayedUnless(platform::GetClipboard().HasText()), ID_EDIT_PASTE, "&Paste");
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(grayedUnless(!IsTextEmpty()), ID_EDIT_SELECT_ALL_TEXT, "&Select All");
    menu->AppendMenu(MF_SEPARATOR);

    TextViewFrame* frame = GetTextViewFrame();
    if (!frame || !frame->IsConnected())
        return menu;
    menu->AppendMenu(MF_STRING, shell::ID_GOTO_ASSEMBLY, "Go to &Assembly");
    menu->AppendMenu(MF_STRING, shell::ID_GOTO_MIXED, "Go to &Mixed Source");
    menu->AppendMenu(MF_SEPARATOR);

    std::string word;
    textcore::TextPos position;
    GetWordAt(point.x, point.y, word, position);
    if (!word.empty()) {
        const std::string function = "#" + word;
        ADDR start;
        ADDR end;
        if (Queries().CheckFunctionName(function) == 0 && Queries().GetFuncRange(function, start, end) == 0) {
            contextWord = function;
            menu->AppendMenu(MF_STRING, ID_INSPECT_SOURCE, "&Inspect Source");
            menu->AppendMenu(MF_STRING, ID_VIEW_ADDRESS_RANGE, "&View Address Range");
            menu->AppendMenu(MF_SEPARATOR);
        } else {
            const int variable = Queries().CheckVariableAtLine(word, position.line + 1);
            if (variable == 0) {
                contextWord = word;
                menu->AppendMenu(MF_STRING, ID_WATCH_VARIABLE, "&Watch Variable");
                menu->AppendMenu(MF_STRING, ID_INSPECT_VARIABLE, "&Inspect");
                menu->AppendMenu(MF_SEPARATOR);
            } else if (variable == kTargetLost) {
                ReportLostTarget();
            }
        }
    }
    contextLine = position.line;
    menu->AppendMenu(MF_STRING, ID_TOGGLE_BREAKPOINT, "Set/Clear &Breakpoint");
    menu->AppendMenu(grayedUnless(!theSettings.Simulate), ID_TOGGLE_HW_BREAKPOINT, "Set/Clear &Hardware Breakpoint");
    menu->AppendMenu(MF_STRING, ID_GOTO_CURSOR_CMD, "Goto Cu&rsor\tF7");
    menu->AppendMenu(MF_STRING, ID_JUMP_TO_CURSOR_CMD, "&Jump to Cursor\tShift+F7");
    menu->AppendMenu(MF_SEPARATOR);
    return menu;
}

// --- the commands on names -----------------------------------------------------------

std::string CQEditView::FunctionName()
{
    std::string word = contextWord;
    if (word.empty()) {
        textcore::TextPos position;
        const POINT pointer = PointerPos();
        GetWordAt(pointer.x, pointer.y, word, position);
    }
    if (word.empty() || word.front() == '#')
        return word;
    return "#" + word;
}

void CQEditView::OnInspectSource()
{
    const std::string name = FunctionName();
    ForgetContext();
    if (Queries().CheckFunctionName(name) != 0)
        return;
    ADDR start;
    ADDR end;
    if (name.empty() || Queries().GetFuncRange(name, start, end) != 0) {
        Beep();
        return;
    }
    std::uint32_t module = 0;
    std::uint32_t line = 0;
    if (Queries().AddrToSourceLine(start.off, module, line) && line > 0) {
        const std::string path = Queries().ModuleSourcePath(module);
        if (!path.empty() && OpenSourceAtLine(static_cast<int>(line), path))
            return;
    }
    // Without source: the disassembly from the function's start.
    if (TextViewFrame* frame = GetTextViewFrame())
        frame->GoToAssembly(&start);
}

void CQEditView::OnViewAddressRange()
{
    const std::string name = FunctionName();
    ForgetContext();
    ADDR start;
    ADDR end;
    std::string from;
    std::string to;
    if (name.empty() || Queries().GetFuncRange(name, start, end) != 0 || !Queries().AddrToHex(start, from) ||
        !Queries().AddrToHex(end, to)) {
        Beep();
        return;
    }
    const std::string text = "Function Name:\n       " + name + "\nAddress Range:\n       " + from + "--" + to;
    std::unique_ptr<CPopupTipWnd>& tip = SharedAddressTip();
    if (tip && !tip->GetSafeHwnd())
        tip.reset();
    if (!tip) {
        tip = std::make_unique<CPopupTipWnd>();
        if (!tip->CreateTip(this, kAddressTipRect)) {
            tip.reset();
            Beep();
            return;
        }
    }
    tip->SetWindowText(text);
    tip->SetTipRect(kAddressTipRect);
    tip->ShowTip();
}

void CQEditView::OnInspect()
{
    const std::string name = FunctionName();
    ForgetContext();
    if (TextViewFrame* frame = GetTextViewFrame(); frame && !name.empty())
        frame->OpenInspectWindow(name);
}

void CQEditView::OnWatchVariable()
{
    const std::string name = FunctionName();
    ForgetContext();
    if (TextViewFrame* frame = GetTextViewFrame(); frame && !name.empty())
        frame->AddWatch(name);
}

}  // namespace editor
