// The 403 command layer through libRimbolt.so, the simulated EPP box and TAP,
// and the simulated 403 debug logic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <numeric>

#include "portio/port_service.h"
#include "portio/sim_port.h"
#include "ppc/ppc403.h"
#include "ppc/ppc_words.h"
#include "ppc_debug_logic.h"

namespace {

// The port service picks its back end at first use: before any test runs.
const bool kSimulated = [] {
    setenv("ZK_PORTIO", "sim", 1);
    return true;
}();

class Ppc403Test : public ::testing::Test {
protected:
    explicit Ppc403Test(portio::DeviceKind kind = portio::DeviceKind::Box)
        : port_(Port(kind)), logic_(port_), access_(ppc::RimboltCalls(), "/nonexistent/Qeld_IBM"), core_(access_)
    {
        access_.SetMode(ppc::kModeRimbolt);
        access_.SetUp(1, 0);
        port_.TargetTap().ClearUpdates();
        port_.ClearTrace();
    }

    static portio::SimulatedPort& Port(portio::DeviceKind kind)
    {
        portio::SimulatedPort* port = portio::Simulated();
        EXPECT_NE(port, nullptr);
        port->Reset(kind);
        return *port;
    }

    portio::SimulatedPort& port_;
    ppctest::Ppc403Logic logic_;
    ppc::IbmAccess access_;
    ppc::Ppc403 core_;
};

TEST_F(Ppc403Test, RegistersRoundTripAndR0R1Survive)
{
    ASSERT_TRUE(kSimulated);
    for (unsigned n = 0; n < 32; ++n)
        core_.WriteGpr(n, 0x01010101u * n ^ 0xA5000000u);
    for (unsigned n = 0; n < 32; ++n) {
        EXPECT_EQ(logic_.core.gpr[n], 0x01010101u * n ^ 0xA5000000u) << n;
        EXPECT_EQ(core_.ReadGpr(n), logic_.core.gpr[n]) << n;
    }
    logic_.core.gpr[0] = 0x11111111;
    logic_.core.gpr[1] = 0x22222222;
    for (uint32_t spr : {8u, 26u, 27u, 272u, 981u, 1018u, 1019u}) {
        core_.WriteSpr(spr, spr * 3 + 1);
        EXPECT_EQ(logic_.core.Spr(spr), spr * 3 + 1) << spr;
        EXPECT_EQ(core_.ReadSpr(spr), spr * 3 + 1) << spr;
    }
    for (uint32_t dcr : {0x80u, 0xA0u, 0x3FFu}) {
        core_.WriteDcr(ppc::kDcrBase + dcr, ~dcr);
        EXPECT_EQ(logic_.core.dcr[dcr], ~dcr);
        EXPECT_EQ(core_.ReadDcr(ppc::kDcrBase + dcr), ~dcr);
    }
    core_.WriteMsr(0x00021000);
    EXPECT_EQ(logic_.core.msr, 0x00021000u);
    EXPECT_EQ(core_.ReadMsr(), 0x00021000u);
    core_.WriteCr(0x2480F00D);
    EXPECT_EQ(core_.ReadCr(), 0x2480F00Du);
    logic_.core.timeBase = 0x0000000312345678ull;
    EXPECT_EQ(core_.ReadTimeBase(ppc::kTbl), 0x12345678u);
    EXPECT_EQ(core_.ReadTimeBase(ppc::kTbu), 3u);

    logic_.core.spr[8] = 0xCAFE0000;
    logic_.core.pc = 0x00400100;
    EXPECT_EQ(core_.ReadPc(), 0x00400100u);
    core_.WritePc(0x00400200);
    EXPECT_EQ(logic_.core.pc, 0x00400200u);
    EXPECT_EQ(core_.ReadPc(), 0x00400200u);
    EXPECT_EQ(logic_.core.Spr(8), 0xCAFE0000u) << "the link register is restored";
    EXPECT_EQ(logic_.core.gpr[0], 0x11111111u);
    EXPECT_EQ(logic_.core.gpr[1], 0x22222222u);
    EXPECT_TRUE(logic_.core.unknown.empty());
}

// A buffer with guard bytes on both sides.
struct Guarded {
    explicit Guarded(size_t n) : bytes(n + 32, 0xEE) {}
    uint8_t* data() { return bytes.data() + 16; }
    bool GuardsIntact(size_t n) const
    {
        for (size_t i = 0; i < 16; ++i)
            if (bytes[i] != 0xEE || bytes[16 + n + i] != 0xEE)
                return false;
        return true;
    }
    std::vector<uint8_t> bytes;
};

TEST_F(Ppc403Test, MemoryMovesEveryUnitAtEveryAlignmentInsideTheBuffer)
{
    for (uint32_t a = 0; a < 0x100; ++a)
        logic_.core.SetByte(0x1000 + a, uint8_t(a * 7 + 1));
    struct Case {
        ppc::Unit unit;
        uint32_t address;
        size_t length;
    };
    const Case cases[] = {{ppc::Unit::Word, 0x1000, 16}, {ppc::Unit::Word, 0x1000, 7}, {ppc::Unit::Word, 0x1000, 3},
        {ppc::Unit::Half, 0x1002, 10}, {ppc::Unit::Half, 0x1002, 5}, {ppc::Unit::Byte, 0x1003, 9},
        {ppc::Unit::Word, 0x1001, 8}, {ppc::Unit::Half, 0x1003, 4}};
    for (const Case& c : cases) {
        const uint32_t start = c.address & ~(uint32_t(c.unit) - 1);  // word and half reads align down
        Guarded buffer(c.length);
        core_.ReadMemory(c.address, c.unit, buffer.data(), c.length);
        EXPECT_TRUE(buffer.GuardsIntact(c.length));
        for (size_t i = 0; i < c.length; ++i)
            EXPECT_EQ(buffer.data()[i], logic_.core.Byte(start + uint32_t(i)))
                << int(c.unit) << " at " << c.address << " length " << c.length << " byte " << i;

        std::vector<uint8_t> source(c.length);
        std::iota(source.begin(), source.end(), uint8_t(0x40 + c.length));
        const uint8_t after = logic_.core.Byte(start + uint32_t(c.length));
        core_.WriteMemory(c.address, c.unit, source.data(), source.size());
        for (size_t i = 0; i < c.length; ++i)
            EXPECT_EQ(logic_.core.Byte(start + uint32_t(i)), source[i]) << int(c.unit) << " write byte " << i;
        EXPECT_EQ(logic_.core.Byte(start + uint32_t(c.length)), after) << "nothing past the length";
    }
    EXPECT_EQ(logic_.core.CountOf("isync"), std::size(cases)) << "every write ends with isync";
    EXPECT_TRUE(logic_.core.unknown.empty());
}

TEST_F(Ppc403Test, WritesToACachedRegionKeepTheCachesCoherent)
{
    logic_.core.spr[ppc::kSprDccr] = ppc::RegionBit(0x1000);
    logic_.core.spr[ppc::kSprIccr] = ppc::RegionBit(0x08000000);
    std::vector<uint8_t> data(40, 0x5A);
    core_.WriteMemory(0x1000, ppc::Unit::Word, data.data(), data.size());
    EXPECT_EQ(logic_.core.CountOf("dcbst"), 3u) << "after 16 and 32 bytes, and at the end";
    EXPECT_EQ(logic_.core.CountOf("icbi"), 0u);
    core_.FillMemory(0x08000000, ppc::UnitOfAccessType(1), 0xAB, 33);
    EXPECT_EQ(logic_.core.CountOf("icbi"), 3u);
    EXPECT_EQ(logic_.core.Byte(0x08000020), 0xAB);
    EXPECT_EQ(logic_.core.Byte(0x08000021), 0x00);

    core_.InvalidateCaches();
    EXPECT_EQ(logic_.core.CountOf("dccci"), 32u);
    EXPECT_EQ(logic_.core.CountOf("iccci"), 64u);
    logic_.core.spr[ppc::kSprIccr] = 0;
    core_.InvalidateCaches();
    EXPECT_EQ(logic_.core.CountOf("iccci"), 64u) << "a disabled cache is left alone";
}

TEST_F(Ppc403Test, FillAndWritesWrapPastTheTopOfTheAddressSpace)
{
    core_.FillMemory(0xFFFFFFFC, ppc::UnitOfAccessType(4), 0x11223344, 10);
    const uint8_t expected[] = {0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0x44, 0x11, 0x22};
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(logic_.core.Byte(0xFFFFFFFC + i), expected[i]) << i;
    core_.FillMemory(0x2000, ppc::UnitOfAccessType(2), 0xBEEF, 5);
    EXPECT_EQ(logic_.core.Load(0x2000, 4), 0xBEEFBEEFu);
    EXPECT_EQ(logic_.core.Byte(0x2004), 0xBE);
    uint8_t none[1] = {0xEE};
    core_.ReadMemory(0x3000, ppc::Unit::Word, none, 0);
    core_.WriteMemory(0x3000, ppc::Unit::Word, none, 0);
    EXPECT_EQ(none[0], 0xEE);
}

TEST_F(Ppc403Test, RunControlCommandsAndTheResetSequence)
{
    EXPECT_FALSE(core_.Running());
    EXPECT_TRUE(core_.Go());
    EXPECT_TRUE(core_.Running());
    EXPECT_TRUE(core_.Stop());
    EXPECT_FALSE(core_.Running());
    logic_.core.pc = 0x100;
    EXPECT_TRUE(core_.Step());
    EXPECT_EQ(logic_.core.pc, 0x104u);
    EXPECT_TRUE(core_.ResetAndRun());
    EXPECT_TRUE(core_.Running());
    EXPECT_EQ(logic_.commands, (std::vector<uint8_t>{0x00, 0x80, 0xA0, 0x98}));

    logic_.commands.clear();
    logic_.commandLine.clear();
    port_.TargetTap().ClearUpdates();
    EXPECT_TRUE(core_.ResetAndHalt());
    EXPECT_EQ(logic_.commands, (std::vector<uint8_t>{0x18, 0x80}));
    EXPECT_EQ(logic_.commandLine, (std::vector<bool>{true, true}));
    EXPECT_FALSE(logic_.ResetLine()) << "the line is negated at the end";
    // The TAP saw: IR 5, DR command 0x18, IR 5, DR command 0x80 (bit 32 set).
    std::vector<std::pair<bool, uint64_t>> history;
    for (const portio::TapUpdate& u : port_.TargetTap().Updates())
        history.emplace_back(u.instruction, portio::ValueOf(u.value));
    const std::vector<std::pair<bool, uint64_t>> expected = {{true, 5}, {false, 0x118000000ull}, {true, 5},
        {false, 0x180000000ull}};
    EXPECT_EQ(history, expected);
    EXPECT_FALSE(core_.Running());
}

TEST_F(Ppc403Test, ABusyCoreIsWaitedForAndScansPerOperationAreCounted)
{
    logic_.busyReads = 3;
    core_.WriteGpr(3, 0x1234);
    EXPECT_EQ(logic_.core.gpr[3], 0x1234u);
    EXPECT_EQ(logic_.busyReads, 0);

    const uint64_t scans = access_.Scans();
    port_.ClearTrace();
    core_.ReadGpr(5);
    const uint64_t gprScans = access_.Scans() - scans;
    const size_t gprOps = port_.Trace().size();
    EXPECT_EQ(gprScans, 5u) << "IR 7, status, word, IR 11, data";

    uint8_t buffer[256];
    const uint64_t before = access_.Scans();
    port_.ClearTrace();
    core_.ReadMemory(0x4000, ppc::Unit::Word, buffer, sizeof buffer);
    std::cout << "[ figures ] GPR read: " << gprScans << " scans, " << gprOps << " port operations; 256-byte word read: "
              << access_.Scans() - before << " scans, " << port_.Trace().size() << " port operations\n";
}

TEST(Ppc403Device, WithoutTheDriverDeviceNothingHappensAndReadsGiveZero)
{
    portio::SimulatedPort* port = portio::Simulated();
    ASSERT_NE(port, nullptr);
    port->Reset(portio::DeviceKind::Box);
    ppctest::Ppc403Logic logic(*port);
    logic.core.gpr[4] = 0x44;
    ppc::IbmAccess access(ppc::RimboltCalls(), "/nonexistent/Qeld_IBM");
    EXPECT_FALSE(access.DeviceOpen());
    EXPECT_EQ(access.Mode(), ppc::kModeDevice);
    port->ClearTrace();
    ppc::Ppc403 core(access);
    EXPECT_EQ(access.SelectPort(1), 0);
    EXPECT_EQ(core.ReadGpr(4), 0u);
    EXPECT_FALSE(access.ReadStatus(0));
    EXPECT_EQ(access.ExchangeDataWord(7), 0u);
    EXPECT_TRUE(port->Trace().empty()) << "no port traffic in device mode";
    EXPECT_TRUE(logic.core.executed.empty());
}

class Ppc403NothingBehind : public Ppc403Test {
protected:
    Ppc403NothingBehind() : Ppc403Test(portio::DeviceKind::Nothing) {}
};

TEST_F(Ppc403NothingBehind, AccessesStayBoundedOnAnOpenConnector)
{
    uint8_t buffer[6] = {};
    core_.ReadMemory(0x100, ppc::Unit::Word, buffer, sizeof buffer);
    core_.ReadGpr(1);
    // Every status read answers busy: each instruction gives up after its polls.
    EXPECT_GT(access_.Scans(), uint64_t(ppc::Ppc403::kReadyPolls));
    EXPECT_LT(access_.Scans(), uint64_t(40 * (ppc::Ppc403::kReadyPolls + 4)));
}

}  // namespace
