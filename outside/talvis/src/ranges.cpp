#include "ranges.h"

#include <algorithm>
#include <vector>

#include "talvis/talvis.h"

namespace talvis {

bool RangeLength(ADDR start, ADDR end, uint32_t* length)
{
    if (end.off < start.off || (start.off == 0 && end.off == 0xFFFFFFFFu))
        return false;
    *length = end.off - start.off + 1;
    return true;
}

int ForEachChunk(ADDR address, uint32_t length, const ChunkVisitor& visit)
{
    std::vector<uint8_t> chunk(TOOL_CHUNK);
    for (uint32_t done = 0; done < length;) {
        const uint32_t n = std::min(TOOL_CHUNK, length - done);
        const ADDR at{address.off + done, address.seg};
        int r = MemReadBlock(chunk.data(), at, n);
        if (r != 0)
            return r;
        if (!visit(at.off, chunk.data(), n))
            return 0;
        done += n;
    }
    return 0;
}

}  // namespace talvis
