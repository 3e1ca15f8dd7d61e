#include "qedit_view.h"

#include <platform/clipboard.h>
#include <platform/modal_ui.h>

#include <algorithm>
#include <cctype>

#include "emu_messages.h"
#include "lookups/sym_lookups.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "text_columns.h"

namespace editor {

IMPLEMENT_DYNCREATE(CQEditView, CBaseView)

namespace {

inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT ID_EDIT_FIND_NEXT_CMD = 32771;
inline constexpr int kMarginCursor = 163;
inline constexpr int kMarginStripHeight = 1000;

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFileName(const std::string& a, const std::string& b)
{
    const std::string x = FileNameOf(a);
    const std::string y = FileNameOf(b);
    return !x.empty() && x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
        return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
    });
}

}  // namespace

CQEditView::CQEditView()
{
    OnCommand(ID_EDIT_CUT, [this] { OnEditCut(); });
    OnUpdateCommandUI(ID_EDIT_CUT, [this](CCmdUI* ui) { ui->Enable(HasSelection()); });
    OnCommand(ID_EDIT_PASTE, [this] { OnEditPaste(); });
    OnUpdateCommandUI(ID_EDIT_PASTE, [](CCmdUI* ui) { ui->Enable(platform::GetClipboard().HasText()); });
    OnCommand(ID_EDIT_SELECT_ALL_TEXT, [this] { OnSelectAll(); });
    OnUpdateCommandUI(ID_EDIT_SELECT_ALL_TEXT, [this](CCmdUI* ui) { ui->Enable(!IsTextEmpty()); });
    OnCommand(ID_EDIT_REPLACE, [this] { OpenFindDialog(false); });
    OnCommand(ID_BOOKMARK_TOGGLE, [this] { ToggleBookmark(); });
    OnCommand(ID_BOOKMARK_NEXT, [this] { NextBookmark(); });
    OnCommand(ID_BOOKMARK_PREVIOUS, [this] { PreviousBookmark(); });
    OnCommand(ID_BOOKMARK_DELETE_ALL, [this] { DeleteAllBookmarks(); });
    // The find box's request: lParam the text, wParam the match-case flag.
    OnMessage(WM_FINDTEXTREQUEST, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text)
            FindNext(text, true, wParam != 0, false);
        return 1;
    });
    MapDebugCommands();
}

int CQEditView::OnCreate()
{
    const int result = CBaseView::OnCreate();
    if (result != 0)
        return result;
    if (CQEditDoc* doc = GetDocument()) {
        SetBuffer(&doc->Lines());
        if (doc->Language() == LANG_MACRO)
            colourMode = TCM_MACRO;
        else if (doc->Language() == LANG_ASSEMBLER)
            colourMode = TCM_ASSEMBLER;
    }
    return 0;
}

void CQEditView::OnInitialUpdate()
{
    CBaseView::OnInitialUpdate();
    if (CQEditDoc* doc = GetDocument())
        colourMode = ColourModeOfLanguage(doc->Language());
}

// --- the engine's slots -----------------------------------------------------

const char* CQEditView::GetLineNumberFormat()
{
    CQEditDoc* doc = GetDocument();
    return doc ? doc->LineNumberFormat().c_str() : TextViewCore::GetLineNumberFormat();
}

bool CQEditView::GetBookmarkAtLine(int line, int& value)
{
    value = 0;
    for (const EditBookmark& mark : bookmarks_) {
        if (mark.line == line)
            return true;
        if (mark.line > line)
            break;
        ++value;
    }
    return false;
}

bool CQEditView::IsAddressOnPage(ADDR)
{
    TextViewFrame* frame = GetTextViewFrame();
    return frame && LineOnPage(frame->GetStopPosition().line - 1);
}

// --- the document -------------------------------------------------------------

bool CQEditView::IsPartlyLoaded()
{
    CQEditDoc* doc = GetDocument();
    return doc && !doc->IsComplete();
}

