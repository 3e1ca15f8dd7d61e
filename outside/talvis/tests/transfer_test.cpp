// Block reads and writes reach Falcrest byte-exact, split above its 16-bit
// lengths; the ordinal table; the byte swaps.
#include <gmock/gmock.h>

#include <random>
#include <sstream>

#include "fake_sim_session.h"
#include "host_tools.h"
#include "talvis/talvis.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using TransferTest = FakeSimTest;

std::vector<uint8_t> RandomBytes(size_t count)
{
    std::mt19937 rng(1234);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

TEST_F(TransferTest, LargeBlocksAreSplitAndArriveByteExact)
{
    const std::vector<uint8_t> data = RandomBytes(200000);
    ASSERT_EQ(MemWriteBlock({0x10003, 1}, data.data(), 200000, -1), 0);
    EXPECT_EQ(sim().PeekBytes(0x10003, 200000), data);
    uint32_t written = 0;
    for (const FakeSimCall& c : sim().calls) {
        ASSERT_EQ(c.code, SIM_CMD_WRITE_MEM);
        EXPECT_EQ(c.a1, 1);
        EXPECT_EQ(static_cast<uint32_t>(c.a2), 0x10003 + written);
        EXPECT_LE(c.a4, 240);
        written += static_cast<uint32_t>(c.a4);
    }
    EXPECT_EQ(written, 200000u);

    sim().Clear();
    std::vector<uint8_t> back(200000);
    ASSERT_EQ(MemReadBlock(back.data(), {0x10003, 1}, 200000), 0);
    EXPECT_EQ(back, data);
    EXPECT_THAT(sim().Trace(),
                ElementsAre("6(1,0x10003,61440)", "6(1,0x1f003,61440)", "6(1,0x2e003,61440)", "6(1,0x3d003,15680)"));
}

TEST_F(TransferTest, WidthsAndRangesAreChecked)
{
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int width : {-1, 1, 2, 4})
        EXPECT_EQ(MemWriteBlock({0x100, 1}, bytes, 8, width), 0) << width;
    EXPECT_EQ(sim().PeekBytes(0x100, 8), std::vector<uint8_t>(bytes, bytes + 8));
    sim().Clear();
    for (int width : {0, 3, 8, -2})
        EXPECT_EQ(MemWriteBlock({0x100, 1}, bytes, 8, width), MEM_LIBRARY_ERROR) << width;
    EXPECT_EQ(MemWriteBlock({0xFFFFFFFC, 1}, bytes, 8, -1), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemReadBlock(bytes, {0xFFFFFFFC, 1}, 8), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemReadBlock(nullptr, {0x100, 1}, 8), MEM_LIBRARY_ERROR);
    EXPECT_EQ(MemReadBlock(bytes, {0xFFFFFFF8, 1}, 8), 0);  // up to the last byte
    EXPECT_EQ(MemWriteBlock({0x100, 1}, bytes, 0, -1), 0);
    EXPECT_THAT(sim().Trace(), ElementsAre("6(1,0xfffffff8,8)"));
}

TEST_F(TransferTest, FailuresOfTheTargetArePassedOn)
{
    std::vector<uint8_t> data(100000);
    sim().FailCall(SIM_CMD_READ_MEM, 1, EMU_TARGET_LOST);
    EXPECT_EQ(MemReadBlock(data.data(), {0, 1}, 100000), EMU_TARGET_LOST);
    ExitABIDLL();
    EXPECT_EQ(MemReadBlock(data.data(), {0, 1}, 16), EMU_NO_BACKEND);
}

TEST(TalvisOrdinals, ImportersFindTheOperationsByNumber)
{
    HMODULE m = LoadLibrary((platform::ProgramFolder() + "/libtalvis.so").c_str());
    ASSERT_NE(m, nullptr);
    const struct {
        int ordinal;
        FARPROC function;
    } table[] = {
        {21, reinterpret_cast<FARPROC>(&MemReadBlock)},    {23, reinterpret_cast<FARPROC>(&MemTestRange)},
        {24, reinterpret_cast<FARPROC>(&MemSearchBlock)},  {25, reinterpret_cast<FARPROC>(&MemCopyBlock)},
        {26, reinterpret_cast<FARPROC>(&MemCompareBlock)}, {27, reinterpret_cast<FARPROC>(&MemChecksumBlock)},
        {28, reinterpret_cast<FARPROC>(&MemFillBlock)},    {29, reinterpret_cast<FARPROC>(&MemWriteBlock)},
        {36, reinterpret_cast<FARPROC>(&MemInitServer)},   {37, reinterpret_cast<FARPROC>(&MemExitServer)},
    };
    for (const auto& t : table)
        EXPECT_EQ(GetProcAddress(m, platform::OrdinalName(t.ordinal)), t.function) << t.ordinal;
    EXPECT_EQ(GetProcAddress(m, platform::OrdinalName(22)), nullptr);
    FreeLibrary(m);
}

// Every library bound by ordinal keeps its table to itself and exports only
// the function that hands it out: no two libraries of one program export a
// data object of the same name (the sanitizers' one-definition check stops
// a program that loads two such).
TEST(TalvisOrdinals, TheTableIsNoExportedObject)
{
    for (const char* library : {"libtalvis.so", "libsarvik.so"}) {
        const auto nm = zk::test::RunProcess({"nm", "-D", "--defined-only", platform::ProgramFolder() + "/" + library});
        ASSERT_EQ(nm.exitStatus, 0) << library << nm.err;
        std::istringstream lines(nm.out);
        bool found = false;
        for (std::string value, type, name; lines >> value >> type >> name;) {
            if (name == "zk_ordinal_table") {
                found = true;
                EXPECT_EQ(type, "T") << library << ": the table's accessor is a function";
            }
        }
        EXPECT_TRUE(found) << library;
    }
}

TEST(TalvisSwaps, ReverseTheBytes)
{
    EXPECT_EQ(MemSwapBytesInLong(0x11223344), 0x44332211u);
    EXPECT_EQ(MemSwapBytesInLong(0xFF000080), 0x800000FFu);
    EXPECT_EQ(MemSwapBytesInWord(0x1234), 0x3412);
}

}  // namespace
