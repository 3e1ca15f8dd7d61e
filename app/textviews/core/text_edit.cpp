// The editing primitives of the text views (insert at the caret, delete the
// selection, join two lines) and undo.
#include <algorithm>

#include "platform/win32.h"
#include "text_columns.h"
#include "text_line_reader.h"
#include "text_view_core.h"

namespace textcore {

namespace {

// The pieces of an inserted text: its first line, the lines after it, and
// whether it held a line break at all. The first line ends at CR or LF; that
// character and a different one of the two right behind it (CR LF or LF CR)
// are its line break. Text that an undo puts back is cut at LF only, exactly
// as it was copied.
struct TextPieces {
    std::vector<std::string> lines;  // first line, then the others; the last holds what follows the last break
    bool hasBreak = false;
};

TextPieces CutText(std::string_view text, bool exact)
{
    TextPieces pieces;
    if (exact) {
        std::size_t pos = 0;
        while (true) {
            const std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) {
                pieces.lines.emplace_back(text.substr(pos));
                break;
            }
            pieces.lines.emplace_back(text.substr(pos, end - pos));
            pieces.hasBreak = true;
            pos = end + 1;
        }
        return pieces;
    }
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        pieces.lines.emplace_back(text);
        return pieces;
    }
    pieces.hasBreak = true;
    pieces.lines.emplace_back(text.substr(0, end));
    std::size_t rest = end + 1;
    if (rest < text.size() && (text[rest] == '\r' || text[rest] == '\n') && text[rest] != text[end])
        ++rest;
    const std::string_view tail = text.substr(rest);
    for (std::string& line : SplitTextIntoLines(tail))
        pieces.lines.push_back(std::move(line));
    if (tail.empty() || tail.back() == '\n')
        pieces.lines.emplace_back();
    return pieces;
}

}  // namespace

TextPos TextViewCore::ClampToText(TextPos pos) const
{
    // A selection may outlive a change of its lines (another view of the
    // text edited them): its ends are taken inside the text.
    pos.line = std::clamp(pos.line, 0, std::max(0, LineCount() - 1));
    pos.column = std::clamp(pos.column, 0, GetLineLength(pos.line));
    return pos;
}

struct TextViewCore::InsertPlan {
    TextPos from;                    // first replaced position (selection start or caret)
    TextPos to;                      // end of the replaced range
    std::vector<std::string> lines;  // what replaces lines from.line .. to.line
    TextPos insertStart;             // where the inserted text begins
    TextPos caret;                   // caret after the insertion
    bool replacing = false;
    std::string oldText;
};

bool TextViewCore::CopySelectionToGlobal(std::string& out) const
{
    out.clear();
    if (!HasSelection())
        return false;
    TextPos start = selStart;
    TextPos end = selEnd;
    if (end < start)
        std::swap(start, end);
    for (int line = start.line; line <= end.line; ++line) {
        const std::string_view text = LineText(line);
        const std::size_t from = line == start.line ? std::min<std::size_t>(start.column, text.size()) : 0;
        const std::size_t to = line == end.line ? std::min<std::size_t>(end.column, text.size()) : text.size();
        if (to > from)
            out.append(text.substr(from, to - from));
        if (line != end.line)
            out.push_back('\n');
    }
    return true;
}

