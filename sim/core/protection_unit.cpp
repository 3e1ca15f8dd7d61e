#include "simcore/protection_unit.h"

namespace zk::sim {

void ProtectionUnit::Configure(const ProtectionSettings& settings)
{
    settings_ = settings;
    Forget();
}

void ProtectionUnit::Forget()
{
    for (Decision& d : decisions_)
        d.page = kNoPage;
}

int ProtectionUnit::RegionOf(uint32_t addr) const
{
    for (int r = kRegionCount - 1; r >= 0; --r) {
        if (settings_.regions[r].Contains(addr))
            return r;
    }
    return -1;
}

Protection ProtectionUnit::Answer(Side side, uint32_t addr, int region, bool user, bool write) const
{
    if (region < 0)
        return Protection::Refused;
    const unsigned s = static_cast<unsigned>(side);
    switch (settings_.permission[s][region]) {
    case Permission::None: return Protection::Refused;
    case Permission::Privileged:
        if (user)
            return Protection::Refused;
        break;
    case Permission::UserReadOnly:
        if (side == Side::Data && user && write)
            return Protection::Refused;
        break;
    case Permission::Full: break;
    }
    if (settings_.local[s].Contains(addr))
        return Protection::LocalMemory;
    return settings_.cacheEnabled[s] ? settings_.policy[s][region] : Protection::NonCacheable;
}

bool ProtectionUnit::Cacheable(Side side, uint32_t addr) const
{
    if (!settings_.enabled)
        return false;
    const int region = RegionOf(addr);
    const unsigned s = static_cast<unsigned>(side);
    return region >= 0 && !settings_.local[s].Contains(addr) && settings_.cacheEnabled[s] &&
        settings_.policy[s][region] != Protection::NonCacheable;
}

// Every address of a page finds the same region; only a local-memory window
// smaller than a page, or one ending inside it, tells addresses apart.
bool ProtectionUnit::PageUniform(uint32_t page) const
{
    const uint64_t first = uint64_t{page} << 12, end = first + 0x1000;
    for (const LocalMemoryWindow& w : settings_.local) {
        if (!w.enabled)
            continue;
        const uint64_t from = w.base, to = uint64_t{w.base} + w.size;
        const bool overlaps = from < end && to > first;
        const bool covers = from <= first && to >= end;
        if (overlaps && !covers)
            return false;
    }
    return true;
}

Protection ProtectionUnit::Decide(Side side, uint32_t addr, bool user, bool write) const
{
    const int region = RegionOf(addr);
    const uint32_t page = addr >> 12;
    if (!PageUniform(page))
        return Answer(side, addr, region, user, write);
    Decision& d = decisions_[page & (kSlots - 1)];
    d.page = page;
    for (Side s : {Side::Instruction, Side::Data}) {
        for (bool u : {false, true}) {
            for (bool w : {false, true})
                d.answers[AnswerIndex(s, u, w)] = Answer(s, addr, region, u, w);
        }
    }
    return d.answers[AnswerIndex(side, user, write)];
}

}  // namespace zk::sim
