// The lines of one text (a document, the console, the build output) in a
// blocked store, with the undo list that every view of the text shares.
//
// Lines are byte strings without their line break. They sit in blocks of at
// most a few hundred lines; a block either refers to the bytes a bulk load
// read (shared, never copied) or owns a compact copy of its lines once one of
// them is edited. Inserting or removing k lines touches the k lines, one or
// two blocks and the block index (a Fenwick tree over the blocks' line
// counts): O(k + log N), with an O(N / 512) rebuild of the index when blocks
// split or merge, at most once per few hundred inserted or removed lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text_undo.h"

namespace textcore {

class TextBuffer {
public:
    TextBuffer();
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    std::size_t LineCount() const { return lineCount_; }
    // The line's bytes; valid until the buffer changes.
    std::string_view Line(std::size_t index) const;

    void SetLine(std::size_t index, std::string_view text);
    void InsertLine(std::size_t at, std::string_view text);
    void InsertLines(std::size_t at, const std::vector<std::string>& lines);
    void RemoveLines(std::size_t at, std::size_t count);
    void AppendLine(std::string_view text) { InsertLine(lineCount_, text); }

    // Replaces the whole text (load, reload, clear): the undo list is emptied.
    void Clear();
    void SetLines(const std::vector<std::string>& lines);
    // Appends lines that lie in `bytes` (kept alive by the buffer) at the
    // given offsets and lengths, without copying them. The bulk reader's way in.
    struct LineSpan {
        std::uint32_t start;
        std::uint32_t length;
    };
    void AppendShared(const std::shared_ptr<const std::string>& bytes, const LineSpan* spans, std::size_t count);

    // All lines joined by `lineBreak`, with a last break when `finalBreak`.
    std::string Join(std::string_view lineBreak, bool finalBreak) const;

    // The backward scan of the painter: the nearest line above `line` that
    // holds "*/" answers false, one that holds "/*" with no "//" in front of it
    // answers true; no such line: false. Each block keeps the answer of its
    // last deciding line, so the scan passes whole blocks in one step.
    bool IsInsideBlockCommentScan(std::size_t line) const;

    TextUndoList& UndoList() { return undo_; }
    const TextUndoList& UndoList() const { return undo_; }
    // Set while an undo runs: the primitives record nothing and apply no limits.
    bool UndoRunning() const { return undoRunning_; }
    void SetUndoRunning(bool running) { undoRunning_ = running; }

    // Increases with every change of the lines.
    std::uint64_t Revision() const { return revision_; }
    std::size_t BlockCount() const { return blocks_.size(); }

    // A block's lines as they lie in memory, for scans over many lines (a
    // search runs over a whole block's bytes at once). Lines are ordered by
    // their start offsets; bytes between two lines belong to neither.
    struct BlockText {
        const char* data;
        const LineSpan* lines;
        std::size_t count;
        std::size_t firstLine;
    };
    std::size_t BlockIndexOf(std::size_t line) const { return Locate(line).block; }
    BlockText GetBlockText(std::size_t block) const;

private:
    struct Block;
    struct Location {
        std::size_t block;
        std::size_t offset;
    };
    Location Locate(std::size_t line) const;
    void RebuildIndex() const;
    void Restructured();
    void CountChanged(std::size_t block, std::ptrdiff_t delta);
    std::size_t FirstLineOf(std::size_t block) const;
    void SplitIfLarge(std::size_t block);
    void MergeIfSmall(std::size_t block);
    std::size_t InsertBlock(std::size_t at);

    std::vector<std::unique_ptr<Block>> blocks_;
    mutable std::vector<std::size_t> tree_;  // Fenwick tree of the blocks' line counts
    mutable bool indexDirty_ = true;         // blocks were added or removed since it was built
    mutable std::size_t lastBlock_ = 0;      // where the previous look-up ended
    mutable std::size_t lastFirst_ = 0;      // and that block's first line
    mutable std::uint64_t cacheRevision_ = ~std::uint64_t{0};
    std::size_t lineCount_ = 0;
    TextUndoList undo_;
    bool undoRunning_ = false;
    std::uint64_t revision_ = 0;
};

}  // namespace textcore
