#include "simcore/memory_system.h"

#include <utility>

namespace zk::sim {

namespace {

constexpr uint32_t WidthMask(unsigned width)
{
    return width == 4 ? 0xFFFFFFFFu : width == 2 ? 0xFFFFu : 0xFFu;
}

constexpr bool Cacheable(Protection p)
{
    return p == Protection::WriteBack || p == Protection::WriteThrough;
}

}  // namespace

void MemorySystem::UpdateDirect()
{
    observed_ = writeHook_ || selfModifyOn_;
    direct_ = !protection_.Enabled() && !observed_;
}

void MemorySystem::ConfigureProtection(const ProtectionSettings& settings)
{
    protection_.Configure(settings);
    UpdateDirect();
}

void MemorySystem::SetWriteHook(WriteHook hook)
{
    writeHook_ = std::move(hook);
    UpdateDirect();
}

void MemorySystem::SetSelfModifyCheck(bool on)
{
    selfModifyOn_ = on;
    UpdateDirect();
}

bool MemorySystem::Read(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t& out)
{
    switch (kind) {
    case AccessKind::Fetch: return ReadSide<Side::Instruction, true>(addr, mode, width, out);
    case AccessKind::DebugInstruction: return ReadSide<Side::Instruction, false>(addr, mode, width, out);
    case AccessKind::Data: return ReadSide<Side::Data, true>(addr, mode, width, out);
    case AccessKind::DebugData: return ReadSide<Side::Data, false>(addr, mode, width, out);
    default: out = store_.Read(addr, width); return true;
    }
}

template <Side kSide>
bool MemorySystem::WriteInvalidating(uint32_t addr, Mode mode, unsigned width, uint32_t value)
{
    const Protection p = protection_.Check(kSide, addr, mode, true);
    if (p == Protection::Refused)
        return false;
    if (Cacheable(p))
        CacheOf(kSide).CleanInvalidateLine(addr);
    return store_.Write(addr, width, value);
}

bool MemorySystem::Write(uint32_t addr, Mode mode, AccessKind kind, unsigned width, uint32_t value)
{
    value &= WidthMask(width);
    if (writeHook_)
        writeHook_(addr, width, value);
    if (selfModifyOn_)
        selfModified_.Add(addr & ~3u);
    switch (kind) {
    case AccessKind::Fetch: return WriteCached<Side::Instruction>(addr, mode, width, value);
    case AccessKind::Data: return WriteCached<Side::Data>(addr, mode, width, value);
    case AccessKind::InvalidateI: return WriteInvalidating<Side::Instruction>(addr, mode, width, value);
    case AccessKind::InvalidateD: return WriteInvalidating<Side::Data>(addr, mode, width, value);
    case AccessKind::InvalidateBoth:
        return WriteInvalidating<Side::Data>(addr, mode, width, value) &&
            WriteInvalidating<Side::Instruction>(addr, mode, width, value);
    default: return store_.Write(addr, width, value);
    }
}

}  // namespace zk::sim
