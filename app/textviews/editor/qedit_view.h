// `CQEditView`: the source editor, the common text view on the lines of a
// `CQEditDoc`. It adds typing, cut and paste, Backspace and Delete across
// lines, drag and drop of text, bookmarks, the program-counter mark of
// `WM_SETPCLINE`, and the update hints by which the views of one document
// keep each other current.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base_view.h"
#include "debug_queries.h"
#include "platform/menu.h"
#include "qedit_doc.h"

namespace editor {

// Commands of the editor beside the framework's edit commands.
inline constexpr UINT ID_EDIT_SELECT_ALL_TEXT = 32773;  // "&Select All"
inline constexpr UINT ID_BOOKMARK_NEXT = 32920;
inline constexpr UINT ID_BOOKMARK_TOGGLE = 32921;
inline constexpr UINT ID_BOOKMARK_DELETE_ALL = 32926;
inline constexpr UINT ID_BOOKMARK_PREVIOUS = 32934;
// The debugging commands of the context menu.
inline constexpr UINT ID_INSPECT_SOURCE = 32937;
inline constexpr UINT ID_VIEW_ADDRESS_RANGE = 32936;
inline constexpr UINT ID_WATCH_VARIABLE = 32864;
inline constexpr UINT ID_INSPECT_VARIABLE = 32942;
inline constexpr UINT ID_TOGGLE_BREAKPOINT = 32938;
inline constexpr UINT ID_TOGGLE_HW_BREAKPOINT = 32946;
inline constexpr UINT ID_SEARCH_NEXT = 32909;
// The debugger's commands the menu offers (the debugger core handles them).
inline constexpr UINT ID_GOTO_CURSOR_CMD = 32816;
inline constexpr UINT ID_JUMP_TO_CURSOR_CMD = 32930;

// Breakpoint units passed to the debugger.
inline constexpr int kSoftwareBreakpoint = 0;
inline constexpr int kHardwareBreakpoint = 2;

// The data-tip timer: a tick every 55 ms, the tip after 15 ticks at rest.
inline constexpr UINT_PTR kDataTipTimer = 1300;
inline constexpr UINT kDataTipTimerMs = 55;
// A tip text "name=value" longer than this shows the value alone.
inline constexpr std::size_t kDataTipMaxText = 40;

// Update hints between the views of one source document.
inline constexpr LPARAM kHintLineChanged = -1;  // with a CLineHint; without one: repaint all
inline constexpr LPARAM kHintRepaintAll = -2;
inline constexpr LPARAM kHintDisplaySettings = -3;
// Stop-position flags of the other hints (the main frame's).
inline constexpr LPARAM kPcSourcePreferred = 0x1;
inline constexpr LPARAM kPcHasSourceLine = 0x2;
inline constexpr LPARAM kPcThisDocument = static_cast<LPARAM>(0x80000000u);

inline constexpr DWORD DROPEFFECT_LINK = 4;

// The object of hint -1: a line changed from a column on.
class CLineHint : public CObject {
public:
    CLineHint(int line, int column) : line(line), column(column) {}
    int line;
    int column;
};

struct EditBookmark {
    std::string text;
    int line = 0;  // 0-based
};

class CQEditView : public CBaseView, public SourceDocumentView {
public:
    static constexpr int kDataTipDelayTicks = 15;

    CQEditView();

    CQEditDoc* GetDocument() const { return dynamic_cast<CQEditDoc*>(CView::GetDocument()); }

    // --- the engine's slots ------------------------------------------------
    bool GetBookmarkAtLine(int line, int& value) override;
    const char* GetLineNumberFormat() override;
    bool IsAddressOnPage(ADDR address) override;

    // --- the document ------------------------------------------------------
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;
    void OnLineNumberFormatChanged() override;
    bool IsPartlyLoaded() override;
    void ReadMoreLines(bool all) override;
    void SetModified() override;
    void UpdateViewsOfDocument(int hint) override;

    // --- drag and drop -----------------------------------------------------
    DWORD OnDragOver(const std::string& text, DWORD keyState, POINT point) override;
    DWORD OnDragEnter(const std::string& text, DWORD keyState, POINT point)
    {
        return OnDragOver(text, keyState, point);
    }
    void OnDragLeave() { dropEffect = 0; }
    BOOL OnDrop(const std::string& text, DWORD effect, POINT point) override;

