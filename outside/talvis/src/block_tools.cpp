// The memory tools on inclusive ranges: copy, compare and fill go to
// Falcrest whole; search and checksum read the range here.
#include <algorithm>
#include <cctype>
#include <vector>

#include "falcrest.h"
#include "ranges.h"
#include "talvis/talvis.h"

using namespace talvis;

namespace {

bool SameByte(uint8_t a, uint8_t b, bool ignoreCase)
{
    return a == b || (ignoreCase && std::tolower(a) == std::tolower(b));
}

}  // namespace

extern "C" {

int MemCopyBlock(ADDR sourceStart, ADDR sourceEnd, ADDR destination, int)
{
    uint32_t length = 0;
    if (!RangeLength(sourceStart, sourceEnd, &length) || !FitsAddressSpace(destination.off, length))
        return MEM_LIBRARY_ERROR;
    return emuCopy(sourceStart.off, static_cast<int16_t>(sourceStart.seg), length, destination.off,
                   static_cast<int16_t>(destination.seg));
}

int MemCompareBlock(ADDR start, ADDR end, ADDR destination, ADDR* firstDifference, int)
{
    uint32_t length = 0;
    if (!firstDifference || !RangeLength(start, end, &length) || !FitsAddressSpace(destination.off, length))
        return MEM_LIBRARY_ERROR;
    EMU_COMPARE_RESULT result{};
    int r = emuCompare(start.off, static_cast<int16_t>(start.seg), length, destination.off,
                       static_cast<int16_t>(destination.seg), &result, nullptr);
    if (r == EMU_OK)
        *firstDifference = {result.address, result.space};
    return r;
}

int MemFillBlock(ADDR start, ADDR end, const void* pattern, uint32_t patternLength, int)
{
    uint32_t length = 0;
    if (!pattern || patternLength == 0 || !RangeLength(start, end, &length))
        return MEM_LIBRARY_ERROR;
    return emuFill(&start, length, static_cast<const char*>(pattern), patternLength);
}

// The first match that lies wholly inside the range. The last
// patternLength - 1 bytes of each chunk are carried over, so a match across
// two chunks is found.
int MemSearchBlock(ADDR start, ADDR end, const void* pattern, uint32_t patternLength, int ignoreCase, ADDR* found, int)
{
    uint32_t length = 0;
    if (!pattern || patternLength == 0 || !found || !RangeLength(start, end, &length))
        return MEM_LIBRARY_ERROR;
    const auto* wanted = static_cast<const uint8_t*>(pattern);
    std::vector<uint8_t> window;
    uint32_t windowStart = start.off;
    bool matched = false;
    int r = ForEachChunk(start, length, [&](uint32_t, const uint8_t* bytes, uint32_t count) {
        window.insert(window.end(), bytes, bytes + count);
        for (size_t at = 0; at + patternLength <= window.size(); ++at) {
            size_t i = 0;
            while (i < patternLength && SameByte(window[at + i], wanted[i], ignoreCase != 0))
                ++i;
            if (i == patternLength) {
                *found = {windowStart + static_cast<uint32_t>(at), start.seg};
                matched = true;
                return false;
            }
        }
        const size_t keep = std::min<size_t>(window.size(), patternLength - 1);
        windowStart += static_cast<uint32_t>(window.size() - keep);
        window.erase(window.begin(), window.end() - static_cast<std::ptrdiff_t>(keep));
        return true;
    });
    if (r != 0)
        return r;
    return matched ? 0 : MEM_NOT_FOUND;
}

// The 16-bit sum of the range's bytes.
int MemChecksumBlock(ADDR start, ADDR end, WORD* checksum, int)
{
    uint32_t length = 0;
    if (!checksum || !RangeLength(start, end, &length))
        return MEM_LIBRARY_ERROR;
    uint32_t sum = 0;
    int r = ForEachChunk(start, length, [&](uint32_t, const uint8_t* bytes, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i)
            sum += bytes[i];
        return true;
    });
    if (r == 0)
        *checksum = static_cast<WORD>(sum);
    return r;
}

}  // extern "C"
