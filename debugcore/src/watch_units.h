// The target's two hardware watchpoint units as sarvik keeps and programs
// them: unit breakpoints, the temporary unit of a go-till in hardware-
// breakpoint mode, and unit 1 reserved to catch the break word on
// instruction fetch outside that mode.
#pragma once

#include "bp_list.h"

namespace sarvik {

inline constexpr int WATCH_UNIT_COUNT = 2;
// Address compared in full on instruction fetch, unit enabled; only the
// fetch/data bit and the enable bit are compared.
inline constexpr uint32_t WATCH_CONTROL_FETCH = 0xFFF70100u;
// The reservation of unit 1: the break word fetched anywhere.
inline constexpr uint32_t WATCH_CONTROL_BREAK_WORD = 0x00F70100u;

class WatchUnits {
public:
    const WHPT_UNIT& Unit(int u) const { return units_[u]; }
    // Both units back to the reset state, no temporary unit.
    void Reset();

    // Outside hardware-breakpoint mode, unit 1 when it is free: catches the
    // break word on instruction fetch. The programming's result, or 0.
    EmuResult ReserveUnit1();
    // The first used unit with a compared address that matches; -1 when none.
    int Find(const AddressQuery& query) const;
    BPT_MARK MarkOf(int u) const { return units_[u].enabled ? BPT_MARK_UNIT_ENABLED : BPT_MARK_UNIT_DISABLED; }
    // A unit breakpoint at offset on the first free unit; 1 when none is
    // free (or the target has no units).
    EmuResult SetBreakpoint(uint32_t offset);
    // The temporary breakpoint of a go-till: the first free unit, or unit 0
    // borrowed when both are used; the unit's record is not changed. The
    // programming's result (a unit that failed is not remembered).
    EmuResult ProgramTemporary(uint32_t offset);
    // Clears the free unit taken, or programs a borrowed unit 0 again from
    // its record. Nothing when no temporary unit is programmed.
    EmuResult ReleaseTemporary();
    bool TemporaryActive() const { return tempActive_; }
    // emuClrHwBp; the record is reset when that succeeds.
    EmuResult Clear(int u);
    // emuEnableHwBp(0); the record's enabled word becomes 0 on success.
    EmuResult Disable(int u);
    // Programs the unit from its record.
    EmuResult Reprogram(int u);
    // A watchpoint as the watchpoint command and the breakpoint file give
    // it; the record is neither read nor changed.
    static EmuResult ProgramWatchpoint(int u, const WHPT_UNIT& watch);
    // Takes a record as given (the breakpoint file), without programming.
    void Store(int u, const WHPT_UNIT& record) { units_[u] = record; }

private:
    EmuResult Program(int u, uint32_t address, uint32_t addressMask, uint32_t data, uint32_t dataMask,
                      uint32_t control);
    int FirstFree() const;

    WHPT_UNIT units_[WATCH_UNIT_COUNT];
    int tempUnit_ = -1;  // -1: unit 0 borrowed
    bool tempActive_ = false;
};

// A target without watchpoint units (the simulator) answers every unit
// register with all ones, which no 16-bit control value can be; temporary
// and unit breakpoints must then be software ones.
bool TargetHasWatchpointUnits();

}  // namespace sarvik
