#include "simcore/memory_system.h"

#include <utility>

namespace zk::sim {

namespace {

constexpr uint32_t WidthMask(unsigned width) {
    return width == 4 ? 0xFFFFFFFFu : width == 2 ? 0xFFFFu : 0xFFu;
}

bool Cacheable(Protection p) {
    return p == Protection::WriteBack || p == Protection::WriteThrough;
}

}  // namespace

void MemorySystem::UpdateDirect() {
    direct_ = protection_ == nullptr && !writeHook_ && !selfModifyOn_;
}

void MemorySystem::SetProtectionUnit(ProtectionUnit* unit) {
    protection_ = unit;
    UpdateDirect();
}

void MemorySystem::SetCaches(CacheModel* instruction, CacheModel* data) {
    icache_ = instruction;
    dcache_ = data;
}

void MemorySystem::SetWriteHook(WriteHook hook) {
    writeHook_ = std::move(hook);
    UpdateDirect();
}

void MemorySystem::SetSelfModifyCheck(bool on) {
    selfModifyOn_ = on;
    UpdateDirect();
}

Protection MemorySystem::Ask(Side side, uint32_t addr, Mode mode, bool write) {
    return protection_ ? protection_->Check(side, addr, mode, write) : Protection::NonCacheable;
}

bool MemorySystem::ReadSide(Side side, bool allocate, uint32_t addr, Mode mode, unsigned width, uint32_t& out) {
    const Protection p = Ask(side, addr, mode, false);
    if (p == Protection::Refused) return false;
    CacheModel* cache = CacheOf(side);
    if (Cacheable(p) && cache) {
        if (cache->ReadHit(addr, width, out)) return true;
        if (allocate && cache->Fill(addr) && cache->ReadHit(addr, width, out)) return true;
    }
    out = store_.Read(addr, width);
    return true;
}

bool MemorySystem::Read(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t& out) {
    switch (kind) {
    case AccessKind::Fetch: return ReadSide(Side::Instruction, true, addr, mode, width, out);
    case AccessKind::DebugInstruction: return ReadSide(Side::Instruction, false, addr, mode, width, out);
    case AccessKind::Data: return ReadSide(Side::Data, true, addr, mode, width, out);
    case AccessKind::DebugData: return ReadSide(Side::Data, false, addr, mode, width, out);
    default: out = store_.Read(addr, width); return true;
    }
}

bool MemorySystem::WriteCached(Side side, uint32_t addr, Mode mode, unsigned width, uint32_t value) {
    const Protection p = Ask(side, addr, mode, true);
    if (p == Protection::Refused) return false;
    CacheModel* cache = CacheOf(side);
    if (cache && p == Protection::WriteBack) {
        if (cache->WriteHit(addr, width, value, true)) return true;
        if (cache->Fill(addr) && cache->WriteHit(addr, width, value, true)) return true;
    } else if (cache && p == Protection::WriteThrough) {
        cache->WriteHit(addr, width, value, false);
    }
    return store_.Write(addr, width, value);
}

bool MemorySystem::WriteInvalidating(Side side, uint32_t addr, Mode mode, unsigned width, uint32_t value) {
    const Protection p = Ask(side, addr, mode, true);
    if (p == Protection::Refused) return false;
    CacheModel* cache = CacheOf(side);
    if (cache && Cacheable(p)) cache->CleanInvalidateLine(addr);
    return store_.Write(addr, width, value);
}

bool MemorySystem::Write(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t value) {
    value &= WidthMask(width);
    if (writeHook_) writeHook_(addr, width, value);
    if (selfModifyOn_) selfModified_.Add(addr & ~3u);
    switch (kind) {
    case AccessKind::Fetch: return WriteCached(Side::Instruction, addr, mode, width, value);
    case AccessKind::Data: return WriteCached(Side::Data, addr, mode, width, value);
    case AccessKind::InvalidateI: return WriteInvalidating(Side::Instruction, addr, mode, width, value);
    case AccessKind::InvalidateD: return WriteInvalidating(Side::Data, addr, mode, width, value);
    case AccessKind::InvalidateBoth:
        return WriteInvalidating(Side::Data, addr, mode, width, value) &&
               WriteInvalidating(Side::Instruction, addr, mode, width, value);
    default: return store_.Write(addr, width, value);
    }
}

}  // namespace zk::sim
