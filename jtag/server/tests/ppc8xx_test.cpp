// The 8xx command layer over the development-port model.
#include <gtest/gtest.h>

#include "ppc/ppc8xx.h"
#include "ppc/ppc_words.h"
#include "ppc_debug_logic.h"

namespace {

class Ppc8xxTest : public ::testing::Test {
protected:
    Ppc8xxTest() : core_(port_)
    {
        core_.SetLog([this](const std::string& line) { log_.push_back(line); });
        core_.SetRegisterBuffer(0x3F00);
    }

    ppctest::Ppc8xxPort port_;
    ppc::Ppc8xx core_;
    std::vector<std::string> log_;
};

TEST_F(Ppc8xxTest, RegistersMoveThroughSpr630AndTheLogNamesEachOperation)
{
    core_.WriteGpr(7, 0xDEADBEEF);
    EXPECT_EQ(port_.core.gpr[7], 0xDEADBEEFu);
    EXPECT_EQ(core_.ReadGpr(7), 0xDEADBEEFu);
    port_.core.spr[26] = 0x00012340;
    port_.core.gpr[1] = 0x7777;
    EXPECT_EQ(core_.ReadPc(), 0x00012340u);
    core_.WriteMsr8xx(0x1032);
    EXPECT_EQ(port_.core.Spr(27), 0x1032u);
    EXPECT_EQ(core_.ReadMsr8xx(), 0x1032u);
    core_.WriteSpr(272, 5);
    EXPECT_EQ(core_.ReadSpr(272), 5u);
    port_.core.timeBase = 99;
    EXPECT_EQ(core_.ReadTimeBase(ppc::kTbl), 99u);
    core_.WriteCr(0x80000001);
    EXPECT_EQ(core_.ReadCr(), 0x80000001u);
    EXPECT_EQ(port_.core.gpr[1], 0x7777u) << "r1 is restored";
    EXPECT_FALSE(core_.Error());
    const std::vector<std::string> expected = {" WRITE REGISTER 7", "END", " READ REGISTER 7", "END", "READ PC COMMAND",
        "END", "WRITE MSR COMMAND", "END", "READ MSR COMMAND", "END", " WRITE SPR 272", "END", " READ SPR 272", "END",
        " READ TIMEBASE ", "END", "WRITE CR COMMAND", "END", "READ CR COMMAND", "END"};
    EXPECT_EQ(log_, expected);
    EXPECT_TRUE(port_.core.unknown.empty());
}

TEST_F(Ppc8xxTest, OtherAnswersAreRetriedFiveTimesThenTheErrorFlagRises)
{
    port_.core.gpr[3] = 0x33;
    port_.injected = {1, 2, 3, 1};
    EXPECT_EQ(core_.ReadGpr(3), 0x33u);
    EXPECT_FALSE(core_.Error());
    EXPECT_EQ(port_.exchanges, 5u);

    log_.clear();
    port_.injected = {1, 2, 3, 1, 2};
    core_.ReadGpr(3);
    EXPECT_TRUE(core_.Error());
    EXPECT_EQ(port_.exchanges, 10u);
    EXPECT_EQ(log_, (std::vector<std::string>{" READ REGISTER 3", "BDM RETURN STATUS = 2", "END"}));

    // A port that never answers valid data: every exchange gives up after five.
    core_.ClearError();
    port_.answerForever = 3;
    uint8_t buffer[8] = {};
    core_.ReadBlock(0x100, ppc::Unit::Word, buffer, sizeof buffer);
    EXPECT_TRUE(core_.Error());
    EXPECT_LE(port_.exchanges, 10u + 5u * 16u);
}

TEST_F(Ppc8xxTest, GoAndStepRunTheirWordSequences)
{
    port_.core.spr[27] = 0x1402;
    port_.core.spr[26] = 0x2000;
    port_.core.spr[148] = 0x20;
    EXPECT_TRUE(core_.Step());
    EXPECT_FALSE(port_.running) << "the trace bit returns the core to debug mode";
    EXPECT_EQ(port_.core.Spr(148), 0u) << "the interrupt cause was read";
    EXPECT_EQ(port_.core.executed.back(), ppc::kReturnFromInterrupt);

    port_.core.executed.clear();
    port_.core.gpr[1] = 0x4444;
    EXPECT_TRUE(core_.Go());
    EXPECT_TRUE(port_.running);
    EXPECT_EQ(port_.core.Spr(27) & 0x400, 0u);
    EXPECT_EQ(port_.core.gpr[1], 0x4444u);
    EXPECT_EQ(port_.core.CountOf("mtmsr"), 1u);
    EXPECT_EQ(port_.core.executed.back(), ppc::kReturnFromInterrupt);

    log_.clear();
    port_.running = false;
    EXPECT_TRUE(core_.Stop());
    EXPECT_EQ(log_, (std::vector<std::string>{"STOP COMMAND", "  Already stopped", "END"}));
}

TEST_F(Ppc8xxTest, FloatingPointRegistersGoThroughTheRegisterBuffer)
{
    port_.core.fpr[5] = 0x400921FB54442D18ull;
    port_.core.fpr[1] = 0x3FF0000000000000ull;
    port_.core.msr = 0x1002;
    EXPECT_EQ(core_.ReadFpr(5), 0x400921FB54442D18ull);
    EXPECT_EQ(port_.core.Load(0x3F00, 4), 0x400921FBu) << "stored at the buffer address";
    core_.WriteFpr(7, 0xC000000000000000ull);
    EXPECT_EQ(port_.core.fpr[7], 0xC000000000000000ull);
    port_.core.fpscr = 0x82000000;
    EXPECT_EQ(core_.ReadFpscr(), 0x82000000u);
    core_.WriteFpscr(0x000000F8);
    EXPECT_EQ(port_.core.fpscr, 0x000000F8u);
    EXPECT_EQ(port_.core.fpr[1], 0x3FF0000000000000ull) << "f1 is restored";
    EXPECT_EQ(port_.core.msr, 0x1002u) << "the machine state is restored";
    EXPECT_EQ(port_.core.CountOf("mffs"), 1u);
    EXPECT_EQ(port_.core.CountOf("mtfsf"), 1u);
}

TEST_F(Ppc8xxTest, MemoryThroughR1)
{
    for (uint32_t a = 0; a < 64; ++a)
        port_.core.SetByte(0x8000 + a, uint8_t(0x80 + a));
    EXPECT_EQ(core_.ReadWord(0x8004), 0x84858687u);
    core_.WriteWord(0x9000, 0x01020304);
    EXPECT_EQ(port_.core.Load(0x9000, 4), 0x01020304u);

    uint8_t halves[6] = {};
    core_.ReadBlock(0x8010, ppc::Unit::Half, halves, sizeof halves);
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(halves[i], 0x90 + i);
    const uint8_t bytes[5] = {9, 8, 7, 6, 5};
    core_.WriteBlock(0x9101, ppc::Unit::Byte, bytes, sizeof bytes);
    EXPECT_EQ(port_.core.Load(0x9101, 4), 0x09080706u);
    EXPECT_EQ(port_.core.Byte(0x9105), 5);
    core_.Fill(0x9200, ppc::Unit::Word, 0xA1B2C3D4, 8);
    EXPECT_EQ(port_.core.Load(0x9204, 4), 0xA1B2C3D4u);

    std::vector<uint8_t> block(64, 0x3C);
    bool hooked = false;
    EXPECT_TRUE(core_.FastDownload(0xA000, block.data(), block.size()));
    EXPECT_EQ(port_.core.Load(0xA03C, 4), 0x3C3C3C3Cu);
    core_.SetFastDownload([&](uint32_t, const uint8_t*, size_t) { return hooked = true; });
    EXPECT_TRUE(core_.FastDownload(0xB000, block.data(), block.size()));
    EXPECT_TRUE(hooked);
    EXPECT_EQ(log_.back(), "END Fast Download");
    EXPECT_TRUE(port_.core.unknown.empty());
}

}  // namespace
