// What both drivers do on the port before they know what is attached.
#pragma once

#include <cstdint>

namespace jtag {

// init_jtag_controller's port code: 1 LPT1 (0x378), 2 LPT2 (0x278), 3 LPT3
// (0x3BC); any other value is the base address itself.
uint16_t BaseOfPortCode(uint16_t code);

// Opens access to `count` ports from `base`; false when any is refused.
bool OpenPorts(uint16_t base, unsigned count);

// The loop-back test of a plain cable: the data register written 0xFF twice
// must show status bit 3 set, 0x00 twice must show it clear, twice over.
bool CableLoopsBack(uint16_t base);

}  // namespace jtag
