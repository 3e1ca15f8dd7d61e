// CBaseView: the common text view on the window layer. It is a `CView`
// (documents, the print protocol, the command route) and a `TextViewCore`
// (the text engine: lines, caret, selection, keys, mouse, search, paint
// model). The engine reaches the window through the view's `WindowHost` and
// the program through the settings record, the frame interface and the
// debugger look-ups; subclasses override the engine's eleven virtual
// operations and give the view their text and colouring mode.
#pragma once

#include <memory>
#include <string>

#include "platform/doc_view.h"
#include "platform/gdi.h"
#include "popup_tip_wnd.h"
#include "text_view_core.h"
#include "text_view_frame.h"

// Commands of the text views beside the framework's edit commands.
inline constexpr UINT ID_EDIT_FIND_NEXT = 32771;  // "Find &Next\tF3"
inline constexpr UINT ID_EDIT_FIND_BOX = 32770;   // the Edit toolbar's find box

// The window operations a text view needs beyond `WindowHost`: the caret the
// widget draws, the pointer, the screen font. The Qt widget implements it
// beside `WindowHost` (the view finds it on its host); without it (tests on
// `FakeHost`) the view keeps the state for itself and repaints everything.
class TextWindowHost {
public:
    virtual ~TextWindowHost() = default;
    // The caret moved, was shown or hidden: the widget redraws it.
    virtual void CaretChanged() = 0;
    // The pointer in client coordinates.
    virtual POINT CursorPos() const = 0;
    // The screen font changed: the widget measures it again.
    virtual void FontChanged(const platform::FontSpec& font) = 0;
    // Paint the invalid parts now.
    virtual void UpdateNow() = 0;
    // Scroll the contents of the client area (`area` null: all) by (dx, dy).
    virtual void ScrollContents(int dx, int dy, const RECT* area) = 0;
    // Invalidate one rectangle of the client area.
    virtual void InvalidateRect(const RECT& rect) = 0;
};

namespace textbase::detail {

// The engine's window and program, over the view. Built before the engine,
// which keeps references to both.
class BaseViewLinks {
protected:
    explicit BaseViewLinks(class ::CBaseView& view);
    ~BaseViewLinks();
    std::unique_ptr<textcore::TextViewHost> coreHost_;
    std::unique_ptr<textcore::TextViewServices> coreServices_;
};

}  // namespace textbase::detail

class CBaseView : public CView, private textbase::detail::BaseViewLinks, public textcore::TextViewCore {
public:
    CBaseView();
    ~CBaseView() override;

    // --- CView ------------------------------------------------------------
    void OnInitialUpdate() override;
    // Every hint clamps caret and selection to the text (the document's
    // other views may have shortened it), then repaints; hint 0x01010101
    // repaints the icon strip only.
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    // Screen: the exposed rows as one cell record; printing: the current page.
    virtual void OnDraw(CDC* dc);
    bool GetCellPaint(int firstRow, int rows, CellPaint& paint) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;

    // The engine's paint record of rows [firstRow, firstRow + rows) of the
    // page turned into the window layer's cell rows.
    CellPaint MakeCellPaint(const textcore::TextPaint& paint) const;

    // --- fonts ------------------------------------------------------------
    // The screen font: the settings' editor font, else the stock system
    // fixed font. Null handle: the stock font.
    void SetScreenFont(HFONT font);
    HFONT ScreenFont() const { return screenFont_; }
    platform::FontSpec ScreenFontSpec() const;

    // --- find and replace -------------------------------------------------
    // Opens the find (findOnly) or replace form of the one dialog of the
    // process, notifying this view.
    void OpenFindDialog(bool findOnly);
    // The registered "commdlg_FindReplace" message.
    static UINT FindReplaceMessage();

