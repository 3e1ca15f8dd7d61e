// `CQEditView`: the source editor, the common text view on the lines of a
// `CQEditDoc`. It adds typing, cut and paste, Backspace and Delete across
// lines, drag and drop of text, bookmarks, the program-counter mark of
// `WM_SETPCLINE`, and the update hints by which the views of one document
// keep each other current.
#pragma once

#include <string>
#include <vector>

#include "base_view.h"
#include "qedit_doc.h"

namespace editor {

// Commands of the editor beside the framework's edit commands.
inline constexpr UINT ID_EDIT_SELECT_ALL_TEXT = 32773;  // "&Select All"
inline constexpr UINT ID_BOOKMARK_NEXT = 32920;
inline constexpr UINT ID_BOOKMARK_TOGGLE = 32921;
inline constexpr UINT ID_BOOKMARK_DELETE_ALL = 32926;
inline constexpr UINT ID_BOOKMARK_PREVIOUS = 32934;

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

    // The line the program counter is marked on (0-based; -1 none).
    int pcMarkLine = -1;
    DWORD dropEffect = 0;
    // Where the last right click or double click was (the debugging commands').
    int contextLine = -1;
    std::string contextWord;
    // Data-tip state (the debugging commands' tips use it).
    bool tipTimerArmed = false;
    int tipTicks = 0;
    textcore::TextPos tipWord{-1, -1};
    textcore::TextPos tipShown{-1, -1};

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
    // A click in the icon strip (the debugging commands toggle a breakpoint).
    virtual void OnMarginClick(int line) {}

private:
    void OnEditCut();
    void OnEditPaste();
    void OnSelectAll();
    void RepaintMarginRows(int firstLine, int lastLine);
    void InvalidateArea(int x, int y, int width, int height);
    void ShowLineAtTop(int line);
    void BringFrameToTop();
    bool LineOnPage(int line) const { return line >= topLine && line < topLine + linesPerPage; }

    std::vector<EditBookmark> bookmarks_;  // ascending lines
};

}  // namespace editor

using editor::CQEditView;
