#include "simcmd/target_memory.h"

#include "simcore/simulator.h"

namespace zk::sim {

namespace {

bool ValidUnit(unsigned unit)
{
    return unit == 1 || unit == 2 || unit == 4;
}

// The width of the access at `addr`: the unit when it is aligned and
// fits, else one byte.
unsigned WidthAt(unsigned unit, uint32_t addr, size_t remaining)
{
    return (addr & (unit - 1)) == 0 && remaining >= unit ? unit : 1;
}

// The widest aligned access that fits: while every access goes straight to
// the store (no protection unit, no cache, no write observer), a word moves
// the same bytes as its halfwords or bytes, at a quarter of the cost.
unsigned WidestAt(uint32_t addr, size_t remaining)
{
    const unsigned word = WidthAt(4, addr, remaining);
    return word == 4 ? 4 : WidthAt(2, addr, remaining);
}

// Moves the block access by access; `access(addr, offset, width)` is false
// when the protection unit refused that access.
template <typename Access>
TransferResult Transfer(const Simulator& sim, unsigned unit, uint32_t address, size_t length, Access access)
{
    if (!ValidUnit(unit))
        return TransferResult::BadUnit;
    const bool direct = sim.Memory().Direct();
    bool refused = false;
    for (size_t offset = 0; offset < length;) {
        const auto addr = static_cast<uint32_t>(address + offset);
        const unsigned width = direct ? WidestAt(addr, length - offset) : WidthAt(unit, addr, length - offset);
        if (!access(addr, offset, width))
            refused = true;
        offset += width;
    }
    return refused ? TransferResult::Refused : TransferResult::Done;
}

}  // namespace

TransferResult ReadTargetMemory(Simulator& sim, unsigned unit, uint32_t address, uint8_t* dest, size_t length)
{
    return Transfer(sim, unit, address, length, [&](uint32_t addr, size_t offset, unsigned width) {
        uint32_t value = 0;
        const bool read = sim.ReadMemory(addr, AccessKind::DebugData, width, value);
        if (!read)
            value = 0;
        for (unsigned i = 0; i < width; ++i)
            dest[offset + i] = static_cast<uint8_t>(value >> (8 * i));
        return read;
    });
}

TransferResult WriteTargetMemory(Simulator& sim, unsigned unit, uint32_t address, const uint8_t* source, size_t length)
{
    return Transfer(sim, unit, address, length, [&](uint32_t addr, size_t offset, unsigned width) {
        uint32_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value |= uint32_t{source[offset + i]} << (8 * i);
        return sim.WriteMemory(addr, AccessKind::InvalidateBoth, width, value);
    });
}

}  // namespace zk::sim
