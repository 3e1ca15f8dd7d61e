// The register sequences the EPP controller box accepts, transcribed from the
// box protocol, against what the driver writes and reads on the port.
#include <gtest/gtest.h>

#include "box_link.h"
#include "driver_api.h"
#include "jtag_driver.h"
#include "jtagscan/port_codes.h"

namespace {

rimbolt::BoxLink LinkAt(unsigned index, bool epp)
{
    rimbolt::BoxLink link;
    link.base = 0x378;
    link.speedIndex = index;
    link.epp = epp;
    return link;
}

struct Golden {
    const char* name;
    unsigned index;
    bool epp;
    void (*run)(rimbolt::BoxLink&);
    const char* ops;
};

const Golden kGolden[] = {
    {"command, fast index", 0, true, [](rimbolt::BoxLink& l) { l.Command(0x38); }, "W37A=04 W378=38 W37A=06 W37A=04"},
    {"command waits for ready from index 2", 3, false, [](rimbolt::BoxLink& l) { l.Command(0xB8); },
     "W37A=00 R379 W37A=04 W378=BB W37A=06 W37A=04"},
    {"data, EPP cycle", 2, true, [](rimbolt::BoxLink& l) { l.Data(0xA5); }, "W37A=05 W37C=A5"},
    {"data, handshake (index 3 even with EPP)", 3, true, [](rimbolt::BoxLink& l) { l.Data(0xA5); },
     "W37A=05 R379 W378=A5 W37A=07 W37A=05"},
    {"walk, EPP cycle", 1, true, [](rimbolt::BoxLink& l) { l.WalkByte(0x10); }, "W37A=01 W37C=10"},
    {"walk, handshake", 4, false, [](rimbolt::BoxLink& l) { l.WalkByte(0x90); },
     "W37A=00 R379 W37A=01 R379 W378=90 W37A=03 W37A=01"},
    {"read byte by nibbles", 0, true, [](rimbolt::BoxLink& l) { l.ReadByte(); },
     "W37A=00 R379 W37A=09 R379 W37A=0D R379"},
    {"last TDO bit", 2, true, [](rimbolt::BoxLink& l) { l.ReadLastTdo(); }, "W37A=00 R379 W37A=01 R379"},
    {"inputs", 7, false, [](rimbolt::BoxLink& l) { l.ReadInputs(); }, "W37A=08 R379 W37A=0C R379 W37A=01"},
    {"outputs", 7, false, [](rimbolt::BoxLink& l) { l.WriteOutputs(0x81); }, "W37A=00 W378=81 W37A=02 W37A=00"},
    {"detection", 7, false, [](rimbolt::BoxLink& l) { l.DetectBox(); }, "W378=BC W37A=00 R379 W37A=06 W37A=04 R379"},
    {"EPP test", 7, false, [](rimbolt::BoxLink& l) { l.EppTest(); }, "W37A=04 R379 W37A=05 W37C=BC W37A=04 R379"},
    {"loop-back", 7, false, [](rimbolt::BoxLink&) { jtag::CableLoopsBack(0x378); },
     "W378=FF W378=FF R379 W378=00 W378=00 R379 W378=FF W378=FF R379 W378=00 W378=00 R379"},
};

}  // namespace

TEST(BoxProtocol, EachSequenceWritesAndReadsThePortsInItsOrder)
{
    for (const Golden& g : kGolden) {
        portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
        rimbolt::BoxLink link = LinkAt(g.index, g.epp);
        g.run(link);
        EXPECT_EQ(Ops(port.Trace()), g.ops) << g.name;
        EXPECT_EQ(link.error, 0) << g.name;
    }
}

TEST(BoxProtocol, TheBoxAnswersWithCapturedBitsInputsAndItsToggle)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
    port.Box()->SetInputs(0x3C);
    rimbolt::BoxLink link = LinkAt(0, true);
    EXPECT_TRUE(link.DetectBox());
    EXPECT_TRUE(link.EppTest());
    EXPECT_EQ(link.ReadInputs(), 0x3C);
    link.WriteOutputs(0x80);  // TRST asserted
    EXPECT_TRUE(port.TargetTap().TrstAsserted());
    link.WriteOutputs(0x00);
    EXPECT_FALSE(port.TargetTap().TrstAsserted());
}

TEST(BoxProtocol, ANonAnsweringBoxCostsThePollLimitAndSetsError5)
{
    // Nothing on the connector: status bit 7 never rises.
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Nothing);
    rimbolt::BoxLink link = LinkAt(0, false);
    link.pollLimit = 5;
    link.Data(0x11);
    EXPECT_EQ(link.error, JTAG_ERR_NOT_READY);
    // control 5, five polls, then the byte anyway.
    EXPECT_EQ(Ops(port.Trace()), "W37A=05 R379 R379 R379 R379 R379 W378=11 W37A=07 W37A=05");
}