bool TextViewCore::PlanInsert(std::string_view text, int typed, InsertPlan& plan)
{
    const bool undoRunning = buffer_->UndoRunning();
    if (HasSelection()) {
        plan.from = ClampToText(selStart);
        plan.to = ClampToText(selEnd);
        if (plan.to < plan.from)
            std::swap(plan.from, plan.to);
        plan.replacing = !undoRunning;
        if (plan.replacing)
            CopySelectionToGlobal(plan.oldText);
    } else {
        plan.from = plan.to = {caretLine, caretColumn};
    }
    const std::string_view firstLine = LineText(plan.from.line);
    const std::string_view lastLine = LineText(plan.to.line);
    const std::size_t leftEnd = std::min<std::size_t>(std::max(plan.from.column, 0), firstLine.size());
    std::string left(firstLine.substr(0, leftEnd));
    const std::size_t rightStart = std::min<std::size_t>(std::max(plan.to.column, 0), lastLine.size());
    const std::string right(lastLine.substr(rightStart));
    // A caret beyond the end of its line: the line is padded with spaces.
    const int tabColumn = ColumnAfterText(firstLine, 0);
    if (!HasSelection() && plan.from.column > tabColumn &&
        static_cast<std::size_t>(plan.from.column) > firstLine.size())
        left.append(static_cast<std::size_t>(plan.from.column - tabColumn), ' ');

    std::string inserted(text);
    const bool smart = services_.SmartEdit();
    const char closing = smart ? GetClosingPair(typed) : 0;
    if (closing)
        inserted.push_back(closing);
    TextPieces pieces = CutText(inserted, undoRunning);
    plan.insertStart = {plan.from.line, static_cast<int>(left.size())};

    if (!pieces.hasBreak) {
        std::string line = left + pieces.lines[0] + right;
        if (!undoRunning && CharCount(line) > kMaxLineLength) {
            TextViewMessage(0, MB_OK);
            return false;
        }
        plan.caret = {plan.from.line, static_cast<int>(left.size() + pieces.lines[0].size())};
        plan.lines.push_back(std::move(line));
    } else {
        const bool enterOnly = pieces.lines.size() == 2 && pieces.lines[1].empty();
        if (!enterOnly && !undoRunning && LineCount() >= kMaxLines) {
            TextViewMessage(4, MB_OK);
            return false;
        }
        std::string first = left + pieces.lines[0];
        if (!undoRunning && CharCount(first) > kMaxLineLength) {
            TextViewMessage(0, MB_OK);
            return false;
        }
        plan.lines.push_back(std::move(first));
        std::string indent;
        if (enterOnly && smart && typed == 13) {
            const std::size_t run = firstLine.find_first_not_of(" \t");
            indent = std::string(firstLine.substr(0, run == std::string_view::npos ? firstLine.size() : run));
        }
        for (std::size_t i = 1; i + 1 < pieces.lines.size(); ++i)
            plan.lines.push_back(std::move(pieces.lines[i]));
        std::string last = indent + pieces.lines.back();
        const int lastLength = static_cast<int>(last.size());
        plan.lines.push_back(last + right);
        plan.caret = {plan.from.line + static_cast<int>(plan.lines.size()) - 1, lastLength};
    }
    return true;
}

void TextViewCore::ApplyLines(int firstLine, int lastLine, const std::vector<std::string>& lines)
{
    // Replace lines first..last by `lines`: set the common ones, then insert or
    // remove the difference in one step.
    const int old = lastLine - firstLine + 1;
    const int common = std::min<int>(old, static_cast<int>(lines.size()));
    for (int i = 0; i < common; ++i)
        buffer_->SetLine(static_cast<std::size_t>(firstLine + i), lines[static_cast<std::size_t>(i)]);
    if (static_cast<int>(lines.size()) > old) {
        std::vector<std::string> extra(lines.begin() + old, lines.end());
        buffer_->InsertLines(static_cast<std::size_t>(firstLine + old), extra);
    } else if (static_cast<int>(lines.size()) < old) {
        buffer_->RemoveLines(static_cast<std::size_t>(firstLine + common), static_cast<std::size_t>(old - common));
    }
}

bool TextViewCore::InsertText(std::string_view text, int typed)
{
    // A text of no lines (the console after Clear) is one empty line.
    if (LineCount() == 0) {
        buffer_->AppendLine("");
        caretLine = caretColumn = 0;
    }
    caretLine = std::clamp(caretLine, 0, LineCount() - 1);
    InsertPlan plan;
    // Everything is measured before anything changes: a refused insertion
    // leaves the text, the selection and the undo list as they were.
    if (!PlanInsert(text, typed, plan))
        return false;
    const int linesBefore = LineCount();
    ApplyLines(plan.from.line, plan.to.line, plan.lines);
    selStart = selEnd = {};
    caretLine = plan.caret.line;
    caretColumn = plan.caret.column;
    if (!buffer_->UndoRunning()) {
        TextUndoList& undo = buffer_->UndoList();
        if (plan.replacing)
            undo.AddReplacement(plan.from.line, plan.from.column, plan.oldText, plan.insertStart.line,
                                plan.insertStart.column, caretLine, caretColumn);
        else
            undo.AddInsertion(plan.insertStart.line, plan.insertStart.column, caretLine, caretColumn);
    }
    if (services_.SmartEdit() && GetClosingPair(typed))
        caretColumn = std::max(0, caretColumn - 1);
    AfterEdit(plan.from.line, LineCount() - linesBefore);
    return true;
}

