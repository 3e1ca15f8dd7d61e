// `CBaseView`'s behaviour without its window: the fields of the common text
// view, its scroll ranges and caret, keys and mouse, the editing primitives
// with undo, search and replace, and the paint model. The window class of the
// text views derives from it (or holds it) and forwards its messages; it
// reaches the window only through `TextViewHost`.
#pragma once

#include <string>
#include <string_view>

#include "text_buffer.h"
#include "text_colour.h"
#include "text_paint_record.h"
#include "text_print.h"
#include "text_view_host.h"

namespace textcore {

// The search state that every text view shares (one for the process).
struct TextViewSearchState {
    void* dialog = nullptr;  // the open find/replace dialog, or none
    bool findOnly = true;
    std::string findText;
    std::string replaceText;
    bool matchCase = false;
    bool searchDown = true;
    bool wholeWord = false;
};
TextViewSearchState& SearchState();

struct TextPos {
    int line = 0;
    int column = 0;
    bool operator==(const TextPos&) const = default;
    auto operator<=>(const TextPos&) const = default;
};

class TextViewCore {
public:
    static constexpr int kMarginConstant = 20;

    TextViewCore(TextViewHost& host, TextViewServices& services);
    virtual ~TextViewCore();

    // The text the view shows (shared with the document's other views).
    void SetBuffer(TextBuffer* buffer);
    TextBuffer& Buffer() { return *buffer_; }
    int LineCount() const { return static_cast<int>(buffer_->LineCount()); }
    std::string_view LineText(int line) const;
    bool IsTextEmpty() const;

    // --- virtual operations, in slot order ---------------------------------
    virtual std::string GetSelectedOrWordText();
    virtual bool IsErrorLine(std::string lineText);
    virtual bool GetFindString(std::string& out);
    virtual bool FindNext(const std::string& text, bool down, bool matchCase, bool wholeWord);
    virtual bool ReplaceNext(const std::string& text, bool down, bool matchCase, bool wholeWord,
                             const std::string& replacement);
    virtual bool ReplaceAll(const std::string& text, const std::string& replacement, bool matchCase, bool wholeWord);
    virtual void OnFindFailed(const std::string& text);
    virtual bool GetBookmarkAtLine(int line, int& value);
    virtual const char* GetLineNumberFormat();
    virtual void ScrollToPosition(int bar, int previous);
    virtual bool IsAddressOnPage(ADDR address);

    // --- metrics and scrolling ---------------------------------------------
    void OnInitialUpdate();
    void RecalcMetrics();
    void ComputeMargin(bool printing);
    void UpdateScrollInfo(int width, int height);
    void OnVScroll(int code, int pos);
    void OnHScroll(int code, int pos);
    void OnSize(int width, int height);
    void OnMouseWheel(int delta);
    PaintRect GetTextRect();

    // --- caret and positions -----------------------------------------------
    int TextPosToX(int column, std::string_view text) const;
    int TextPosToX(int column, int line) const { return TextPosToX(column, LineText(line)); }
    int PointToTextPos(int x, int y, int& line, int& column);
    void UpdateCaretPos();
    void MoveCaret(int bar, int delta);
    void EnsureCaretVisible(int code);
    void SetCaret(int line, int column);

    // --- selection ---------------------------------------------------------
    bool HasSelection() const;
    void ClearSelection(bool showCaret);
    void StartSelection(int line, int column, bool hideCaret, int endLine = -1, int endColumn = -1);
    void SetSelection(int startLine, int startColumn, int endLine, int endColumn, bool repaint);
    void ExtendSelection(int line, int column);
    void NormalizeSelection();
    bool GetWordRange(int line, int column, TextPos& start, TextPos& end);
    bool IsPointInSelection(int x, int y);
    void InvalidateLines(int first, int last);

