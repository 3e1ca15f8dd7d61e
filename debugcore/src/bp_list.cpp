#include "bp_list.h"

#include <algorithm>

#include "planting.h"
#include "quinar/quinar.h"

namespace sarvik {

void BreakpointList::RemoveIf(const std::function<bool(const CBpDataEx&)>& drop)
{
    CBpList kept;
    kept.reserve(records_.size());
    for (CBpDataEx* record : records_) {
        if (drop(*record)) {
            ForgetPlantedRecord(record);
            delete record;
        } else {
            kept.push_back(record);
        }
    }
    records_.swap(kept);
}

void BreakpointList::RemoveAll()
{
    RemoveIf([](const CBpDataEx&) { return true; });
}

void BreakpointList::Remove(const CBpDataEx* record)
{
    RemoveIf([record](const CBpDataEx& r) { return &r == record; });
}

AddressQuery AddressQuery::Find(const ADDR& from, const ADDR& to)
{
    const bool range = to.seg != ADDR_SPACE_NONE ? to.off != 0 : from.seg == ADDR_SPACE_NONE;
    return {from, to, range};
}

bool AddressQuery::Matches(uint32_t address, uint32_t care) const
{
    const uint32_t a = address & care;
    if (from.seg != ADDR_SPACE_NONE || to.seg != ADDR_SPACE_NONE)
        return range ? (from.off & care) <= a && a <= (to.off & care) : a == (from.off & care);
    // A source position: the code ranges of the line.
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t iterator = 0;
    for (SymResult r = SymSrcLinenum2FirstRange(to.off, from.off, &start, &end, &iterator); r == SYM_OK;
         r = SymSrcLinenum2NextRange(to.off, from.off, &start, &end, &iterator)) {
        if (range ? (start & care) <= a && a <= (end & care) : a == (start & care))
            return true;
    }
    return false;
}

}  // namespace sarvik