void CQEditView::ReadMoreLines(bool all)
{
    CQEditDoc* doc = GetDocument();
    if (!doc)
        return;
    if (all) {
        doc->LoadRemainingLines(true);
        return;
    }
    // The lines of the page the scroll goes to and the next, at least one step.
    doc->LoadRemainingLines(false);
    doc->LoadLinesUpTo(static_cast<std::size_t>(topLine + 2 * linesPerPage + 1));
}

void CQEditView::SetModified()
{
    if (CQEditDoc* doc = GetDocument())
        doc->SetModifiedFlag(TRUE);
}

void CQEditView::UpdateViewsOfDocument(int hint)
{
    if (CDocument* doc = CView::GetDocument())
        doc->UpdateAllViews(this, hint);
}

void CQEditView::OnLineNumberFormatChanged()
{
    RecalcMetrics();
    ComputeMargin(false);
    UpdateScrollInfo(clientWidth, clientHeight);
    UpdateCaretPos();
    Invalidate();
    TextViewCore::host_.UpdateWindow();
}

void CQEditView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    EmuSetSourceLevel(1);
    CBaseView::OnActivateView(activate, activated, deactivated);
    Invalidate();
}

void CQEditView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject)
{
    // The text is shared: another view may have shortened it.
    ClampToText();
    switch (hint) {
    case kHintLineChanged:
        if (auto* line = dynamic_cast<CLineHint*>(hintObject)) {
            UpdateScrollInfo(clientWidth, clientHeight);
            if (LineOnPage(line->line)) {
                const int x = TextPosToX(line->column, line->line);
                const int y = (line->line - topLine) * lineHeight + topOffset;
                InvalidateArea(x, y, 2000, lineHeight);
            }
            UpdateCaretPos();
            return;
        }
        [[fallthrough]];
    case kHintRepaintAll:
        UpdateScrollInfo(clientWidth, clientHeight);
        UpdateCaretPos();
        Invalidate();
        return;
    case kHintDisplaySettings:
        SetScreenFont(theSettings.EditorFont);
        RecalcMetrics();
        ComputeMargin(false);
        UpdateScrollInfo(clientWidth, clientHeight);
        UpdateCaretPos();
        Invalidate();
        return;
    case kHintBreakpoints: CBaseView::OnUpdate(sender, hint, hintObject); return;
    default: break;
    }
    // The main frame's flags about the stop position.
    TextViewFrame* frame = GetTextViewFrame();
    CQEditDoc* doc = GetDocument();
    if (!frame || !doc)
        return;
    const TextViewStop stop = frame->GetStopPosition();
    if (!SameFileName(stop.sourcePath, doc->GetPathName())) {
        // The program counter left this file: its mark goes.
        if (SameFileName(stop.previousPath, doc->GetPathName())) {
            RepaintMarginRows(topLine, topLine + linesPerPage);
            TextViewCore::host_.UpdateWindow();
        }
        return;
    }
    RepaintMarginRows(topLine, topLine + linesPerPage);
    if (hint & kPcHasSourceLine) {
        if (IsAddressOnPage(ADDR{stop.pc, ADDR_SPACE_TARGET})) {
            if ((hint & kPcSourcePreferred) && (hint & kPcThisDocument))
                BringFrameToTop();
        } else if ((hint & kPcThisDocument) && !doc->Views().empty()) {
            if (auto* first = dynamic_cast<CQEditView*>(doc->Views().front())) {
                first->ShowLineAtTop(stop.line - 2);
                first->OnHScroll(textcore::SB_LEFT, 0);
                first->BringFrameToTop();
            }
        }
    }
    TextViewCore::host_.UpdateWindow();
}

// --- typing and deleting -------------------------------------------------------

void CQEditView::OnChar(UINT ch, UINT repeat, UINT)
{
    if (!TypeCharacter(ch, repeat))
        return;
    if (ch == '\r') {
        if (LineCount() % 10 == 0)
            Invalidate();
        else
            RepaintMarginRows(caretLine, caretLine);
    }
    CDocument* doc = CView::GetDocument();
    if (!doc)
        return;
    const std::string_view line = LineText(caretLine);
    if (line.find("/*") != std::string_view::npos || line.find("*/") != std::string_view::npos) {
        // The colouring of the lines below may change in every view.
        doc->UpdateAllViews(nullptr, kHintLineChanged, nullptr);
        return;
    }
    CLineHint hint(caretLine, std::max(caretColumn - 1, 0));
    doc->UpdateAllViews(this, ch == '\r' ? kHintRepaintAll : kHintLineChanged, &hint);
}

