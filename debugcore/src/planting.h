// Planting: the break instructions in target memory around a run. Each
// planted site is remembered apart from its record (a record may be cleared
// while the target runs), and the sites are restored in the reverse order of
// planting, so overlapping or repeated sites come back to the image's bytes.
#pragma once

#include <cstdint>

#include "sarvik.h"

namespace sarvik {

// One planted break instruction.
struct PlantedSite {
    uint32_t address;   // aligned: a word in ARM code, a halfword in Thumb code
    uint8_t size;       // 4 or 2
    uint32_t saved;     // the replaced bytes, in memory order from bit 0
    CBpDataEx* record;  // null once the record left the list
};

// Where a breakpoint's break instruction goes: Thumb code takes the halfword
// 0xFEDE at the halfword, ARM code the break word at the word.
PlantedSite SiteOf(uint32_t offset);

EmuResult LoadBreakpoints();
// Restores every planted site. `dropTemporary`: the temporary records leave
// the list too (the unload's rule); the stop entry keeps them, so that a
// run resumed after a semihosting call or a breakpoint whose count is not
// reached still stops at its go-till.
EmuResult UnloadBreakpoints(bool dropTemporary = true);

// A record leaves the list: its sites stay planted (and are restored at the
// next unload) without it.
void ForgetPlantedRecord(const CBpDataEx* record);

}  // namespace sarvik