    // --- bookmarks ---------------------------------------------------------
    const std::vector<EditBookmark>& Bookmarks() const { return bookmarks_; }
    void ToggleBookmark();
    void NextBookmark();
    void PreviousBookmark();
    void DeleteAllBookmarks();

    // --- the debugging surface (margin, context menu, data tips) ----------
    // The symbol and debugger queries (the libraries' unless a test puts
    // its own in; null: the libraries').
    void SetDebugQueries(DebugQueries* queries) { queries_ = queries; }
    DebugQueries& Queries() const { return queries_ ? *queries_ : RealDebugQueries(); }
    // The word (letters, digits, `_`) around the text position of a client
    // point and its position (line, first column); an empty word and
    // (-1, -1) off the text or off a word.
    void GetWordAt(int x, int y, std::string& word, textcore::TextPos& position);
    // Set/Clear Breakpoint on a row of the page (line = top line + row + 1)
    // of the file named `fileName`; a line without code beeps.
    void ToggleBreakpointAtRow(int row, const std::string& fileName, int unit);
    // The context menu of a right click at a client point (the word test
    // sets the context word and line on the way).
    std::shared_ptr<CMenu> BuildContextMenu(POINT point);
    // The document's file name after its last folder separator.
    std::string DocumentFileName() const;
    // The data tips: the main frame's relay of every message, the word test
    // of a timer tick (0 a variable, -1 not), the tip shown for the pointer
    // (client coordinates) and hidden.
    void RelayDataTipEvent(const MSG& msg) override;
    int TestDataTipWord(POINT pointer);
    void ShowDataTip(POINT pointer);
    void HideDataTip();
    // Hides a shown tip whose value may be out of date (the target stopped
    // again, the pointer is on another variable) and forgets its position,
    // so that the same variable shows its tip again.
    void HideStaleDataTip();
    // The tip's text for a name and its value text.
    static std::string DataTipText(const std::string& name, const std::string& value);
    // The window and screen point of the last mouse move the relay kept
    // (process-wide).
    static HWND LastTipWindow();
    static POINT LastTipPoint();
    // The shared pop-up of View Address Range (null until first shown).
    static CPopupTipWnd* AddressRangeTip();

    // The line the program counter is marked on (0-based; -1 none).
    int pcMarkLine = -1;
    DWORD dropEffect = 0;
    // Where the last right click or double click was (the debugging commands').
    int contextLine = -1;
    std::string contextWord;
    // Data-tip state.
    bool tipTimerArmed = false;
    int tipDelay = kDataTipDelayTicks;
    int tipTicks = 0;
    textcore::TextPos tipWord{-1, -1};
    textcore::TextPos tipShown{-1, -1};
    POINT tipPointer{-1, -1};  // the pointer of the last tick (client)

    DECLARE_DYNCREATE(CQEditView)

protected:
    int OnCreate() override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    int OnSetCursorAt(POINT point) override;
    LRESULT OnSetPcLine(WPARAM wParam, LPARAM lParam) override;
    // Display options changed: 1 the line numbers (hint -2), 0 font and
    // colours (hint -3), to every view of the document.
    LRESULT OnViewSettings(WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnRButtonDown(UINT flags, POINT point) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    // A command the view's route does not handle (the debugger's Go to
    // Cursor, Jump to Cursor, Go to Assembly and Go to Mixed Source of the
    // context menu and the icon strip) goes on to the main frame's route.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    using CBaseView::OnCommand;

private:
    void MapDebugCommands();
    // The context word, or the word under the pointer, with "#" in front
    // (once); empty without a word.
    std::string FunctionName();
    void ForgetContext();
    void OnToggleBreakpoint(int unit);
    void OnInspectSource();
    void OnViewAddressRange();
    void OnInspect();
    void OnWatchVariable();
    void ReportLostTarget();
    POINT PointerPos() const;
    bool DataTipsOn() const;
    void OnEditCut();
    void OnEditPaste();
    void OnSelectAll();
    void RepaintMarginRows(int firstLine, int lastLine);
    void InvalidateArea(int x, int y, int width, int height);
    void ShowLineAtTop(int line);
    void BringFrameToTop();
    bool LineOnPage(int line) const { return line >= topLine && line < topLine + linesPerPage; }

    std::vector<EditBookmark> bookmarks_;  // ascending lines
    DebugQueries* queries_ = nullptr;
};

}  // namespace editor

using editor::CQEditView;
