#include "simcore/cache.h"

#include <bit>
#include <cstdio>
#include <cstdlib>

namespace zk::sim {

bool CacheGeometry::Valid() const
{
    if (ways == 0)
        return false;
    const uint32_t wayBytes = size / ways;
    return wayBytes >= kCacheLineBytes && wayBytes * ways == size && std::has_single_bit(wayBytes);
}

void LineBacking::WriteBack(const CacheLine& line) const
{
    uint32_t words[4];
    for (unsigned i = 0; i < 4; ++i)
        words[i] = complement ? ~line.words[i] : line.words[i];
    store->WriteLine(line.tag, words);
}

void Cache::FreeDeleter::operator()(CacheLine* p) const
{
    std::free(p);
}

bool Cache::Allocate(const CacheGeometry& geometry)
{
    Free();
    if (!geometry.Valid())
        return false;
    const size_t count = size_t{geometry.size} / kCacheLineBytes;
    // calloc: zeroed lines, and a large cache costs nothing until it is used.
    auto* lines = static_cast<CacheLine*>(std::calloc(count, sizeof(CacheLine)));
    if (!lines)
        return false;
    lines_.reset(lines);
    ways_ = geometry.ways;
    sets_ = geometry.Sets();
    setMask_ = sets_ - 1;
    return true;
}

void Cache::Free()
{
    lines_.reset();
    sets_ = ways_ = setMask_ = 0;
    Forget();
}

CacheLine* Cache::Search(uint32_t addr)
{
    if (!lines_)
        return nullptr;
    const uint32_t tag = addr & ~(kCacheLineBytes - 1);
    CacheLine* set = &lines_[SetOf(addr) * ways_];
    for (uint32_t w = 0; w < ways_; ++w) {
        if (set[w].valid && set[w].tag == tag) {
            lastTag_ = tag;
            last_ = &set[w];
            return last_;
        }
    }
    return nullptr;
}

void Cache::WriteInto(CacheLine& line, uint32_t addr, unsigned width, uint32_t value, bool markDirty)
{
    uint32_t& word = line.words[(addr >> 2) & 3];
    if (width == 4) {
        word = value;
    } else {
        const unsigned shift = (width == 2 ? (addr & 2) : (addr & 3)) * 8;
        const uint32_t lane = (width == 2 ? 0xFFFFu : 0xFFu) << shift;
        word = (word & ~lane) | ((value << shift) & lane);
    }
    if (markDirty)
        line.dirty = 1;
}

CacheLine* Cache::Fill(uint32_t addr)
{
    if (!lines_)
        return nullptr;
    CacheLine* set = &lines_[SetOf(addr) * ways_];
    // Victim: the first invalid way, else the unlocked way with the largest
    // age (the lowest of equals); none when every way is locked.
    CacheLine* victim = nullptr;
    for (uint32_t w = 0; w < ways_ && !victim; ++w) {
        if (!set[w].valid)
            victim = &set[w];
    }
    if (!victim) {
        for (uint32_t w = 0; w < ways_; ++w) {
            if (!set[w].lock && (!victim || set[w].age > victim->age))
                victim = &set[w];
        }
        if (!victim)
            return nullptr;
    }
    Forget();
    if (victim->valid && victim->dirty)
        backing_.WriteBack(*victim);
    const uint32_t old = victim->age;
    victim->valid = 1;
    victim->dirty = 0;
    victim->lock = 0;
    victim->tag = addr & ~(kCacheLineBytes - 1);
    backing_.store->ReadLine(victim->tag, victim->words);
    victim->age = 0;
    for (uint32_t w = 0; w < ways_; ++w) {
        CacheLine& line = set[w];
        if (&line != victim && line.valid && line.age <= old)
            ++line.age;
    }
    return victim;
}

void Cache::Invalidate(CacheLine& line)
{
    line.valid = line.dirty = line.lock = 0;
    line.age = 0;
}

void Cache::InvalidateAll()
{
    Forget();
    for (uint32_t i = 0; i < sets_ * ways_; ++i)
        Invalidate(lines_[i]);
}

void Cache::CleanInvalidateAll()
{
    Forget();
    for (uint32_t i = 0; i < sets_ * ways_; ++i) {
        CacheLine& line = lines_[i];
        if (line.valid && line.dirty)
            backing_.WriteBack(line);
        Invalidate(line);
    }
}

void Cache::InvalidateLine(uint32_t addr)
{
    if (CacheLine* line = Lookup(addr)) {
        Forget();
        Invalidate(*line);
    }
}

void Cache::CleanInvalidateLine(uint32_t addr)
{
    if (CacheLine* line = Lookup(addr)) {
        Forget();
        if (line->dirty)
            backing_.WriteBack(*line);
        Invalidate(*line);
    }
}

void Cache::Prefetch(uint32_t addr)
{
    if (!Lookup(addr))
        Fill(addr);
}

void Cache::Lock(uint32_t addr)
{
    if (CacheLine* line = Lookup(addr))
        line->lock = 1;
}

void Cache::Unlock(uint32_t addr)
{
    if (CacheLine* line = Lookup(addr))
        line->lock = 0;
}

std::optional<std::string> Cache::ShowSet(uint32_t index) const
{
    if (index >= sets_)
        return std::nullopt;
    std::string text;
    char buf[160];
    for (uint32_t w = 0; w < ways_; ++w) {
        const CacheLine& line = Line(index, w);
        if (w == 0) {
            std::snprintf(buf, sizeof buf, "|    0x%.4x: ", index);
            text += buf;
        } else {
            text += "|            ";
        }
        if (line.valid) {
            std::snprintf(buf, sizeof buf, "%.8x = %.8x %.8x %.8x %.8x , %d, %s %s\n", line.tag, line.words[0],
                          line.words[1], line.words[2], line.words[3], static_cast<int>(line.age),
                          line.dirty ? "dirty," : "", line.lock ? "lock" : "");
            text += buf;
        } else {
            text += "XXXXXXXX = ???????? ???????? ???????? ???????? , invalid\n";
        }
    }
    return text;
}

}  // namespace zk::sim
