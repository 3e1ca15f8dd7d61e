// Small ARM programs for the command-language tests, as words with their
// assembly (checked against arm-none-eabi-as), and a loader.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "simcore/simulator.h"

namespace zk::sim::test {

inline void LoadWords(Simulator& sim, uint32_t addr, std::initializer_list<uint32_t> words)
{
    for (uint32_t w : words) {
        sim.WriteMemory(addr, AccessKind::StoreOnly, 4, w);
        addr += 4;
    }
}

inline constexpr uint32_t kLoopForever = 0xEAFFFFFE;  // b .
inline constexpr uint32_t kNormalEnd = 0xEF000011;    // swi 0x11
inline constexpr uint32_t kBreakWord = 0xFEDEFEDE;
inline constexpr uint32_t kThumbLoopForever = 0xE7FE;  // b . (Thumb)

// Protection on; region 0 = 0 to 0xFFF with full access on both sides;
// every other address refused. Ends on swi 0x11.
inline void LoadProtectLowPage(Simulator& sim, uint32_t addr)
{
    LoadWords(sim, addr,
              {0xE3A00017,  // mov r0,#0x17           region 0: 4 KB at 0, enabled
               0xEE060F10,  // mcr p15,0,r0,c6,c0,0
               0xE3A00003,  // mov r0,#3              full access
               0xEE050F10,  // mcr p15,0,r0,c5,c0,0
               0xEE050F11,  // mcr p15,0,r0,c5,c1,0
               0xE3A00001,  // mov r0,#1              protection on
               0xEE010F10,  // mcr p15,0,r0,c1,c0,0
               kNormalEnd});
}

}  // namespace zk::sim::test
