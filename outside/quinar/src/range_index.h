// Address look-up over ranges that may nest or overlap (functions inside
// functions, modules whose ranges overlap, line ranges of several tables):
// the ranges are flattened once into sorted, disjoint segments, each naming
// the innermost range that covers it, so a look-up is one binary search.
#pragma once

#include <cstdint>
#include <vector>

namespace quinar {

class RangeIndex {
public:
    struct Range {
        uint32_t start;
        uint32_t end;  // inclusive
        uint32_t payload;
    };
    struct Segment {
        uint32_t start;
        uint32_t end;  // inclusive
        uint32_t payload;
    };

    // Ranges later in the vector win over earlier ones with the same bounds;
    // a range that starts later (inside another) wins where it lies. Ranges
    // with end < start are ignored.
    void Build(std::vector<Range> ranges);
    void Clear() { segments_.clear(); }
    // The segment holding the address, or null.
    const Segment* Find(uint32_t address) const;
    const std::vector<Segment>& Segments() const { return segments_; }

private:
    std::vector<Segment> segments_;
};

}  // namespace quinar
