#include "jtagscan/port_codes.h"

#include "jtag_driver.h"
#include "portio/port_service.h"

namespace jtag {

uint16_t BaseOfPortCode(uint16_t code)
{
    switch (code) {
    case 1: return JTAG_PORT_LPT1;
    case 2: return JTAG_PORT_LPT2;
    case 3: return JTAG_PORT_LPT3;
    default: return code;
    }
}

bool OpenPorts(uint16_t base, unsigned count)
{
    bool all = true;
    for (unsigned i = 0; i < count; ++i)
        all = portio::OpenAccess(static_cast<uint16_t>(base + i)) && all;
    return all;
}

bool CableLoopsBack(uint16_t base)
{
    int points = 0;
    for (int round = 0; round < 2; ++round) {
        portio::Write(base, 0xFF);
        portio::Write(base, 0xFF);
        points += (portio::Read(static_cast<uint16_t>(base + 1)) & 0x08) ? 1 : 0;
        portio::Write(base, 0x00);
        portio::Write(base, 0x00);
        points += (portio::Read(static_cast<uint16_t>(base + 1)) & 0x08) ? 0 : 1;
    }
    return points == 4;
}

}  // namespace jtag
