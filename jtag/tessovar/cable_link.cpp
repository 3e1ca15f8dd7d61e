#include "cable_link.h"

#include "jtag_driver.h"
#include "portio/port_service.h"

namespace tessovar {

namespace {

constexpr uint8_t kTms = 0x02;
constexpr uint8_t kTck = 0x04;
constexpr uint8_t kTdi = 0x08;

// TMS patterns and clock counts between the named states. A move between the
// two shift states walks through Update (checked against the TAP diagram:
// Shift-DR to Shift-IR is 1,1,1,1,0,0; Shift-IR to Shift-DR 1,1,1,0,0); a move
// from a shift state to itself clocks nothing.
constexpr CableLink::Walkway kWalks[6][6] = {
    {{0x01, 1}, {0x00, 1}, {0x0A, 5}, {0x16, 6}, {0x02, 4}, {0x06, 5}},  // test_logic_reset
    {{0x07, 3}, {0x00, 1}, {0x05, 4}, {0x0B, 5}, {0x01, 3}, {0x03, 4}},  // run_test_idle
    {{0x1F, 5}, {0x03, 3}, {0x17, 6}, {0x2F, 7}, {0x01, 2}, {0x0F, 6}},  // pause_dr
    {{0x1F, 5}, {0x03, 3}, {0x17, 6}, {0x2F, 7}, {0x07, 5}, {0x01, 2}},  // pause_ir
    {{0x1F, 5}, {0x03, 3}, {0x01, 2}, {0x2F, 7}, {0x00, 0}, {0x0F, 6}},  // shift_dr
    {{0x1F, 5}, {0x03, 4}, {0x17, 6}, {0x01, 2}, {0x07, 5}, {0x00, 0}},  // shift_ir
};

}  // namespace

CableLink::Walkway CableLink::WalkOf(uint8_t from, uint8_t to)
{
    return kWalks[from][to];
}

void CableLink::WriteData(uint8_t value)
{
    portio::Write(base, value);
}

uint8_t CableLink::Status()
{
    return portio::Read(static_cast<uint16_t>(base + 1));
}

void CableLink::Spin() const
{
    // A volatile counter keeps the compiler from removing the loop.
    static volatile uint32_t sink;
    for (uint32_t i = 0; i < delayCount; ++i)
        sink = i;
    (void)sink;
}

void CableLink::Clock(bool tdi, bool tms)
{
    const uint8_t value = static_cast<uint8_t>(image | (tdi ? kTdi : 0) | (tms ? kTms : 0));
    WriteData(value);
    Spin();
    WriteData(value | kTck);
    Spin();
}

uint8_t CableLink::Shift(uint8_t value, unsigned count, bool capture)
{
    for (unsigned i = 0; i < count; ++i) {
        if (capture)
            captured = static_cast<uint8_t>(captured >> 1);
        Clock((value >> i) & 1, false);
        // Status bit 7 clear: TDO is 1.
        if (capture && !(Status() & 0x80))
            captured |= 0x80;
    }
    return captured;
}

uint8_t CableLink::ShiftByte(uint8_t value, bool capture)
{
    return Shift(value, 8, capture);
}

uint8_t CableLink::ShiftLast(uint8_t value, unsigned count, bool capture)
{
    return Shift(value, count, capture);
}

void CableLink::Clocks(uint8_t pattern, unsigned count, bool tdi)
{
    for (unsigned i = 0; i < count; ++i) {
        Clock(tdi, (pattern >> i) & 1);
        if (i == 0)
            lastTdo = (Status() & 0x80) ? 0 : 0x80;
    }
}

bool CableLink::Walk(uint8_t from, uint8_t to, bool tdi, bool)
{
    const Walkway w = WalkOf(from, to);
    Clocks(w.pattern, w.clocks, tdi);
    return lastTdo != 0;
}

bool CableLink::WalkOut(uint8_t from, uint8_t to, bool tdi, bool wantTdo)
{
    // A scan that ends in its own shift state still shifts its last bit: one
    // clock with TMS 0.
    if (from == to)
        Clocks(0x00, 1, tdi);
    else
        Walk(from, to, tdi, wantTdo);
    return lastTdo != 0;
}

void CableLink::WalkFromUndetermined()
{
    Clocks(0x3F, 7, false);
}

}  // namespace tessovar