TEST(BoxProtocol, InitFindsTheBoxEnablesEppAndSendsTheSetUpCommands)
{
    struct Case {
        const char* name;
        portio::PortFeatures features;
        uint8_t error;
    };
    const Case cases[] = {
        {"through the ECR", {.hasEcr = true, .ecrEnablesEpp = true}, 0},
        {"through the SMC chip", {.hasEcr = true, .ecrEnablesEpp = false, .hasSmc = true}, 0},
        {"no EPP at all", {.hasEcr = true, .ecrEnablesEpp = false, .hasSmc = false}, JTAG_ERR_NO_EPP},
        {"a plain EPP port without ECR", {.hasEcr = false, .eppWithoutSetup = true}, 0},
    };
    for (const Case& c : cases) {
        portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box, c.features);
        JtagDriver rimbolt("Rimbolt");
        rimbolt.init_jtag_controller(1, 2);
        EXPECT_EQ(rimbolt.jtag_io_error(), c.error) << c.name;
        EXPECT_EQ(rimbolt.jtag_io_error(), 0) << c.name << ": the error is read once";
        EXPECT_EQ(port.Box()->SetupCommands(), 1u) << c.name;
        ASSERT_GE(port.Box()->Commands().size(), 2u);
        EXPECT_EQ(port.Box()->Commands().back(), 0xB8 + 1) << c.name;
        EXPECT_EQ(port.AccessOpened(), (std::vector<uint16_t>{0x378, 0x379, 0x37A, 0x37B, 0x37C})) << c.name;
        if (c.error == JTAG_ERR_NO_EPP) {
            // Both switches were undone.
            EXPECT_EQ(port.EcrValue() & 0xE0, 0x00);
            EXPECT_EQ(port.SmcRegister4(), 0x00);
        }
    }
}

TEST(BoxProtocol, WithoutABoxACableGivesError3AndNothingGivesError1)
{
    struct Case {
        portio::DeviceKind kind;
        uint8_t error;
    };
    for (const Case c : {Case{portio::DeviceKind::Cable, JTAG_ERR_PLAIN_CABLE},
                         Case{portio::DeviceKind::Nothing, JTAG_ERR_NO_CONTROLLER}}) {
        portio::SimulatedPort& port = FreshPort(c.kind);
        JtagDriver rimbolt("Rimbolt");
        rimbolt.init_jtag_controller(0x378, 1);
        EXPECT_EQ(rimbolt.jtag_io_error(), c.error);
        // After a failed detection a call costs five polls, not 1800.
        port.ClearTrace();
        const uint8_t data = 0x01;
        rimbolt.scan_out(JTAG_SELECT_DR, 8, &data, JTAG_RUN_TEST_IDLE);
        EXPECT_LT(port.Trace().size(), 200u);
    }
}

TEST(BoxProtocol, SpeedIndexFollowsTheSpeed)
{
    struct Case {
        int32_t speed;
        uint8_t command;
    };
    for (const Case c : {Case{0, 0xB8}, Case{1, 0xB8}, Case{5, 0xBC}, Case{8, 0xBF}, Case{20, 0xBF}}) {
        portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
        JtagDriver rimbolt("Rimbolt");
        rimbolt.jtag_set_base_address(0x378);
        rimbolt.jtag_speed(c.speed);
        ASSERT_FALSE(port.Box()->Commands().empty());
        EXPECT_EQ(port.Box()->Commands().back(), c.command) << c.speed;
    }
}

TEST(BoxProtocol, TheSimulatedPortsTraceStaysBoundedAndKeepsTheLatestOperations)
{
    portio::SimulatedPort& port = FreshPort(portio::DeviceKind::Box, {.eppWithoutSetup = true});
    const size_t limit = portio::SimulatedPort::kTraceLimit;
    for (size_t i = 0; i < limit + 10; ++i)
        port.Write(0x378, static_cast<uint8_t>(i));
    port.Read(0x379);
    EXPECT_LE(port.Trace().size(), limit);
    EXPECT_GE(port.Trace().size(), limit / 2);
    ASSERT_FALSE(port.Trace().empty());
    EXPECT_FALSE(port.Trace().back().write);
    const portio::PortOp beforeLast = port.Trace()[port.Trace().size() - 2];
    EXPECT_EQ(beforeLast.value, static_cast<uint8_t>(limit + 9));
}