void CQEditView::OnKeyDown(UINT vk, UINT repeat, UINT flags)
{
    CBaseView::OnKeyDown(vk, repeat, flags);
    if (DeleteForKey(vk, repeat))
        UpdateViewsOfDocument(kHintRepaintAll);
}

// --- edit commands ----------------------------------------------------------------

void CQEditView::OnEditCut()
{
    if (CutSelection())
        UpdateViewsOfDocument(kHintRepaintAll);
}

void CQEditView::OnEditPaste()
{
    if (PasteClipboard())
        UpdateViewsOfDocument(kHintRepaintAll);
}

void CQEditView::OnSelectAll()
{
    const int last = std::max(LineCount() - 1, 0);
    const int end = GetLineLength(last);
    SetSelection(0, 0, last, end, true);
    caretLine = last;
    caretColumn = end;
    UpdateCaretPos();
}

// --- mouse, drag and drop -------------------------------------------------------

void CQEditView::OnLButtonDown(UINT flags, POINT point)
{
    if (point.x >= 0 && point.x < kMarginConstant) {
        if (lineHeight > 0)
            ToggleBreakpointAtRow((point.y - topOffset) / lineHeight, DocumentFileName(), kSoftwareBreakpoint);
        CBaseView::OnLButtonDown(flags, point);
        return;
    }
    if (HasSelection() && IsPointInSelection(point.x, point.y)) {
        std::string text;
        CopySelectionToGlobal(text);
        platform::DragRequest request;
        request.source = m_hWnd;
        request.text = std::move(text);
        request.allowedEffects = platform::DROPEFFECT_COPY | platform::DROPEFFECT_MOVE | DROPEFFECT_LINK;
        platform::StartDragDrop(request);
        return;
    }
    CBaseView::OnLButtonDown(flags, point);
}

int CQEditView::OnSetCursorAt(POINT point)
{
    const int shape = CBaseView::OnSetCursorAt(point);
    return point.x >= 0 && point.x < leftMargin ? kMarginCursor : shape;
}

DWORD CQEditView::OnDragOver(const std::string& text, DWORD keyState, POINT)
{
    if (text.empty())
        dropEffect = platform::DROPEFFECT_NONE;
    else if (keyState & MK_CONTROL)
        dropEffect = platform::DROPEFFECT_COPY;
    else if (keyState & MK_SHIFT)
        dropEffect = platform::DROPEFFECT_MOVE;
    else
        dropEffect = DROPEFFECT_LINK;
    return dropEffect;
}

BOOL CQEditView::OnDrop(const std::string& text, DWORD effect, POINT point)
{
    // The answer of the last drag-over decides (the window layer knows only
    // copy and move).
    if (dropEffect != platform::DROPEFFECT_NONE)
        effect = dropEffect;
    dropEffect = platform::DROPEFFECT_NONE;
    ClearSelection(false);
    int line = 0;
    int column = 0;
    PointToTextPos(point.x, point.y, line, column);
    SetCaret(line, column);
    if (effect == platform::DROPEFFECT_COPY) {
        InsertText(text, 0);
        UpdateViewsOfDocument(kHintRepaintAll);
        return TRUE;
    }
    if (effect == DROPEFFECT_LINK) {
        // Dropped text (from another program, without a key) is searched for.
        TextViewCore::services_.AddFindText(text);
        SendMessage(WM_COMMAND, ID_EDIT_FIND_NEXT_CMD, 0);
        return TRUE;
    }
    return CBaseView::OnDrop(text, effect, point);
}

// --- bookmarks ----------------------------------------------------------------------

void CQEditView::ToggleBookmark()
{
    auto at = std::find_if(bookmarks_.begin(), bookmarks_.end(),
                           [this](const EditBookmark& mark) { return mark.line >= caretLine; });
    if (at != bookmarks_.end() && at->line == caretLine)
        bookmarks_.erase(at);
    else
        bookmarks_.insert(at, EditBookmark{{}, caretLine});
    InvalidateLines(caretLine, caretLine);
}

