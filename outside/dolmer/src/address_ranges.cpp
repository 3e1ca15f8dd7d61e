// The valid range of each address space.
#include <initializer_list>

#include "dolmer/dolmer.h"

namespace {

struct Ranges {
    uint32_t first = 0;
    uint32_t last = 0xFFFFFFFFu;
    uint32_t extFirst = 0;
    uint32_t extLast = 0xFFFFFFFFu;
    int flags = 0;
};

Ranges& State()
{
    static Ranges ranges;
    return ranges;
}

}  // namespace

extern "C" {

int AdrGetAddrRange(uint16_t space, uint32_t* first, uint32_t* last)
{
    if (space != ADDR_SPACE_TARGET)
        return 0;
    if (first)
        *first = State().first;
    if (last)
        *last = State().last;
    return 1;
}

int AdrSetExtAddrRange(uint32_t first, uint32_t last, uint32_t extFirst, uint32_t extLast, int flags)
{
    if (first > last)
        return 0;
    State() = {first, last, extFirst, extLast, flags};
    return 1;
}

int AdrCheckAddrRange(ADDR addr)
{
    uint32_t first = 0;
    uint32_t last = 0;
    if (!AdrGetAddrRange(addr.seg, &first, &last))
        return ADR_E_OUT_OF_RANGE;
    return addr.off >= first && addr.off <= last ? 1 : ADR_E_OUT_OF_RANGE;
}

int AdrCheck2Addr(ADDR start, ADDR end)
{
    for (const ADDR& a : {start, end}) {
        const int r = AdrCheckAddrRange(a);
        if (r != 1)
            return r;
    }
    if (start.seg != end.seg)
        return ADR_E_SPACES_DIFFER;
    return start.off <= end.off ? 1 : ADR_E_END_BEFORE_START;
}

}  // extern "C"
