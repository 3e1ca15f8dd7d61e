// The bounded undo list of a text: at most 50 records, newest last; there is
// no redo. One list belongs to each text buffer, so every view of a document
// records into and undoes from the same list.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace textcore {

struct TextUndoRecord {
    enum Kind : std::int32_t { Deleted = 0, Inserted = 1, Replaced = 2 };
    std::int32_t kind = Deleted;
    // The range the edit left in the text (kinds 1 and 2).
    std::int32_t startLine = 0;
    std::int32_t startColumn = 0;
    std::int32_t endLine = 0;
    std::int32_t endColumn = 0;
    // Where the removed text stood (kinds 0 and 2).
    std::int32_t line = 0;
    std::int32_t column = 0;
    std::string text;  // the removed text, lines joined by LF (kinds 0 and 2)
};

class TextUndoList {
public:
    static constexpr int kCapacity = 50;

    void Init() { records_.clear(); }
    bool IsEmpty() const { return records_.empty(); }
    int Count() const { return static_cast<int>(records_.size()); }
    // The Add functions return true, or false when nothing could be recorded.
    bool Add(TextUndoRecord record);
    // Typing on one line extends the newest insertion.
    bool AddInsertion(int startLine, int startColumn, int endLine, int endColumn);
    // Delete pressed again at one place appends to the newest deletion;
    // Backspace pressed again, whose deletion ends where the newest one starts,
    // puts its text in front.
    bool AddDeletion(int line, int column, std::string_view text);
    bool AddReplacement(int line, int column, std::string_view oldText, int startLine, int startColumn, int endLine,
                        int endColumn);
    // Copies the newest record; false when the list is empty.
    bool PeekLast(TextUndoRecord& out) const;
    const TextUndoRecord* Last() const { return records_.empty() ? nullptr : &records_.back(); }
    void RemoveLast();
    void RemoveFirst();
    void Clear() { records_.clear(); }

private:
    std::deque<TextUndoRecord> records_;
};

}  // namespace textcore
