#include "base_view.h"

#include <algorithm>

#include "platform/clipboard.h"

#include "emu_messages.h"
#include "find_dialog.h"
#include "shell/settings.h"
#include "text_columns.h"

IMPLEMENT_DYNCREATE(CBaseView, CView)

namespace {

inline constexpr int kMarginCursor = 163;  // the cursor over the icon strip
inline constexpr int kArrowCursor = 0;
inline constexpr int kBeamCursor = 1;

}  // namespace

CBaseView::CBaseView() : BaseViewLinks(*this), TextViewCore(*coreHost_, *coreServices_)
{
    screenFont_ = theSettings.EditorFont;

    OnCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
    OnUpdateCommandUI(ID_EDIT_COPY, [this](CCmdUI* ui) { ui->Enable(CanCopy()); });
    OnCommand(ID_EDIT_FIND, [this] { OpenFindDialog(true); });
    OnCommand(ID_EDIT_FIND_NEXT, [this] { OnFindNextCmd(); });
    OnUpdateCommandUI(ID_EDIT_FIND_NEXT, [this](CCmdUI* ui) { ui->Enable(CanFindNext()); });
    // The Edit toolbar's find box: a selection ended in its list.
    OnNotify(ID_EDIT_FIND_BOX, CBN_SELENDOK, [this] { OnFindNextCmd(); });
    OnCommand(ID_EDIT_UNDO, [this] { UndoLastEdit(); });
    OnUpdateCommandUI(ID_EDIT_UNDO, [this](CCmdUI* ui) { ui->Enable(CanUndo()); });

    OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) -> LRESULT { return 1; });
    OnMessage(WM_SETCURSOR, [this](WPARAM, LPARAM) -> LRESULT {
        cursorShape = OnSetCursorAt(lastPointer);
        return TRUE;
    });
    OnMessage(WM_EMU_REFRESH_MARGIN, [this](WPARAM, LPARAM) -> LRESULT { return OnRefreshMargin(); });
    OnMessage(WM_EMU_VIEW_SETTINGS, [this](WPARAM w, LPARAM l) { return OnViewSettings(w, l); });
    OnMessage(WM_SETPCLINE, [this](WPARAM w, LPARAM l) { return OnSetPcLine(w, l); });
}

CBaseView::~CBaseView()
{
    if (TextViewFrame* frame = GetTextViewFrame())
        frame->RemoveView(this);
    if (CFindReplaceDlg* dialog = OpenedFindDialog(); dialog && dialog->NotifyTarget() == this) {
        dialog->DropOwner();
        CloseFindDialog();
    }
}

LRESULT CBaseView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The registered message has no fixed number: it can't sit in the map.
    if (msg == FindReplaceMessage() && msg != 0)
        return OnFindReplace(wParam, lParam);
    return CView::WindowProc(msg, wParam, lParam);
}

int CBaseView::OnCreate()
{
    if (TextViewFrame* frame = GetTextViewFrame())
        frame->AddView(this);
    const int result = CView::OnCreate();
    if (result != -1) {
        tip_ = std::make_unique<CPopupTipWnd>();
        if (!tip_->CreateTip(this))
            tip_.reset();
    }
    return result;
}

void CBaseView::OnDestroy()
{
    if (TextViewFrame* frame = GetTextViewFrame())
        frame->RemoveView(this);
    if (tip_) {
        tip_->DestroyWindow();
        tip_.reset();
    }
    if (CFindReplaceDlg* dialog = OpenedFindDialog(); dialog && dialog->NotifyTarget() == this) {
        dialog->DropOwner();
        CloseFindDialog();
    }
    CView::OnDestroy();
}

// --- fonts ---------------------------------------------------------------

void CBaseView::SetScreenFont(HFONT font)
{
    screenFont_ = font;
    if (TextWindowHost* host = TextHost())
        host->FontChanged(ScreenFontSpec());
}

platform::FontSpec CBaseView::ScreenFontSpec() const
{
    platform::FontSpec spec;
    HFONT font = screenFont_ ? screenFont_ : static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    if (!platform::FontOfHandle(font, spec)) {
        spec = {};
        spec.family = "DejaVu Sans Mono";
    }
    return spec;
}

TextWindowHost* CBaseView::TextHost() const
{
    return dynamic_cast<TextWindowHost*>(GetHost());
}

// --- CView ---------------------------------------------------------------

void CBaseView::OnInitialUpdate()
{
    if (!screenFont_)
        SetScreenFont(nullptr);
    TextViewCore::OnInitialUpdate();
}

void CBaseView::ClampToText()
{
    const int last = std::max(LineCount() - 1, 0);
    auto clampPos = [&](textcore::TextPos& p) {
        p.line = std::clamp(p.line, 0, last);
        p.column = std::clamp(p.column, 0, GetLineLength(p.line));
    };
    clampPos(selStart);
    clampPos(selEnd);
    textcore::TextPos caret{caretLine, caretColumn};
    clampPos(caret);
    caretLine = caret.line;
    caretColumn = caret.column;
    const int maxTop = std::max(0, LineCount() - std::min(3, linesPerPage));
    topLine = std::clamp(topLine, 0, maxTop);
}

