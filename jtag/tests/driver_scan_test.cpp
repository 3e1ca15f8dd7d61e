// Scans on both drivers through the simulated port into a register of the TAP
// model: the bit-string convention, partial windows, word swap, reverse order,
// configuration, and the same target history from either driver.
#include <gtest/gtest.h>

#include <memory>

#include "driver_api.h"
#include "jtag_driver.h"

namespace {

struct Rig {
    explicit Rig(const std::string& name, unsigned registerBits = 33) : driver(name)
    {
        const bool box = name == "Rimbolt";
        port = &FreshPort(box ? portio::DeviceKind::Box : portio::DeviceKind::Cable, {.eppWithoutSetup = true});
        latch = std::make_shared<portio::LatchRegister>(registerBits);
        port->TargetTap().Plug(kTestInstruction, latch);
        driver.init_jtag_controller(1, 1);
        EXPECT_EQ(driver.jtag_io_error(), 0) << name;
        const uint8_t instruction = kTestInstruction;
        driver.scan_out(JTAG_SELECT_IR, 4, &instruction, JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(port->TargetTap().Instruction(), kTestInstruction) << name;
    }
    uint64_t Latched() const { return portio::ValueOf(latch->Value()); }

    JtagDriver driver;
    portio::SimulatedPort* port = nullptr;
    std::shared_ptr<portio::LatchRegister> latch;
};

uint64_t BytesValue(const std::vector<uint8_t>& bytes, unsigned bits)
{
    uint64_t value = 0;
    for (unsigned i = 0; i < bits; ++i)
        value |= static_cast<uint64_t>((bytes[i / 8] >> (i % 8)) & 1) << i;
    return value;
}

class BothDrivers : public ::testing::TestWithParam<const char*> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Jtag, BothDrivers, ::testing::Values("Rimbolt", "Tessovar"));

TEST_P(BothDrivers, ScansPutTheValueIntoTheRegisterAndCaptureItBack)
{
    for (unsigned bits : {1u, 8u, 9u, 16u, 17u, 33u}) {
        Rig rig(GetParam(), bits);
        const size_t bytes = (bits + 7) / 8;
        const std::vector<uint8_t> first = Pattern(bytes, 0x5A);
        const std::vector<uint8_t> second = Pattern(bytes, 0x21);
        rig.driver.scan_out(JTAG_SELECT_DR, static_cast<uint16_t>(bits), first.data(), JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(rig.Latched(), BytesValue(first, bits)) << bits << " bits";
        std::vector<uint8_t> captured(bytes, 0xEE);
        rig.driver.scan_io(JTAG_SELECT_DR, static_cast<uint16_t>(bits), second.data(), captured.data(), JTAG_PAUSE_DR);
        // Pause-DR holds the shifted value; the walk on through Update-DR latches it.
        EXPECT_EQ(rig.Latched(), BytesValue(first, bits)) << bits << " bits";
        EXPECT_EQ(rig.port->TargetTap().State(), portio::TapState::PauseDr);
        rig.driver.state_move(JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(rig.Latched(), BytesValue(second, bits)) << bits << " bits";
        // Captured bits are right-aligned in the last byte; the rest is zero.
        EXPECT_EQ(BytesValue(captured, bits), BytesValue(first, bits)) << bits << " bits";
        if (bits % 8) {
            EXPECT_EQ(captured.back() >> (bits % 8), 0) << bits << " bits";
        }
        std::vector<uint8_t> again(bytes, 0xEE);
        rig.driver.scan_in(JTAG_SELECT_DR, static_cast<uint16_t>(bits), again.data(), JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(BytesValue(again, bits), BytesValue(second, bits)) << bits << " bits";
    }
}

TEST_P(BothDrivers, PartialScansKeepOnlyTheWindow)
{
    const bool box = std::string(GetParam()) == "Rimbolt";
    const std::vector<uint8_t> value = {0x11, 0x22, 0x33, 0x44};
    struct Case {
        uint16_t start, bitsIn;
        std::vector<int> window;  // byte indexes captured
    };
    for (const Case& c : {Case{8, 8, {1}}, Case{12, 8, {1, 2}}, Case{0, 32, {0, 1, 2, 3}}, Case{20, 4, {2, 3}}}) {
        Rig rig(GetParam(), 32);
        rig.driver.scan_out(JTAG_SELECT_DR, 32, value.data(), JTAG_RUN_TEST_IDLE);
        std::vector<uint8_t> captured(4, 0xEE);
        rig.driver.scan_in_partial(JTAG_SELECT_DR, 32, c.start, c.bitsIn, nullptr, captured.data(), 1,
                                   JTAG_RUN_TEST_IDLE);
        for (int i = 0; i < 4; ++i) {
            const bool inWindow = std::find(c.window.begin(), c.window.end(), i) != c.window.end();
            uint8_t expected = value[i];
            if (!inWindow)
                expected = i == 3 ? 0x00 : (box ? 0xCC : 0xEE);
            EXPECT_EQ(captured[i], expected) << "start " << c.start << " byte " << i;
        }
    }
}

TEST_P(BothDrivers, AnIncompletePartialScanLeavesTheShiftStateAfterTheWindow)
{
    Rig rig(GetParam(), 32);
    const std::vector<uint8_t> value = {0x11, 0x22, 0x33, 0x44};
    rig.driver.scan_out(JTAG_SELECT_DR, 32, value.data(), JTAG_RUN_TEST_IDLE);
    const uint64_t clocksBefore = rig.port->TargetTap().Clocks();
    std::vector<uint8_t> captured(4, 0xEE);
    rig.driver.scan_in_partial(JTAG_SELECT_DR, 32, 0, 8, nullptr, captured.data(), 0, JTAG_RUN_TEST_IDLE);
    EXPECT_EQ(captured[0], 0x11);
    EXPECT_EQ(rig.port->TargetTap().State(), portio::TapState::RunTestIdle);
    // Fewer clocks than a whole 32-bit scan would need.
    EXPECT_LT(rig.port->TargetTap().Clocks() - clocksBefore, 32u);
}

TEST_P(BothDrivers, WordSwapWithReverseShiftsWordsMostSignificantFirst)
{
    Rig rig(GetParam(), 32);
    rig.driver.jtag_driver_configuration(JTAG_CFG_REVERSE | JTAG_CFG_WORD_SWAP);
    const uint16_t words[2] = {0x1234, 0x5678};
    rig.driver.scan_out(JTAG_SELECT_DR, 32, reinterpret_cast<const uint8_t*>(words), JTAG_RUN_TEST_IDLE);
    EXPECT_EQ(rig.Latched(), 0x12345678u);
    const uint16_t next[2] = {0x9ABC, 0xDEF0};
    uint16_t captured[2] = {0, 0};
    rig.driver.scan_io(JTAG_SELECT_DR, 32, reinterpret_cast<const uint8_t*>(next), reinterpret_cast<uint8_t*>(captured),
                       JTAG_RUN_TEST_IDLE);
    EXPECT_EQ(rig.Latched(), 0x9ABCDEF0u);
    EXPECT_EQ(captured[0], 0x1234);
    EXPECT_EQ(captured[1], 0x5678);
}

TEST_P(BothDrivers, ReverseOrSwapAloneStayInsideTheBuffers)
{
    // Guard bytes on both sides of each buffer must come out untouched.
    struct Case {
        uint32_t flags;
        unsigned bits;
        size_t bytes;
    };
    for (const Case c : {Case{JTAG_CFG_REVERSE, 17, 3}, Case{JTAG_CFG_WORD_SWAP, 17, 4}, Case{JTAG_CFG_REVERSE, 16, 2},
                         Case{JTAG_CFG_WORD_SWAP, 8, 2}}) {
        Rig rig(GetParam(), c.bits);
        rig.driver.jtag_driver_configuration(c.flags);
        std::vector<uint8_t> data(c.bytes + 2, 0xA7), captured(c.bytes + 2, 0xB9);
        const std::vector<uint8_t> body = Pattern(c.bytes);
        std::copy(body.begin(), body.end(), data.begin() + 1);
        rig.driver.scan_io(JTAG_SELECT_DR, static_cast<uint16_t>(c.bits), data.data() + 1, captured.data() + 1,
                           JTAG_RUN_TEST_IDLE);
        EXPECT_EQ(captured.front(), 0xB9) << c.flags << "/" << c.bits;
        EXPECT_EQ(captured.back(), 0xB9) << c.flags << "/" << c.bits;
        if (c.flags == JTAG_CFG_REVERSE && c.bits == 16) {
            EXPECT_EQ(rig.Latched(), static_cast<uint64_t>(body[0]) << 8 | body[1]);
        }
    }
}

TEST_P(BothDrivers, ConfigurationSetsTheFillByte)
{
    const bool box = std::string(GetParam()) == "Rimbolt";
    Rig rig(GetParam(), 8);
    uint8_t captured = 0;
    auto fillSeen = [&] {
        rig.driver.scan_in(JTAG_SELECT_DR, 8, &captured, JTAG_RUN_TEST_IDLE);
        return static_cast<uint8_t>(rig.Latched());
    };
    EXPECT_EQ(fillSeen(), box ? 0x00 : 0xFF);
    rig.driver.jtag_driver_configuration(JTAG_CFG_FILL);
    EXPECT_EQ(fillSeen(), box ? 0xFF : 0x00);
    // Rimbolt applies every bit, Tessovar only set ones.
    rig.driver.jtag_driver_configuration(0);
    EXPECT_EQ(fillSeen(), 0x00);
    EXPECT_EQ(rig.driver.jtag_io_error(), 0);
    rig.driver.jtag_driver_configuration(0x10);
    EXPECT_EQ(rig.driver.jtag_io_error(), box ? JTAG_ERR_BAD_CONFIG : 0);
}

TEST(JtagDrivers, BothDriversLeaveTheSameHistoryOnTheTarget)
{
    auto run = [](const char* name, std::vector<portio::TapUpdate>& history, std::vector<uint8_t>& captures) {
        Rig rig(name, 24);
        rig.port->TargetTap().ClearUpdates();
        JtagDriver& d = rig.driver;
        // The same fill byte on both (their defaults differ).
        if (std::string(name) == "Rimbolt")
            d.jtag_driver_configuration(JTAG_CFG_FILL);
        const std::vector<uint8_t> a = Pattern(3, 0x10), b = Pattern(3, 0x77);
        std::vector<uint8_t> c(3);
        d.reset_tap(0, JTAG_RUN_TEST_IDLE);
        const uint8_t instruction = kTestInstruction;
        d.scan_out(JTAG_SELECT_IR, 4, &instruction, JTAG_PAUSE_IR);
        d.scan_out(JTAG_SELECT_DR, 24, a.data(), JTAG_PAUSE_DR);
        d.scan_io(JTAG_SELECT_DR, 24, b.data(), c.data(), JTAG_RUN_TEST_IDLE);
        captures.insert(captures.end(), c.begin(), c.end());
        d.scan_in(JTAG_SELECT_DR, 24, c.data(), JTAG_RUN_TEST_IDLE);
        captures.insert(captures.end(), c.begin(), c.end());
        uint8_t ir = 0;
        d.scan_in(JTAG_SELECT_IR, 4, &ir, JTAG_RUN_TEST_IDLE);
        captures.push_back(ir);
        d.state_move(JTAG_PAUSE_DR);
        d.state_move(JTAG_SHIFT_IR);
        d.state_move(JTAG_RUN_TEST_IDLE);
        history = rig.port->TargetTap().Updates();
    };
    std::vector<portio::TapUpdate> boxHistory, cableHistory;
    std::vector<uint8_t> boxCaptures, cableCaptures;
    run("Rimbolt", boxHistory, boxCaptures);
    run("Tessovar", cableHistory, cableCaptures);
    ASSERT_EQ(boxHistory.size(), cableHistory.size());
    for (size_t i = 0; i < boxHistory.size(); ++i) {
        EXPECT_EQ(boxHistory[i].instruction, cableHistory[i].instruction) << i;
        EXPECT_EQ(boxHistory[i].value, cableHistory[i].value) << i;
    }
    EXPECT_EQ(boxCaptures, cableCaptures);
    EXPECT_EQ(boxCaptures.back(), 0x01);  // the instruction register captures ...01
}
