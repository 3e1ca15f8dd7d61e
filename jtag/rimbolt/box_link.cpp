#include "box_link.h"

#include "jtag_driver.h"
#include "portio/port_service.h"

namespace rimbolt {

namespace {

// Seven TMS values (bit 0 first) that bring the TAP from the row's state to
// the column's in seven clocks.
constexpr uint8_t kWalks[6][6] = {
    {0x7F, 0x00, 0x0A, 0x16, 0x17, 0x1B},  // test_logic_reset
    {0x7F, 0x00, 0x05, 0x0B, 0x10, 0x18},  // run_test_idle
    {0x7F, 0x03, 0x17, 0x2F, 0x20, 0x1E},  // pause_dr
    {0x7F, 0x03, 0x17, 0x2F, 0x1C, 0x20},  // pause_ir
    {0x7F, 0x03, 0x01, 0x2F, 0x00, 0x0F},  // shift_dr
    {0x7F, 0x03, 0x17, 0x01, 0x07, 0x00},  // shift_ir
};

constexpr uint8_t kFromUndetermined = 0x3F;
constexpr uint8_t kDetectPattern = 0xBC;

}  // namespace

uint8_t BoxLink::WalkCode(uint8_t from, uint8_t to) const
{
    if (altWalks) {
        // Walks that pass through a Pause state.
        if ((from == JTAG_PAUSE_DR || from == JTAG_PAUSE_IR) && to == JTAG_RUN_TEST_IDLE)
            return 0x30;
        if ((from == JTAG_SHIFT_DR || from == JTAG_SHIFT_IR) && to == JTAG_RUN_TEST_IDLE)
            return 0x31;
        if (from == JTAG_RUN_TEST_IDLE && to == JTAG_SHIFT_DR)
            return 0x25;
        if (from == JTAG_RUN_TEST_IDLE && to == JTAG_SHIFT_IR)
            return 0x2B;
    }
    return kWalks[from][to];
}

void BoxLink::Control(uint8_t value)
{
    portio::Write(Port(portio::kControlOffset), value);
}

uint8_t BoxLink::Status()
{
    return portio::Read(Port(portio::kStatusOffset));
}

void BoxLink::WaitReady()
{
    if (speedIndex < 2)
        return;
    Control(0);
    for (unsigned i = 1; i < pollLimit; ++i) {
        if (!(Status() & 0x40))
            return;
    }
}

void BoxLink::WaitHandshake()
{
    for (unsigned i = 0; i < pollLimit; ++i) {
        if (Status() & 0x80)
            return;
    }
    error = JTAG_ERR_NOT_READY;
}

void BoxLink::Command(uint8_t command)
{
    WaitReady();
    const uint8_t byte = static_cast<uint8_t>((command & 0xF8) | speedIndex);
    Control(4);
    portio::Write(Port(portio::kDataOffset), byte);
    Control(6);
    Control(4);
}

void BoxLink::Data(uint8_t value)
{
    Control(5);
    if (Fast()) {
        portio::Write(Port(portio::kEppDataOffset), value);
        return;
    }
    WaitHandshake();
    portio::Write(Port(portio::kDataOffset), value);
    Control(7);
    Control(5);
}

void BoxLink::WalkByte(uint8_t code)
{
    WaitReady();
    Control(1);
    if (Fast()) {
        portio::Write(Port(portio::kEppDataOffset), code);
        return;
    }
    WaitHandshake();
    portio::Write(Port(portio::kDataOffset), code);
    Control(3);
    Control(1);
}

uint8_t BoxLink::ReadNibbles(uint8_t highControl, uint8_t lowControl)
{
    Control(highControl);
    const uint8_t high = static_cast<uint8_t>((Status() << 1) & 0xF0);
    Control(lowControl);
    const uint8_t low = static_cast<uint8_t>((Status() >> 3) & 0x0F);
    return high | low;
}

uint8_t BoxLink::ReadByte()
{
    WaitReady();
    Control(0);
    WaitHandshake();
    return ReadNibbles(9, 13);
}

bool BoxLink::ReadLastTdo()
{
    WaitReady();
    Control(1);
    return Status() & 0x10;
}

uint8_t BoxLink::ReadInputs()
{
    const uint8_t value = ReadNibbles(8, 12);
    Control(1);
    return value;
}

void BoxLink::WriteOutputs(uint8_t image)
{
    Control(0);
    portio::Write(Port(portio::kDataOffset), image);
    Control(2);
    Control(0);
}

uint8_t BoxLink::ShiftByte(uint8_t value, bool capture)
{
    Data(value);
    return capture ? ReadByte() : 0;
}

uint8_t BoxLink::ShiftLast(uint8_t value, unsigned count, bool capture)
{
    // The count command: the next data byte shifts `count` bits.
    Command(static_cast<uint8_t>(0x80 + 8 * (count - 1)));
    Data(value);
    return capture ? ReadByte() : 0;
}

bool BoxLink::Walk(uint8_t from, uint8_t to, bool tdi, bool wantTdo)
{
    WalkByte(static_cast<uint8_t>(WalkCode(from, to) | (tdi ? 0x80 : 0)));
    return wantTdo && ReadLastTdo();
}

void BoxLink::WalkFromUndetermined()
{
    WalkByte(kFromUndetermined);
}

bool BoxLink::DetectBox()
{
    portio::Write(Port(portio::kDataOffset), kDetectPattern);
    Control(0);
    const uint8_t s1 = Status();
    Control(6);
    Control(4);
    const uint8_t s2 = Status();
    return (s1 ^ s2) & 0x20;
}

bool BoxLink::EppTest()
{
    Control(4);
    const uint8_t s1 = Status();
    Control(5);
    portio::Write(Port(portio::kEppDataOffset), kDetectPattern);
    Control(4);
    const uint8_t s2 = Status();
    return (s1 ^ s2) & 0x20;
}

void BoxLink::EnableEpp()
{
    epp = false;
    if (portio::ProbeEcp(base).found) {
        portio::SetEppThroughEcr(base);
        epp = EppTest();
        if (!epp) {
            portio::SetEppThroughSmc();
            epp = EppTest();
            if (!epp) {
                portio::RestoreSmc();
                portio::RestoreEcr();
            }
        }
    } else {
        epp = EppTest();
    }
    if (!epp)
        error = JTAG_ERR_NO_EPP;
}

}  // namespace rimbolt
