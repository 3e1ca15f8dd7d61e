#include "line_index.h"

#include <algorithm>

namespace quinar {

void LineIndex::Clear()
{
    ranges_.clear();
    byAddress_.Clear();
    byLine_.clear();
    fileBegin_.clear();
}

void LineIndex::Build(LineTables& tables, size_t fileCount, const LastRowLimit& limit)
{
    Clear();
    for (LineTable& table : tables.tables) {
        auto first = tables.rows.begin() + table.firstRow;
        auto last = first + table.rowCount;
        if (!table.sorted) {
            // Stable: of rows at one address the one added last holds it.
            std::stable_sort(first, last, [](const LineRow& a, const LineRow& b) { return a.address < b.address; });
            table.sorted = true;
        }
        // A compiler that never sets the statement flag marks no row inside
        // a statement: all its rows are statements.
        const bool flagged = std::any_of(first, last, [](const LineRow& r) { return r.statement && r.line != 0; });
        auto statementAt = [&](decltype(first) row) {
            if (!flagged || row->statement)
                return true;
            // Rows at one address: one statement among them makes it a start.
            for (auto other = row; other != first && (other - 1)->address == row->address;)
                if ((--other)->statement && other->line != 0)
                    return true;
            return false;
        };
        for (auto row = first; row != last;) {
            if (row->line == 0) {
                ++row;
                continue;
            }
            // The run of rows of this line, then the row that bounds it.
            const bool statement = statementAt(row);
            auto runEnd = row + 1;
            while (runEnd != last && runEnd->line == row->line && (statement || !runEnd->statement))
                ++runEnd;
            LineRange range{row->address, 0, row->line, row->file, row->column, true, statement};
            if (runEnd == last) {
                uint32_t lastAddress = (runEnd - 1)->address;
                range.end = std::max(limit(lastAddress, row->file), lastAddress);
            } else if (runEnd->address == row->address) {
                // The next row takes over at this very address: no code here.
                range.end = row->address;
                range.hasExtent = false;
            } else {
                range.end = runEnd->address - 1;
            }
            ranges_.push_back(range);
            row = runEnd;
        }
    }

    std::vector<RangeIndex::Range> spans;
    spans.reserve(ranges_.size());
    for (uint32_t id = 0; id < ranges_.size(); ++id)
        if (ranges_[id].hasExtent)
            spans.push_back({ranges_[id].start, ranges_[id].end, id});
    byAddress_.Build(std::move(spans));

    byLine_.resize(ranges_.size());
    for (uint32_t id = 0; id < ranges_.size(); ++id)
        byLine_[id] = id;
    std::sort(byLine_.begin(), byLine_.end(), [&](uint32_t a, uint32_t b) {
        const LineRange& ra = ranges_[a];
        const LineRange& rb = ranges_[b];
        if (ra.file != rb.file)
            return ra.file < rb.file;
        if (ra.line != rb.line)
            return ra.line < rb.line;
        return ra.start < rb.start;
    });
    fileBegin_.assign(fileCount + 1, 0);
    size_t at = 0;
    for (size_t file = 0; file <= fileCount; ++file) {
        while (at < byLine_.size() && ranges_[byLine_[at]].file < file)
            ++at;
        fileBegin_[file] = static_cast<uint32_t>(at);
    }
}

const LineRange* LineIndex::At(uint32_t address) const
{
    const RangeIndex::Segment* s = byAddress_.Find(address);
    return s ? &ranges_[s->payload] : nullptr;
}

std::span<const uint32_t> LineIndex::RangesOf(uint32_t file, uint32_t line) const
{
    if (size_t{file} + 1 >= fileBegin_.size())
        return {};
    auto first = byLine_.begin() + fileBegin_[file];
    auto last = byLine_.begin() + fileBegin_[file + 1];
    auto lo = std::lower_bound(first, last, line, [&](uint32_t id, uint32_t l) { return ranges_[id].line < l; });
    auto hi = std::upper_bound(lo, last, line, [&](uint32_t l, uint32_t id) { return l < ranges_[id].line; });
    return {byLine_.data() + (lo - byLine_.begin()), static_cast<size_t>(hi - lo)};
}

bool LineIndex::SpanWithin(uint32_t start, uint32_t end, Span* span) const
{
    const auto& segments = byAddress_.Segments();
    auto it = std::lower_bound(segments.begin(), segments.end(), start,
                               [](const RangeIndex::Segment& s, uint32_t a) { return s.end < a; });
    bool found = false;
    for (; it != segments.end() && it->start <= end; ++it) {
        const LineRange& r = ranges_[it->payload];
        if (r.line == 0)
            continue;
        if (!found) {
            *span = {r.file, r.line, r.line};
            found = true;
        } else if (r.file == span->file) {
            span->first = std::min(span->first, r.line);
            span->last = std::max(span->last, r.line);
        }
    }
    return found;
}

}  // namespace quinar
