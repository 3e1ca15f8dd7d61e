#include "text_undo.h"

#include "text_columns.h"

namespace textcore {

bool TextUndoList::Add(TextUndoRecord record)
{
    if (static_cast<int>(records_.size()) >= kCapacity)
        records_.pop_front();
    records_.push_back(std::move(record));
    return true;
}

bool TextUndoList::AddInsertion(int startLine, int startColumn, int endLine, int endColumn)
{
    if (!records_.empty()) {
        TextUndoRecord& last = records_.back();
        if (last.kind == TextUndoRecord::Inserted && last.startLine == endLine && last.endLine == startLine &&
            last.endColumn == startColumn) {
            last.endLine = endLine;
            last.endColumn = endColumn;
            return true;
        }
    }
    TextUndoRecord record;
    record.kind = TextUndoRecord::Inserted;
    record.startLine = startLine;
    record.startColumn = startColumn;
    record.endLine = endLine;
    record.endColumn = endColumn;
    return Add(std::move(record));
}

bool TextUndoList::AddDeletion(int line, int column, std::string_view text)
{
    if (!records_.empty()) {
        TextUndoRecord& last = records_.back();
        if (last.kind == TextUndoRecord::Deleted && last.line == line && last.text.find('\n') == std::string::npos &&
            text.find('\n') == std::string_view::npos) {
            if (last.column == column) {
                last.text.append(text);
                return true;
            }
            // Backspace again: the new deletion must end exactly where the
            // record starts, measured in bytes (a tab-stop column would join
            // deletions that were not adjacent).
            if (last.column == column + static_cast<int>(text.size())) {
                last.text.insert(0, text);
                last.column = column;
                return true;
            }
        }
    }
    TextUndoRecord record;
    record.kind = TextUndoRecord::Deleted;
    record.line = line;
    record.column = column;
    record.text = std::string(text);
    return Add(std::move(record));
}

bool TextUndoList::AddReplacement(int line, int column, std::string_view oldText, int startLine, int startColumn,
                                  int endLine, int endColumn)
{
    TextUndoRecord record;
    record.kind = TextUndoRecord::Replaced;
    record.line = line;
    record.column = column;
    record.text = std::string(oldText);
    record.startLine = startLine;
    record.startColumn = startColumn;
    record.endLine = endLine;
    record.endColumn = endColumn;
    return Add(std::move(record));
}

bool TextUndoList::PeekLast(TextUndoRecord& out) const
{
    if (records_.empty())
        return false;
    out = records_.back();
    return true;
}

void TextUndoList::RemoveLast()
{
    if (!records_.empty())
        records_.pop_back();
}

void TextUndoList::RemoveFirst()
{
    if (!records_.empty())
        records_.pop_front();
}

}  // namespace textcore