    // --- the caret the widget draws ---------------------------------------
    int caretX = 0;
    int caretY = 0;
    bool caretVisible = false;  // shown by the engine and the view has focus
    bool caretCreated = false;  // between WM_SETFOCUS and WM_KILLFOCUS
    bool mouseCaptured = false;
    // The cursor the view asked for at the last WM_SETCURSOR (163: the
    // margin cursor, 0 arrow, 1 I-beam).
    int cursorShape = 1;
    // The pointer of the last mouse message (the auto-scroll timer reads it
    // when the widget can't tell).
    POINT lastPointer;

    // The view's document as the engine sees it (the source document
    // overrides these).
    virtual bool IsPartlyLoaded() { return false; }
    virtual void ReadMoreLines(bool all) {}
    virtual void SetModified();
    virtual void UpdateViewsOfDocument(int hint);

    // --- the debugger's use of the view ----------------------------------
    // The one-based line of the caret (source views: the line whose address
    // `CDebugCore::GetCursorAddress` and the breakpoint commands take).
    int GetCaretLine() const { return caretLine + 1; }
    // The tip window made with the view's window (null before and after).
    CPopupTipWnd* TipWindow() const { return tip_.get(); }
    // Every message the main frame is about to dispatch (its relay, through
    // `TextViewFrame::RelayDataTipEvent`); the source editor shows and hides
    // its data tips here. The base view does nothing.
    virtual void RelayDataTipEvent(const MSG& msg) {}

    // The print paging of the last OnBeginPrinting.
    const textcore::PrintPaging& Paging() const { return paging_; }
    int PrintLineHeight() const { return printLineHeight_; }

    DECLARE_DYNCREATE(CBaseView)

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate() override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus() override;
    void OnKillFocus() override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnVScroll(UINT code, UINT pos) override;
    void OnHScroll(UINT code, UINT pos) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    BOOL OnMouseWheel(UINT flags, short delta, POINT point) override;
    void OnTimer(UINT_PTR id) override;
    // WM_SETCURSOR: the shape for a point of the client area.
    virtual int OnSetCursorAt(POINT point);
    // The find/replace dialog's notification (FR_ flags of the dialog).
    virtual LRESULT OnFindReplace(WPARAM wParam, LPARAM lParam);
    // WM_SETPCLINE: the base view marks nothing; source and listing views do.
    virtual LRESULT OnSetPcLine(WPARAM wParam, LPARAM lParam) { return 1; }
    // WM_EMU_VIEW_SETTINGS: the source view reacts (wParam 1: display data
    // recomputed, hint -2; 0: hint -3).
    virtual LRESULT OnViewSettings(WPARAM wParam, LPARAM lParam) { return 1; }
    void OnFindNextCmd();
    // Clamps caret and selection to the text.
    void ClampToText();
    // Backspace (VK_BACK) and Delete: the selection, else `repeat` (at
    // least one) characters before or after the caret, a line break
    // counting as one. False for any other key.
    bool DeleteForKey(UINT vk, UINT repeat);
    void DeleteAround(int count, bool before);
    // A typed character (code 32 and above, tab or Enter) inserted as many
    // times as the key repeated, each a typed character of its own. False
    // for other codes.
    bool TypeCharacter(UINT ch, UINT repeat);
    // Cut: the selection to the clipboard, then deleted (recorded). Paste:
    // the clipboard's text at the caret. False when nothing changed.
    bool CutSelection();
    bool PasteClipboard();
    TextWindowHost* TextHost() const;

private:
    friend class textbase::detail::BaseViewLinks;
    HFONT screenFont_ = nullptr;
    std::unique_ptr<CPopupTipWnd> tip_;
    textcore::PrintPaging paging_;
    int printLineHeight_ = 0;
    int currentPrintPage_ = 1;
    int savedCharWidth_ = 0;  // the screen's while printing
};

// Opens a source file as a document of the application and scrolls its
// first view so that the one-based line is at the top, at the left edge
// (WM_VSCROLL SB_THUMBPOSITION line - 1, WM_HSCROLL SB_TOP). False when no
// document opened (no application, no such file).
bool OpenSourceAtLine(int line, const std::string& path);
