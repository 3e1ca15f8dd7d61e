// Target memory: access size, block transfers in their pieces, copy in
// memmove order, compare inside the range, fill with the first failure.
#include <gmock/gmock.h>

#include <numeric>

#include "fake_sim_session.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

using MemoryTest = FakeSimTest;

std::vector<uint8_t> Pattern(size_t count, uint8_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

TEST_F(MemoryTest, AccessSizeTakesOneTwoOrFourAndKeepsItOtherwise)
{
    int16_t size = 0;
    for (int bad : {0, 3, 8, -1, 0x10004}) {
        EXPECT_EQ(emuSetAccessSize(bad), EMU_REFUSED) << bad;
        emuGetAccessSize(&size);
        EXPECT_EQ(size, 4) << bad;
    }
    for (int good : {1, 2, 4}) {
        EXPECT_EQ(emuSetAccessSize(good), EMU_OK);
        emuGetAccessSize(&size);
        EXPECT_EQ(size, good);
    }
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(MemoryTest, SingleBytesMoveInByteUnits)
{
    EXPECT_EQ(emuSetMem(0x1234, 1, static_cast<char>(0xA5)), EMU_OK);
    char byte = 0;
    EXPECT_EQ(emuGetMem(0x1234, 1, &byte), EMU_OK);
    EXPECT_EQ(static_cast<uint8_t>(byte), 0xA5);
    EXPECT_THAT(sim().Trace(), ElementsAre("7(1,0x1234,1)", "6(1,0x1234,1)"));
}

TEST_F(MemoryTest, BlockWritesGoIn240BytePiecesAndReadsInOne)
{
    const std::vector<uint8_t> data = Pattern(500, 3);
    EXPECT_EQ(emuSetMemN({0x1000, 1}, data.data(), 500), EMU_OK);
    EXPECT_EQ(sim().PeekBytes(0x1000, 500), data);
    std::vector<uint8_t> back(500);
    EXPECT_EQ(emuGetMemN({0x1000, 1}, back.data(), 500), EMU_OK);
    EXPECT_EQ(back, data);
    EXPECT_THAT(sim().Trace(), ElementsAre("7(1,0x1000,240)", "7(1,0x10f0,240)", "7(1,0x11e0,20)", "6(1,0x1000,500)"));
}

TEST_F(MemoryTest, BlockLengthsAreTakenModulo65536)
{
    uint8_t buffer[16] = {};
    EXPECT_EQ(emuGetMemN({0x2000, 1}, buffer, 0x10000 + 16), EMU_OK);
    EXPECT_EQ(emuSetMemN({0x2000, 1}, buffer, 0x10000 + 16), EMU_OK);
    EXPECT_EQ(emuSetMemN({0x2000, 1}, buffer, 0x10000), EMU_OK);  // nothing to write
    EXPECT_THAT(sim().Trace(), ElementsAre("6(1,0x2000,16)", "7(1,0x2000,16)"));
}

TEST_F(MemoryTest, AFailedPieceEndsABlockWrite)
{
    const std::vector<uint8_t> data = Pattern(500, 1);
    sim().FailCall(SIM_CMD_WRITE_MEM, 1, 6);
    EXPECT_EQ(emuSetMemN({0x1000, 1}, data.data(), 500), 6);
    EXPECT_EQ(sim().calls.size(), 2u);
}

TEST_F(MemoryTest, CopyMovesKibiBytePiecesInTheAccessSize)
{
    const std::vector<uint8_t> data = Pattern(2500, 9);
    sim().PokeBytes(0x10000, data);
    EXPECT_EQ(emuCopy(0x10000, 1, 2500, 0x20000, 1), EMU_OK);
    EXPECT_THAT(sim().Trace(),
                ElementsAre("6(4,0x10000,1024)", "7(4,0x20000,1024)", "6(4,0x10400,1024)", "7(4,0x20400,1024)",
                            "6(4,0x10800,452)", "7(4,0x20800,452)"));
    EXPECT_EQ(sim().PeekBytes(0x20000, 2500), data);
}

// Overlapping ranges keep the source's contents (memmove order): a
// destination above the source takes the pieces from the end.
TEST_F(MemoryTest, OverlappingCopiesKeepTheSourceContents)
{
    const struct {
        uint32_t source;
        uint32_t destination;
        uint32_t length;
    } cases[] = {
        {0x10000, 0x10100, 2500},  // destination above, inside the source
        {0x10100, 0x10000, 2500},  // destination below
        {0x10000, 0x10001, 3000},  // one byte up: unaligned, in bytes
        {0x10000, 0x10400, 1024},  // one piece
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> data = Pattern(c.length, static_cast<uint8_t>(c.destination));
        sim().PokeBytes(c.source, data);
        sim().Clear();
        EXPECT_EQ(emuCopy(c.source, 1, c.length, c.destination, 1), EMU_OK);
        EXPECT_EQ(sim().PeekBytes(c.destination, c.length), data) << std::hex << c.source << " -> " << c.destination;
        EXPECT_EQ(sim().unitViolations, 0);
    }
}

TEST_F(MemoryTest, CopyUpwardTakesTheLastPieceFirst)
{
    sim().PokeBytes(0x10000, Pattern(2500, 4));
    EXPECT_EQ(emuCopy(0x10000, 1, 2500, 0x10100, 1), EMU_OK);
    EXPECT_THAT(sim().Trace(),
                ElementsAre("6(4,0x10800,452)", "7(4,0x10900,452)", "6(4,0x10400,1024)", "7(4,0x10500,1024)",
                            "6(4,0x10000,1024)", "7(4,0x10100,1024)"));
}

// A range that is not a whole number of units, or an unaligned one, moves
// its odd bytes in byte units and never touches a byte outside the range.
TEST_F(MemoryTest, CopyStaysInsideTheRange)
{
    sim().PokeBytes(0x20000, std::vector<uint8_t>(1040, 0xEE));
    const std::vector<uint8_t> data = Pattern(1030, 2);
    sim().PokeBytes(0x10000, data);
    EXPECT_EQ(emuCopy(0x10000, 1, 1030, 0x20000, 1), EMU_OK);
    EXPECT_EQ(sim().PeekBytes(0x20000, 1030), data);
    EXPECT_THAT(sim().PeekBytes(0x20000 + 1030, 10), ::testing::Each(0xEE));
    EXPECT_EQ(sim().unitViolations, 0);
    EXPECT_THAT(sim().Trace(),
                ElementsAre("6(4,0x10000,1024)", "7(4,0x20000,1024)", "6(4,0x10400,4)", "6(1,0x10404,2)",
                            "7(4,0x20400,4)", "7(1,0x20404,2)"));
}

TEST_F(MemoryTest, CopyOfNothingSendsNothingAndAFailedReadEndsIt)
{
    EXPECT_EQ(emuCopy(0x10000, 1, 0, 0x20000, 1), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
    sim().FailCall(SIM_CMD_READ_MEM, 1, 3);
    EXPECT_EQ(emuCopy(0x10000, 1, 2500, 0x20000, 1), 3);
    EXPECT_THAT(sim().Codes(), ElementsAre(6, 7, 6));
}

class CompareTest : public FakeSimTest {
protected:
    // Two equal ranges of `length` bytes at 0x10000 and 0x30000.
    void Ranges(uint32_t length)
    {
        const std::vector<uint8_t> data = Pattern(length + 16, 5);
        sim().PokeBytes(0x10000, data);
        sim().PokeBytes(0x30000, data);
        sim().Clear();
    }
    EmuResult Compare(uint32_t length, EMU_COMPARE_RESULT& result)
    {
        result = {};
        return emuCompare(0x10000, 1, length, 0x30000, 1, &result, nullptr);
    }
};

TEST_F(CompareTest, EqualRangesGiveRangesEqualAfterReadingEachPiece)
{
    Ranges(1536);
    EMU_COMPARE_RESULT result;
    EXPECT_EQ(Compare(1536, result), EMU_RANGES_EQUAL);
    EXPECT_THAT(sim().Trace(),
                ElementsAre("6(4,0x10000,512)", "6(4,0x30000,512)", "6(4,0x10200,512)", "6(4,0x30200,512)",
                            "6(4,0x10400,512)", "6(4,0x30400,512)"));
    EXPECT_EQ(Compare(0, result), EMU_RANGES_EQUAL);
}

TEST_F(CompareTest, TheFirstDifferingUnitIsReportedWithTheFirstRangesSpace)
{
    const struct {
        int accessSize;
        uint32_t length;
        uint32_t differingByte;
        uint32_t reported;
    } cases[] = {
        {1, 1536, 1000, 1000}, {4, 1536, 1000, 1000}, {4, 1536, 1003, 1000},
        {2, 1536, 1001, 1000}, {4, 1030, 1029, 1028},  // in the remainder
        {1, 1030, 1029, 1029},
    };
    for (const auto& c : cases) {
        Ranges(c.length);
        sim().Poke(0x30000 + c.differingByte, static_cast<uint8_t>(sim().Peek(0x30000 + c.differingByte) ^ 0xFF));
        emuSetAccessSize(c.accessSize);
        EMU_COMPARE_RESULT result;
        EXPECT_EQ(Compare(c.length, result), EMU_OK) << c.differingByte;
        EXPECT_EQ(result.address, 0x10000 + c.reported) << c.differingByte;
        EXPECT_EQ(result.space, 1);
        EXPECT_EQ(sim().unitViolations, 0);
    }
}

// A difference just past the end of the range is outside it.
TEST_F(CompareTest, BytesPastTheEndAreNeitherReadNorCompared)
{
    for (uint32_t length : {1030u, 1029u, 513u}) {
        Ranges(length);
        sim().Poke(0x30000 + length, static_cast<uint8_t>(sim().Peek(0x30000 + length) ^ 0xFF));
        sim().Clear();
        EMU_COMPARE_RESULT result;
        EXPECT_EQ(Compare(length, result), EMU_RANGES_EQUAL) << length;
        EXPECT_EQ(sim().unitViolations, 0) << length;
        for (const FakeSimCall& call : sim().calls)
            EXPECT_LE(static_cast<uint32_t>(call.a2 & 0xFFFF) + call.a4, length) << length;
    }
}

TEST_F(CompareTest, AFailedReadEndsTheCompare)
{
    Ranges(1536);
    sim().FailCall(SIM_CMD_READ_MEM, 3, 2);
    EMU_COMPARE_RESULT result;
    EXPECT_EQ(Compare(1536, result), 2);
    EXPECT_EQ(sim().calls.size(), 4u);
}

TEST_F(MemoryTest, FillWritesTheWholeBlockThenTheRestFromItsStart)
{
    ADDR at{0x4000, 1};
    sim().PokeBytes(0x4000, std::vector<uint8_t>(12, 0xEE));
    EXPECT_EQ(emuFill(&at, 10, "\x01\x02\x03\x04", 4), EMU_OK);
    ASSERT_THAT(sim().Trace(), ElementsAre("7(1,0x4000,8)", "7(1,0x4008,2)"));
    EXPECT_THAT(sim().calls[0].bytes, ElementsAre(1, 2, 3, 4, 1, 2, 3, 4));
    EXPECT_THAT(sim().calls[1].bytes, ElementsAre(1, 2));
    EXPECT_THAT(sim().PeekBytes(0x4000, 12), ElementsAre(1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 0xEE, 0xEE));
}

TEST_F(MemoryTest, LongFillsRepeatThePatternAcrossBlocks)
{
    ADDR at{0x4000, 1};
    EXPECT_EQ(emuFill(&at, 3000, "xyz", 3), EMU_OK);
    std::vector<uint8_t> expected(3000);
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<uint8_t>("xyz"[i % 3]);
    EXPECT_EQ(sim().PeekBytes(0x4000, 3000), expected);
    // Blocks of 1023 bytes (341 patterns), each in 240-byte pieces.
    EXPECT_THAT(
        sim().Trace(),
        ElementsAreArray({"7(1,0x4000,240)", "7(1,0x40f0,240)", "7(1,0x41e0,240)", "7(1,0x42d0,240)", "7(1,0x43c0,63)",
                          "7(1,0x43ff,240)", "7(1,0x44ef,240)", "7(1,0x45df,240)", "7(1,0x46cf,240)", "7(1,0x47bf,63)",
                          "7(1,0x47fe,240)", "7(1,0x48ee,240)", "7(1,0x49de,240)", "7(1,0x4ace,234)"}));
}

TEST_F(MemoryTest, APatternLongerThanTheRangeIsCut)
{
    ADDR at{0x4000, 1};
    EXPECT_EQ(emuFill(&at, 3, "abcdef", 6), EMU_OK);
    EXPECT_THAT(sim().PeekBytes(0x4000, 4), ElementsAre('a', 'b', 'c', 0));
}

TEST_F(MemoryTest, TheFirstFailedFillWriteEndsTheFill)
{
    ADDR at{0x4000, 1};
    sim().FailCall(SIM_CMD_WRITE_MEM, 5, 4);  // the second block's first piece
    EXPECT_EQ(emuFill(&at, 3000, "xyz", 3), 4);
    EXPECT_EQ(sim().calls.size(), 6u);
    sim().Clear();
    EXPECT_EQ(emuFill(&at, 0, "xyz", 3), EMU_OK);
    EXPECT_EQ(emuFill(&at, 10, "", 0), EMU_OK);
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

TEST_F(MemoryTest, ServicesTheSimulatorLacksSendNothing)
{
    EMU_VERIFY_ERROR verify{{1, 2, 3, 4}};
    emuGetVerifyErrorInfo(&verify);
    EXPECT_THAT(verify.words, ElementsAre(0u, 0u, 0u, 0u));
    ADDR where{0x100, 1};
    WORD a = 0, b = 0;
    EXPECT_NE(emuSearch(&where, 16, "ab", 2), EMU_OK);
    EXPECT_NE(emuChecksum(0x100, 1, 16, &a, &b), EMU_OK);

    char text[64];
    EXPECT_EQ(emuTest(0x100, 1, text, 0, 0), 1);
    EXPECT_STREQ(text, "not support in simulator!");
    EXPECT_EQ(emuTest(0x100, 1, text, 2, 0), 1);
    EXPECT_EQ(emuTest(0x100, 1, text, 3, 0), EMU_OK);
    EXPECT_STREQ(text, "Command Not Support!");
    EXPECT_THAT(sim().Trace(), IsEmpty());
}

}  // namespace