    // --- keys and mouse ----------------------------------------------------
    void OnKeyDown(int vk, int repeat);
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y, bool leftDown);
    void OnLButtonUp(int x, int y);
    void OnLButtonDblClk(int x, int y);
    void OnTimer(int id);
    // True: the arrow cursor (over the selection); false: the I-beam.
    bool OnSetCursor(int x, int y);
    void OnSetFocus();
    void OnEditCopy();
    // Update handlers: Copy while a selection exists, Find Next while the text
    // is not empty, Undo while the undo list is not.
    bool CanCopy() const { return HasSelection(); }
    bool CanFindNext() const { return !IsTextEmpty(); }
    // `WM_EMU_REFRESH_MARGIN`: repaints the icon strip; returns 1.
    int OnRefreshMargin();

    // --- editing primitives and undo ---------------------------------------
    bool InsertText(std::string_view text, int typed);
    bool DeleteSelection(bool record);
    bool JoinLines(int first, int second);
    void AppendText(std::string_view text);
    bool CopySelectionToGlobal(std::string& out) const;
    int GetLineLength(int line) const;
    void UndoLastEdit();
    bool CanUndo() const { return !buffer_->UndoList().IsEmpty(); }

    // --- search ------------------------------------------------------------
    bool Search(const std::string& text, bool down, bool matchCase, bool wholeWord);
    bool SelectionMatches(const std::string& text, bool matchCase) const;
    bool ReplaceCurrent();
    // F3 and the find box: true when a search ran (false: the dialog is to open).
    bool OnFindNextCommand();

    // --- painting ----------------------------------------------------------
    // The rows [firstRow, firstRow + rowCount) of the page (all exposed rows:
    // 0 and lines per page).
    void PaintRows(TextPaint& paint, int firstRow, int rowCount);
    bool IsInsideBlockComment(int line) const;
    // One printed page (1-based) laid out by `paging`, rows `printLineHeight`
    // apart, without the icon strip and the margin icons.
    void PaintPrintPage(TextPaint& paint, int page, const PrintPaging& paging, int printLineHeight);

    // Fields of the view (the window class and tests read them).
    int leftMargin = kMarginConstant;
    int topOffset = 0;
    int topLine = 0;
    int charWidth = 0;
    int lineHeight = 16;
    int spaceWidth = 0;
    int vertLineStep = 1;
    int vertPageStep = 0;
    int horzLineStep = 1;
    int horzPageStep = 0;
    int firstColumn = 0;
    int linesPerPage = 64;
    int columnsPerPage = 1;
    TextPos selStart;
    TextPos selEnd;
    bool selecting = false;
    bool caretShown = false;
    int caretLine = 0;
    int caretColumn = 0;
    long markedPosition = -1;
    int timerId = 0;
    TextColourMode colourMode = TCM_C_SOURCE;
    int clientWidth = 0;
    int clientHeight = 0;
    bool hasFocus = false;
    // Print address range of a listing (the disassembly view turns it on).
    bool printRangeOn = false;
    std::uint32_t printFirstAddress = 0;
    std::uint32_t printLastAddress = 0;

protected:
    TextViewHost& host_;
    TextViewServices& services_;

private:
    struct InsertPlan;
    TextPos ClampToText(TextPos pos) const;
    bool PlanInsert(std::string_view text, int typed, InsertPlan& plan);
    void ApplyLines(int firstLine, int lastLine, const std::vector<std::string>& lines);
    void AfterEdit(int firstChangedLine, int linesAdded);
    bool SearchFrom(const std::string& text, bool down, bool matchCase, bool wholeWord, TextPos& found);
    void SelectMatch(int line, int column, int length);
    void PaintLine(TextPaint& paint, int row, int line, int y, struct PaintContext& context);
    void BeginPaint(struct PaintContext& context, int firstLine);

    int wheelRemainder_ = 0;  // wheel units short of a whole notch
    TextBuffer ownBuffer_;
    TextBuffer* buffer_ = &ownBuffer_;
};

// Build output lines with a warning: "WARNING", "Warning" or "warning".
bool IsLineWithWarning(std::string_view lineText);

// The text view's message table, shown as message boxes through the
// platform's modal service; returns the box's answer.
int TextViewMessage(int index, unsigned type);
// Set whenever a line longer than 255 characters is painted (process-wide).
bool& LineTruncationFlag();
const char* TextViewMessageText(int index);

}  // namespace textcore
