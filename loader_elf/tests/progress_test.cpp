// The progress bar's arithmetic: large files, the download share, the hold
// at 80 % and an image whose reading was done when the download began.
#include <gtest/gtest.h>

#include <platform/messages.h>

#include "ldr_progress.h"
#include "load_state.h"
#include "progress.h"

namespace tarnel {
namespace {

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = platform::CreateSink([this](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg == PBM_SETPOS)
                sent.push_back(static_cast<uint32_t>(wParam));
            return 0;
        });
        ElfLoadState& s = State();
        s.flags = 0;
        s.progressWindow = window;
        s.record = LoadProgressRecord{};
        s.progress = ProgressMemory{};
    }
    void TearDown() override
    {
        State().progressWindow = nullptr;
        platform::DestroySink(window);
    }

    uint32_t Report(uint64_t position, uint64_t downloaded = 0)
    {
        State().record.filePosition = position;
        State().record.downloadedBytes = downloaded;
        ReportLoadProgress();
        return sent.back();
    }

    HWND window = nullptr;
    std::vector<uint32_t> sent;
};

// Positions of files beyond 42 MB overflow 32-bit percentages; beyond 4 GB
// they do not fit 32 bits at all.
TEST_F(ProgressTest, LargeFilesGiveTrueFractions)
{
    State().record.imageSize = 3'000'000'000ull;
    State().progress.previousPosition = 2'800'000'000ull;
    EXPECT_EQ(Report(2'900'000'000ull), 38u);  // 96 % read, shown as 40 % of it

    State().record.imageSize = 6'000'000'000ull;
    State().progress.previousPosition = 5'800'000'000ull;
    EXPECT_EQ(Report(5'999'999'999ull), 39u);
}

TEST_F(ProgressTest, TheDownloadFillsThirtyToAHundredWithoutGoingBack)
{
    State().record.imageSize = 100000;
    EXPECT_EQ(Report(5000), 2u);
    // The first chunk: 90000 bytes are still to come.
    EXPECT_EQ(Report(10000, 9000), 37u);
    EXPECT_EQ(Report(10000, 45000), 65u);
    EXPECT_EQ(Report(15000, 90000), 100u);
    // More bytes than the estimate: the bar stays at 100.
    EXPECT_EQ(Report(100000, 150000), 100u);
}

// The reading was done when the first chunk went: nothing to divide by.
TEST_F(ProgressTest, ADownloadAfterTheLastByteWasReadShowsFull)
{
    State().record.imageSize = 900;
    State().progress.previousPosition = 900;
    EXPECT_EQ(Report(900, 512), 100u);
    State().record.imageSize = 0;
    State().progress = ProgressMemory{};
    EXPECT_EQ(Report(0), 0u);
    EXPECT_EQ(Report(0, 16), 100u);
}

// Loading symbols and code, the reading shows at most 80 % until the
// symbol table has more modules than functions.
TEST_F(ProgressTest, SymbolsAndDownloadHoldTheReadingAtEightyPercent)
{
    State().flags = LOAD_SYMBOLS | LOAD_DOWNLOAD;
    State().record.imageSize = 20000;
    State().progress.previousPosition = 19000;
    EXPECT_EQ(Report(20000), 32u);  // 80 % of the reading share
}

TEST_F(ProgressTest, FinishEndsTheBarAndSettlesTheStack)
{
    State().stack = StackNote{0x1000, 0x200, true};
    State().startPC = 0x8000;
    FinishLoadProgress(LDR_OK);
    EXPECT_EQ(sent.back(), 100u);
    EXPECT_EQ(State().record.startPC, 0x8000u);
    EXPECT_EQ(State().record.stackBase, 0x1000u);
    EXPECT_EQ(State().record.stackSize, 0x200u);
    State().stack.found = false;
    FinishLoadProgress(LDR_OK);
    EXPECT_EQ(State().record.stackSize, DEFAULT_STACK_SIZE);
}

// The one rule of both loaders' bars: the step limit, the hold at 8/10 and
// the percentage.
TEST(LoadBarStep, StepLimitHoldAndPercentage)
{
    struct Case {
        uint64_t position, previous, size;
        bool hold;
        LoadBarStep step;
    };
    const Case cases[] = {
        {900, 0, 1000, false, {100, 10}},         // a tenth of a middle file
        {50'000, 0, 100'000, false, {5'000, 5}},  // a twentieth of a large one
        {10, 500, 1000, false, {500, 50}},        // never behind the last position
        {1000, 900, 1000, false, {1000, 100}},    // never past the end
        {1000, 780, 1000, true, {800, 80}},       // held at 8/10
        {0, 0, 0, false, {0, 0}},                 // an empty file
    };
    for (const Case& c : cases) {
        const LoadBarStep s = NextLoadBarStep(c.position, c.previous, c.size, c.hold);
        EXPECT_EQ(s.position, c.step.position) << c.position << " of " << c.size;
        EXPECT_EQ(s.percent, c.step.percent) << c.position << " of " << c.size;
    }
}

}  // namespace
}  // namespace tarnel
