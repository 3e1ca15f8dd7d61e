#include "simcore/breakpoint_list.h"

#include <new>

namespace zk::sim {

bool BreakpointList::Insert(uint32_t address, uint32_t mask)
{
    try {
        records_[address] = {mask, true};
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool BreakpointList::Delete(uint32_t address)
{
    records_.erase(address);
    return true;
}

bool BreakpointList::SetEnabled(uint32_t address, bool enabled)
{
    auto it = records_.find(address);
    if (it != records_.end())
        it->second.enabled = enabled;
    return true;
}

void BreakpointList::SetAll(bool enabled)
{
    for (auto& [address, entry] : records_)
        entry.enabled = enabled;
}

std::vector<SoftwareBreakpoint> BreakpointList::Records() const
{
    std::vector<SoftwareBreakpoint> out;
    out.reserve(records_.size());
    for (const auto& [address, entry] : records_)
        out.push_back({address, entry.mask, entry.enabled});
    return out;
}

}  // namespace zk::sim
