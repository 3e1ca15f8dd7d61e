// Source lines: the rows the readers add, table by table, and the index
// derived from them. A row covers the addresses from its own up to the next
// row of its table; rows of one line that follow each other form one code
// range of that line, and a line may have several ranges. A statement row
// after rows inside a statement of the same line starts a range of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "range_index.h"

namespace quinar {

struct LineRow {
    uint32_t address;
    uint32_t line;  // 0: no source line (ends the row before)
    uint32_t file;  // position of the source file
    uint16_t column;
    bool statement = true;  // false: a row inside a statement
};

struct LineTable {
    uint32_t file;
    uint32_t firstRow;
    uint32_t rowCount;
    bool sorted = false;  // rows put in address order by the index build
};

struct LineTables {
    std::vector<LineRow> rows;
    std::vector<LineTable> tables;
    void Clear()
    {
        rows.clear();
        tables.clear();
    }
};

struct LineRange {
    uint32_t start;
    uint32_t end;  // inclusive; equals start for a row that shares its address
    uint32_t line;
    uint32_t file;
    uint16_t column;
    bool hasExtent;  // false: the next row starts at the same address
    // Its start begins a statement: a row at that address is one, or the
    // table has no statement rows at all.
    bool statement = true;
};

class LineIndex {
public:
    // Last address of the last row of a table (no next row bounds it).
    using LastRowLimit = std::function<uint32_t(uint32_t address, uint32_t file)>;

    void Build(LineTables& tables, size_t fileCount, const LastRowLimit& limit);
    void Clear();
    // The code range that holds an address, or null.
    const LineRange* At(uint32_t address) const;
    // Ranges (ids) of one line of one file, lowest address first.
    std::span<const uint32_t> RangesOf(uint32_t file, uint32_t line) const;
    // The lines of the code in [start, end] that belong to the source file of
    // its lowest range: false when no range lies there.
    struct Span {
        uint32_t file;
        uint32_t first;
        uint32_t last;
    };
    bool SpanWithin(uint32_t start, uint32_t end, Span* span) const;
    const LineRange& Range(uint32_t id) const { return ranges_[id]; }

private:
    std::vector<LineRange> ranges_;
    RangeIndex byAddress_;
    std::vector<uint32_t> byLine_;     // range ids sorted by file, line, start
    std::vector<uint32_t> fileBegin_;  // file -> first entry in byLine_; one more at the end
};

}  // namespace quinar
