#include "talvis/block_walk.h"

#include <strings.h>

#include <algorithm>

#include "talvis/talvis.h"

namespace talvis {

namespace {
constexpr char kPassed[] = "Test Successful!";
constexpr size_t kTextSize = 1024;
}  // namespace

uint32_t TestBlockCount(uint32_t start, uint32_t end)
{
    if (end < start)
        return 0;
    const uint64_t firstBoundary = (static_cast<uint64_t>(start) & ~uint64_t{TEST_BLOCK - 1}) + TEST_BLOCK;
    if (end < firstBoundary)
        return 1;
    return static_cast<uint32_t>((end - firstBoundary) / TEST_BLOCK + 2);
}

BlockWalkOutcome TestRangeInBlocks(ADDR start, ADDR end, int width, const std::function<bool()>& cancelled,
                                   const std::function<void(int percent)>& progress)
{
    BlockWalkOutcome out;
    const uint32_t count = TestBlockCount(start.off, end.off);
    uint64_t blockStart = start.off;
    for (uint32_t block = 1; block <= count; ++block) {
        if (cancelled && cancelled()) {
            out.cancelled = true;
            break;
        }
        const uint64_t boundary = (blockStart & ~uint64_t{TEST_BLOCK - 1}) + TEST_BLOCK;
        const uint32_t blockEnd = static_cast<uint32_t>(std::min<uint64_t>(boundary - 1, end.off));
        char text[kTextSize] = {};
        MemTestRange({static_cast<uint32_t>(blockStart), start.seg}, {blockEnd, end.seg}, text, 0, width);
        out.text = text;
        out.passed = strcasecmp(text, kPassed) == 0;
        out.blocks = block;
        if (progress)
            progress(static_cast<int>(uint64_t{block} * 100 / count));
        if (!out.passed)
            break;
        blockStart = boundary;
    }
    if (out.cancelled)
        out.passed = false;
    return out;
}

}  // namespace talvis
