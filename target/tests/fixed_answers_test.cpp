// Breakpoint calls and the calls with a fixed answer.
#include <gmock/gmock.h>

#include <cstring>

#include "fake_sim_session.h"

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using BreakpointTest = FakeSimTest;

TEST_F(BreakpointTest, TheSimulatorsListIsSetEnabledAndDisabled)
{
    EXPECT_EQ(emuSetBp({0x8004, 1}), EMU_OK);
    EXPECT_EQ(emuClrBp({0x8004, 1}), EMU_OK);
    EXPECT_EQ(emuEnableSwBkpt(), EMU_OK);
    EXPECT_EQ(emuDisableSwBkpt(), EMU_OK);
    EXPECT_THAT(sim().Trace(), ElementsAre("41(0x8004)", "42", "43"));
}

TEST_F(BreakpointTest, TheBreakWordNeverChanges)
{
    EXPECT_EQ(emuGetBkptCode(0), 0xFEDEFEDEu);
    EXPECT_EQ(emuSetBkptCode(0x12345678), EMU_OK);
    EXPECT_EQ(emuGetBkptCode(1), 0xFEDEFEDEu);
}

TEST_F(BreakpointTest, FixedAnswersLeaveTheTargetAlone)
{
    EXPECT_EQ(MemCacheDisable(0, 0), 1);
    EXPECT_EQ(MemCacheDisable(0xFFFFFFFF, 7), 1);
    EXPECT_EQ(emuSetOcdLog(1), EMU_OK);
    emuHardRefresh(2);
    EXPECT_EQ(emuInitialize(), EMU_OK);

    std::vector<uint8_t> event(EMU_EVENT_BLOCK_SIZE, 0xAA), extra(EMU_EVENT_EXTRA_SIZE, 0xAA);
    int16_t word = 5, pair[2] = {0, 0};
    char kind = 0;
    int count = 9;
    EXPECT_EQ(emuGetEvent(event.data(), extra.data(), &word, &kind, &count, pair), EMU_OK);
    EXPECT_THAT(event, Each(0));
    EXPECT_THAT(extra, Each(0));
    EXPECT_EQ(word, 0);
    EXPECT_EQ(kind, 3);
    EXPECT_THAT(pair, ElementsAre(1, 1));

    int16_t t[4] = {9, 9, 9, 9};
    EXPECT_EQ(emuGetTraceInfo(&t[0], &t[1], &t[2], &t[3]), EMU_OK);
    EXPECT_THAT(t, ElementsAre(1, 0, 0, 0));
    char full = 0;
    EXPECT_EQ(emuIsTraceBufferFull(0, &full), EMU_OK);
    EXPECT_EQ(full, 1);
    int16_t s = 9;
    EXPECT_EQ(emuGetVerify(&s), EMU_OK);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(emuGetWait(&s), EMU_OK);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(emuGetSync(&s), EMU_OK);
    EXPECT_EQ(s, 0);
    int maps = 0;
    EXPECT_EQ(emuGetMapSize(&maps), EMU_OK);
    EXPECT_EQ(maps, 1);
    char input = 7;
    EXPECT_EQ(emuInput(0, 0, 0, &input), EMU_OK);
    EXPECT_EQ(input, 0);

    EMU_WATCH_RECORD watch{};
    EXPECT_EQ(emuSetWP(watch), EMU_OK);
    EXPECT_EQ(emuSetHWBP(1, 2, 3, 4, 5), EMU_OK);
    EXPECT_EQ(emuSetDERValue(3), EMU_OK);
    EXPECT_EQ(emuGetAllReg(0, nullptr), EMU_OK);
    EXPECT_EQ(PPCSetLSDataBP(1, 2, 3, 4, 5, 6), EMU_OK);
    EXPECT_EQ(emuSelfTest(0), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

}  // namespace