void CBaseView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject)
{
    // The document's other views may have shortened the shared text.
    ClampToText();
    if (hint == kHintBreakpoints) {
        OnRefreshMargin();
        return;
    }
    UpdateScrollInfo(0, 0);
    UpdateCaretPos();
    Invalidate();
}

void CBaseView::SetModified()
{
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(TRUE);
}

void CBaseView::UpdateViewsOfDocument(int hint)
{
    if (CDocument* doc = GetDocument())
        doc->UpdateAllViews(this, hint);
}

// --- messages --------------------------------------------------------------

void CBaseView::OnSize(UINT, int cx, int cy)
{
    TextViewCore::OnSize(cx, cy);
}

void CBaseView::OnSetFocus()
{
    CView::OnSetFocus();
    caretCreated = true;
    TextViewCore::OnSetFocus();
}

void CBaseView::OnKillFocus()
{
    hasFocus = false;
    caretCreated = false;
    caretVisible = false;
    if (TextWindowHost* host = TextHost())
        host->CaretChanged();
}

void CBaseView::OnKeyDown(UINT vk, UINT repeat, UINT)
{
    TextViewCore::OnKeyDown(static_cast<int>(vk), static_cast<int>(repeat));
}

void CBaseView::OnVScroll(UINT code, UINT pos)
{
    TextViewCore::OnVScroll(static_cast<int>(code), static_cast<int>(pos));
}

void CBaseView::OnHScroll(UINT code, UINT pos)
{
    TextViewCore::OnHScroll(static_cast<int>(code), static_cast<int>(pos));
}

void CBaseView::OnLButtonDown(UINT, POINT point)
{
    lastPointer = point;
    TextViewCore::OnLButtonDown(point.x, point.y);
}

void CBaseView::OnLButtonUp(UINT, POINT point)
{
    lastPointer = point;
    TextViewCore::OnLButtonUp(point.x, point.y);
}

void CBaseView::OnLButtonDblClk(UINT, POINT point)
{
    lastPointer = point;
    TextViewCore::OnLButtonDblClk(point.x, point.y);
}

void CBaseView::OnMouseMove(UINT flags, POINT point)
{
    lastPointer = point;
    TextViewCore::OnMouseMove(point.x, point.y, (flags & MK_LBUTTON) != 0);
}

BOOL CBaseView::OnMouseWheel(UINT, short delta, POINT)
{
    TextViewCore::OnMouseWheel(delta);
    return TRUE;
}

void CBaseView::OnTimer(UINT_PTR id)
{
    TextViewCore::OnTimer(static_cast<int>(id));
}

int CBaseView::OnSetCursorAt(POINT point)
{
    if (point.x >= 0 && point.x < kMarginConstant)
        return kMarginCursor;
    return TextViewCore::OnSetCursor(point.x, point.y) ? kArrowCursor : kBeamCursor;
}

void CBaseView::OnFindNextCmd()
{
    if (!OnFindNextCommand())
        OpenFindDialog(true);
}

// --- deleting at the caret ---------------------------------------------------

bool CBaseView::DeleteForKey(UINT vk, UINT repeat)
{
    if (vk != VK_BACK && vk != VK_DELETE)
        return false;
    if (HasSelection())
        DeleteSelection(true);
    else
        DeleteAround(std::max<int>(static_cast<int>(repeat), 1), vk == VK_BACK);
    return true;
}

bool CBaseView::TypeCharacter(UINT ch, UINT repeat)
{
    if (ch < 32 && ch != '\t' && ch != '\r')
        return false;
    const std::string text(1, static_cast<char>(ch));
    const int count = std::max<int>(static_cast<int>(repeat), 1);
    for (int i = 0; i < count; ++i)
        if (!InsertText(text, static_cast<int>(ch)))
            break;
    return true;
}

bool CBaseView::CutSelection()
{
    if (!HasSelection())
        return false;
    OnEditCopy();
    DeleteSelection(true);
    return true;
}

bool CBaseView::PasteClipboard()
{
    const std::string text = platform::GetClipboard().GetText();
    if (text.empty())
        return false;
    InsertText(text, 0);
    return true;
}

void CBaseView::DeleteAround(int count, bool before)
{
    textcore::TextPos caret{std::clamp(caretLine, 0, std::max(LineCount() - 1, 0)), caretColumn};
    caret.column = std::clamp(caret.column, 0, GetLineLength(caret.line));
    textcore::TextPos other = caret;
    for (int i = 0; i < count; ++i) {
        const std::string_view text = LineText(other.line);
        if (before) {
            if (other.column > 0)
                other.column = static_cast<int>(textcore::PrevCharPos(text, static_cast<size_t>(other.column)));
            else if (other.line > 0)
                other = {other.line - 1, GetLineLength(other.line - 1)};
            else
                break;
        } else {
            if (other.column < static_cast<int>(text.size()))
                other.column = static_cast<int>(textcore::NextCharPos(text, static_cast<size_t>(other.column)));
            else if (other.line + 1 < LineCount())
                other = {other.line + 1, 0};
            else
                break;
        }
    }
    if (other == caret)
        return;
    const textcore::TextPos from = std::min(caret, other);
    const textcore::TextPos to = std::max(caret, other);
    SetSelection(from.line, from.column, to.line, to.column, false);
    DeleteSelection(true);
}
