#include "watch_units.h"

#include "core.h"
#include "falcrest.h"

namespace sarvik {

namespace {

// The control value register of unit 0 (52 + 7u is the unit's first register).
constexpr int UNIT0_CONTROL_VALUE_REGISTER = 56;

}  // namespace

bool TargetHasWatchpointUnits()
{
    int control = -1;
    if (emuGetReg(0, UNIT0_CONTROL_VALUE_REGISTER, &control) != EMU_OK)
        return false;
    return (static_cast<uint32_t>(control) & 0xFFFF0000u) == 0;
}

void WatchUnits::Reset()
{
    for (WHPT_UNIT& u : units_)
        u = WHPT_UNIT{};
    tempUnit_ = -1;
    tempActive_ = false;
}

EmuResult WatchUnits::Program(int u, uint32_t address, uint32_t addressMask, uint32_t data, uint32_t dataMask,
                              uint32_t control)
{
    int am = static_cast<int>(addressMask);
    int dm = static_cast<int>(dataMask);
    uint32_t c = control;
    return emuSetHwBp(static_cast<int>(address), &am, static_cast<int>(data), &dm, 4, 0, &c, u);
}

int WatchUnits::FirstFree() const
{
    for (int u = 0; u < WATCH_UNIT_COUNT; ++u) {
        if (!units_[u].used)
            return u;
    }
    return -1;
}

EmuResult WatchUnits::ReserveUnit1()
{
    if (Core().config.hwBreakpoints || units_[1].used)
        return EMU_OK;
    const WHPT_UNIT reserved{1, 1, 0, 0xFFFFFFFFu, EMU_BREAK_WORD, 0, WATCH_CONTROL_BREAK_WORD};
    const EmuResult r = ProgramWatchpoint(1, reserved);
    if (r == EMU_OK)
        units_[1] = reserved;
    return r;
}

int WatchUnits::Find(const AddressQuery& query) const
{
    for (int u = 0; u < WATCH_UNIT_COUNT; ++u) {
        const WHPT_UNIT& unit = units_[u];
        if (unit.used && unit.addressMask != 0xFFFFFFFFu && query.Matches(unit.address, ~unit.addressMask))
            return u;
    }
    return -1;
}

EmuResult WatchUnits::SetBreakpoint(uint32_t offset)
{
    const int u = FirstFree();
    if (u < 0 || !TargetHasWatchpointUnits())
        return 1;
    WHPT_UNIT& unit = units_[u];
    const EmuResult r = Program(u, offset, 0, unit.data, unit.dataMask, WATCH_CONTROL_FETCH);
    if (r == EMU_OK) {
        unit.address = offset;
        unit.addressMask = 0;
        unit.control = WATCH_CONTROL_FETCH;
        unit.used = 1;
        unit.enabled = 1;
    }
    return r;
}

EmuResult WatchUnits::ProgramTemporary(uint32_t offset)
{
    const int free = FirstFree();
    const EmuResult r = Program(free < 0 ? 0 : free, offset, 0, 0, 0xFFFFFFFFu, WATCH_CONTROL_FETCH);
    if (r == EMU_OK) {
        tempUnit_ = free;
        tempActive_ = true;
    }
    return r;
}

EmuResult WatchUnits::ReleaseTemporary()
{
    if (!tempActive_)
        return EMU_OK;
    tempActive_ = false;
    if (tempUnit_ >= 0)
        Clear(tempUnit_);
    else
        Reprogram(0);
    tempUnit_ = -1;
    return EMU_OK;
}

EmuResult WatchUnits::Clear(int u)
{
    const EmuResult r = emuClrHwBp(u);
    if (r == EMU_OK)
        units_[u] = WHPT_UNIT{};
    return r;
}

EmuResult WatchUnits::Disable(int u)
{
    const EmuResult r = emuEnableHwBp(0, u);
    if (r == EMU_OK)
        units_[u].enabled = 0;
    return r;
}

EmuResult WatchUnits::ProgramWatchpoint(int u, const WHPT_UNIT& watch)
{
    // A target without units takes the writes and keeps nothing: the
    // watchpoint would never fire.
    if (!TargetHasWatchpointUnits())
        return EMU_REFUSED;
    int am = static_cast<int>(watch.addressMask);
    int dm = static_cast<int>(watch.dataMask);
    uint32_t c = watch.control;
    return emuSetHwBp(static_cast<int>(watch.address), &am, static_cast<int>(watch.data), &dm, 0, 0, &c, u);
}

EmuResult WatchUnits::Reprogram(int u)
{
    const WHPT_UNIT& unit = units_[u];
    return Program(u, unit.address, unit.addressMask, unit.data, unit.dataMask, unit.control);
}

}  // namespace sarvik
