#include "range_index.h"

#include <algorithm>

namespace quinar {

void RangeIndex::Build(std::vector<Range> ranges)
{
    segments_.clear();
    std::vector<uint32_t> order;
    order.reserve(ranges.size());
    for (uint32_t i = 0; i < ranges.size(); ++i)
        if (ranges[i].end >= ranges[i].start)
            order.push_back(i);
    // Outer ranges first, so that the ranges inside them are pushed above
    // them; among equal bounds the later registration ends on top.
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Range& ra = ranges[a];
        const Range& rb = ranges[b];
        if (ra.start != rb.start)
            return ra.start < rb.start;
        if (ra.end != rb.end)
            return ra.end > rb.end;
        return a < b;
    });

    std::vector<const Range*> stack;  // active ranges, innermost on top
    uint64_t cursor = 0;              // first address not yet covered by a segment
    auto emit = [&](uint64_t start, uint64_t end, uint32_t payload) {
        if (!segments_.empty() && segments_.back().payload == payload && uint64_t{segments_.back().end} + 1 == start) {
            segments_.back().end = static_cast<uint32_t>(end);
        } else {
            segments_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(end), payload});
        }
    };
    // Emits segments for the active ranges up to `limit` (inclusive).
    auto emitUntil = [&](uint64_t limit) {
        while (!stack.empty() && cursor <= limit) {
            const Range* top = stack.back();
            if (top->end < cursor) {
                stack.pop_back();
                continue;
            }
            uint64_t segEnd = std::min<uint64_t>(top->end, limit);
            emit(cursor, segEnd, top->payload);
            cursor = segEnd + 1;
        }
    };
    for (uint32_t i : order) {
        const Range& r = ranges[i];
        if (r.start > 0)
            emitUntil(uint64_t{r.start} - 1);
        cursor = std::max<uint64_t>(cursor, r.start);
        stack.push_back(&r);
    }
    emitUntil(0xFFFFFFFFull);
}

const RangeIndex::Segment* RangeIndex::Find(uint32_t address) const
{
    auto it = std::upper_bound(segments_.begin(), segments_.end(), address,
                               [](uint32_t a, const Segment& s) { return a < s.start; });
    if (it == segments_.begin())
        return nullptr;
    --it;
    return address <= it->end ? &*it : nullptr;
}

}  // namespace quinar