void CQEditView::NextBookmark()
{
    if (bookmarks_.empty())
        return;
    // A bookmark on the line just below the caret is passed over.
    auto next = std::find_if(bookmarks_.begin(), bookmarks_.end(),
                             [this](const EditBookmark& mark) { return mark.line > caretLine + 1; });
    ShowLineAtTop(next != bookmarks_.end() ? next->line : bookmarks_.front().line);
}

void CQEditView::PreviousBookmark()
{
    if (bookmarks_.empty())
        return;
    auto previous = std::find_if(bookmarks_.rbegin(), bookmarks_.rend(),
                                 [this](const EditBookmark& mark) { return mark.line < caretLine - 1; });
    ShowLineAtTop(previous != bookmarks_.rend() ? previous->line : bookmarks_.back().line);
}

void CQEditView::DeleteAllBookmarks()
{
    bookmarks_.clear();
    Invalidate();
}

void CQEditView::ShowLineAtTop(int line)
{
    line = std::max(line, 0);
    if (IsPartlyLoaded() && line + linesPerPage >= LineCount())
        GetDocument()->LoadLinesUpTo(static_cast<std::size_t>(line + 2 * linesPerPage + 1));
    line = std::min(line, std::max(LineCount() - 1, 0));
    OnVScroll(textcore::SB_THUMBPOSITION, static_cast<UINT>(line));
    caretLine = line;
    caretColumn = std::min(caretColumn, GetLineLength(line));
    UpdateCaretPos();
    Invalidate();
}

// --- the program-counter mark --------------------------------------------------------

LRESULT CQEditView::OnSetPcLine(WPARAM wParam, LPARAM lParam)
{
    // The target stopped or was reset: a tip shows an old value.
    HideStaleDataTip();
    pcMarkLine = -1;
    if ((wParam & 0xFF) != 0) {
        // The whole source line of the address (not its low 16 bits), and
        // only when the address lies in this document's module.
        std::uint32_t module = 0;
        std::uint32_t line = 0;
        CQEditDoc* doc = GetDocument();
        if (doc && lookups::LineOfAddr(static_cast<std::uint32_t>(lParam), module, line) && line > 0) {
            int ownModule = 0;
            const std::string name = FileNameOf(doc->GetPathName());
            if (lookups::SymFindModuleOfFile(name.c_str(), &ownModule) &&
                static_cast<std::uint32_t>(ownModule) == module)
                pcMarkLine = static_cast<int>(line) - 1;
        }
    }
    if (pcMarkLine < 0 || LineOnPage(pcMarkLine)) {
        InvalidateArea(0, 0, kMarginConstant, kMarginStripHeight);
        return 1;
    }
    ShowLineAtTop(pcMarkLine - 1);
    return 1;
}

LRESULT CQEditView::OnViewSettings(WPARAM wParam, LPARAM)
{
    CQEditDoc* doc = GetDocument();
    if (!doc)
        return 1;
    if (wParam == 1) {
        doc->RecomputeLineNumberFormat();
        doc->RefreshAllViews();
        doc->UpdateAllViews(nullptr, kHintRepaintAll);
    } else if (wParam == 0) {
        doc->UpdateAllViews(nullptr, kHintDisplaySettings);
    }
    return 1;
}

void CQEditView::RepaintMarginRows(int firstLine, int lastLine)
{
    const int top = (std::max(firstLine, topLine) - topLine) * lineHeight + topOffset;
    const int bottom = (lastLine - topLine + 1) * lineHeight + topOffset;
    if (bottom > top)
        InvalidateArea(0, top, leftMargin, bottom - top);
}

void CQEditView::InvalidateArea(int x, int y, int width, int height)
{
    const textcore::PaintRect area{x, y, width, height};
    TextViewCore::host_.Invalidate(&area, false);
}

void CQEditView::BringFrameToTop()
{
    if (auto* child = dynamic_cast<CMDIChildWnd*>(GetParentFrame()))
        child->MDIActivate();
}

}  // namespace editor