bool TextViewCore::DeleteSelection(bool record)
{
    if (!HasSelection())
        return false;
    TextPos start = ClampToText(selStart);
    TextPos end = ClampToText(selEnd);
    if (end < start)
        std::swap(start, end);
    const std::string_view startText = LineText(start.line);
    const std::string_view endText = LineText(end.line);
    const std::string joined = std::string(startText.substr(0, std::min<std::size_t>(start.column, startText.size()))) +
        std::string(endText.substr(std::min<std::size_t>(end.column, endText.size())));
    // A join that would make the line too long refuses the whole deletion
    // before anything is recorded or removed.
    if (!buffer_->UndoRunning() && start.line != end.line && CharCount(joined) > kMaxLineLength) {
        TextViewMessage(0, MB_OK);
        return false;
    }
    if (record && !buffer_->UndoRunning()) {
        std::string text;
        CopySelectionToGlobal(text);
        if (static_cast<int>(text.size()) <= services_.MaxUndoLen()) {
            buffer_->UndoList().AddDeletion(start.line, start.column, text);
        } else {
            // Not kept: the older records would point at places that moved.
            buffer_->UndoList().Clear();
        }
    }
    const int linesBefore = LineCount();
    ApplyLines(start.line, end.line, {joined});
    caretLine = start.line;
    caretColumn = static_cast<int>(std::min<std::size_t>(start.column, startText.size()));
    selStart = selEnd = {};
    AfterEdit(start.line, LineCount() - linesBefore);
    return true;
}

bool TextViewCore::JoinLines(int first, int second)
{
    if (first == second || first < 0 || second < 0 || first >= LineCount() || second >= LineCount())
        return false;
    std::string joined = std::string(LineText(first)) + std::string(LineText(second));
    if (!buffer_->UndoRunning() && CharCount(joined) > kMaxLineLength) {
        TextViewMessage(0, MB_OK);
        return false;
    }
    const int firstLength = GetLineLength(first);
    buffer_->SetLine(static_cast<std::size_t>(first), joined);
    buffer_->RemoveLines(static_cast<std::size_t>(second), 1);
    // The caret keeps its place in the text.
    if (caretLine == second) {
        caretLine = first;
        caretColumn += second > first ? firstLength : 0;
    } else if (caretLine > second) {
        --caretLine;
    }
    AfterEdit(std::min(first, second), -1);
    return true;
}

void TextViewCore::AppendText(std::string_view text)
{
    if (LineCount() == 0)
        buffer_->AppendLine("");
    selStart = selEnd = {};
    caretLine = LineCount() - 1;
    caretColumn = GetLineLength(caretLine);
    InsertText(text, 0);
}

void TextViewCore::AfterEdit(int firstChangedLine, int linesAdded)
{
    UpdateScrollInfo(clientWidth, clientHeight);
    if (linesAdded != 0) {
        host_.Invalidate(nullptr, false);
    } else {
        InvalidateLines(firstChangedLine, firstChangedLine);
    }
    EnsureCaretVisible(SB_LINEDOWN);
    if (services_.HasDocument())
        services_.SetModified();
}

void TextViewCore::UndoLastEdit()
{
    TextUndoList& undo = buffer_->UndoList();
    buffer_->SetUndoRunning(true);
    TextUndoRecord record;
    if (!undo.PeekLast(record)) {
        buffer_->SetUndoRunning(false);
        return;
    }
    auto removeRange = [&] {
        SetSelection(record.startLine, record.startColumn, record.endLine, record.endColumn, false);
        DeleteSelection(false);
    };
    switch (record.kind) {
    case TextUndoRecord::Inserted: removeRange(); break;
    case TextUndoRecord::Deleted:
        selStart = selEnd = {};
        caretLine = record.line;
        caretColumn = record.column;
        InsertText(record.text, 0);
        break;
    default:
        removeRange();
        selStart = selEnd = {};
        caretLine = record.line;
        caretColumn = record.column;
        InsertText(record.text, 0);
        break;
    }
    undo.RemoveLast();
    EnsureCaretVisible(SB_LINEDOWN);
    services_.UpdateAllViews(-2);
    buffer_->SetUndoRunning(false);
}

}  // namespace textcore
