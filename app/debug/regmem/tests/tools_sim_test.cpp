// The memory tools on the simulator's memory: search, compare, copy, fill,
// checksum and the memory test, and the sheet's pages driven by control id.
#include "emu_messages.h"
#include "falcrest.h"
#include "morwen/morwen.h"
#include "platform/timers.h"
#include "regmem/mem_tools_dlg.h"
#include "regmem/memory_tools.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"
#include "talvis/talvis.h"

using ::testing::ElementsAre;
using ::testing::Pair;

namespace regmem::test {
namespace {

using MemoryToolsTest = RegMemSession;

constexpr uint16_t T = ADDR_SPACE_TARGET;

std::string Text(UINT id)
{
    ZkString t;
    ErrGetText(id, &t);
    return t;
}

TEST_F(MemoryToolsTest, SearchListsAtMost255MatchesThenTheLimit)
{
    Write(0x10000, std::vector<uint8_t>(256, 0x5A));
    const std::vector<std::string> lines = RunSearch({0x10000, T}, {0x100FF, T}, {0x5A}, true);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "Found at 0x00010000");
    EXPECT_EQ(lines[254], "Found at 0x000100FE");
    EXPECT_EQ(lines[255], "*** Find Limitation: 0xff ***");

    Write(0x20000, {'x', 'A', 'b', 'C', 'y', 'a', 'B', 'c'});
    EXPECT_THAT(RunSearch({0x20000, T}, {0x20007, T}, {'a', 'b', 'c'}, false),
                ElementsAre("Found at 0x00020001", "Found at 0x00020005", "*** the End ***"));
    EXPECT_THAT(RunSearch({0x20000, T}, {0x20007, T}, {'a', 'B', 'c'}, true),
                ElementsAre("Found at 0x00020005", "*** the End ***"));
    EXPECT_THAT(RunSearch({0x20000, T}, {0x20007, T}, {'z'}, true), ElementsAre("Search result: not found."));
}

TEST_F(MemoryToolsTest, SearchAtTheTopOfTheSpaceEnds)
{
    Write(0xFFFFFFF0, std::vector<uint8_t>(16, 0x33));
    const std::vector<std::string> lines = RunSearch({0xFFFFFFF0, T}, {0xFFFFFFFF, T}, {0x33}, true);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[15], "Found at 0xFFFFFFFF");
    EXPECT_EQ(lines[16], "*** the End ***");
}

TEST_F(MemoryToolsTest, CompareRoundsToTheAccessUnitAndStopsWhenAsked)
{
    Write(0x1000, std::vector<uint8_t>(32, 0));
    Write(0x3000, std::vector<uint8_t>(32, 0));
    Write(0x3000, {1});  // the word at 0x1000 differs
    Write(0x3011, {2});  // the word at 0x1010
    const UnitRange r = RoundToUnit(0x1001, 0x1011, 0x3001, 4);
    EXPECT_EQ(r.start, 0x1000u);
    EXPECT_EQ(r.end, 0x1013u);
    EXPECT_EQ(r.destination, 0x3000u);
    EXPECT_EQ(RoundToUnit(0xFFFFFFFD, 0xFFFFFFFE, 0, 4).end, 0xFFFFFFFFu);
    EXPECT_THAT(RunCompare({0x1001, T}, {0x1011, T}, {0x3001, T}, false, 4),
                ElementsAre("Found difference at 0x00001000", "Found difference at 0x00001010", "*** the End ***"));
    EXPECT_THAT(RunCompare({0x1001, T}, {0x1011, T}, {0x3001, T}, true, 4),
                ElementsAre("Found difference at 0x00001000", "*** the End ***"));
    Write(0x3000, {0});
    Write(0x3011, {0});
    EXPECT_THAT(RunCompare({0x1000, T}, {0x101F, T}, {0x3000, T}, false, 4), ElementsAre("No difference found!"));
}

TEST_F(MemoryToolsTest, CopyChecksTheRoundedDestinationAndTellsTheViews)
{
    Write(0x4000, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(RunCopy({0x4001, T}, {0x4006, T}, {0x5001, T}, 4), Text(ERR_MEM_COPY_DONE));
    EXPECT_EQ(Read(0x5000, 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_THAT(Updates(), ElementsAre(Pair(DVK_MEMORY1, T), Pair(DVK_CODE_VIEWS, 0)));

    // Unrounded, 0x4001..0x4002 to 0xFFFFFFFD ends on 0xFFFFFFFE; rounded to
    // words it would end past the space.
    Write(0xFFFFFFF8, std::vector<uint8_t>(8, 0xEE));
    EXPECT_EQ(RunCopy({0x4001, T}, {0x4006, T}, {0xFFFFFFF9, T}, 4), Text(ERR_MEM_COPY_DONE));
    EXPECT_EQ(RunCopy({0x4000, T}, {0x4008, T}, {0xFFFFFFF9, T}, 4), Text(ERR_MEM_DESTINATION_RANGE));
    EXPECT_EQ(Read(0xFFFFFFF8, 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(MemoryToolsTest, FillChecksumAndTheSimulatorsRefusedTest)
{
    EXPECT_EQ(RunFill({0x6000, T}, {0x6006, T}, {0xAA, 0xBB}), Text(ERR_MEM_FILL_DONE));
    EXPECT_EQ(Read(0x6000, 8), (std::vector<uint8_t>{0xAA, 0xBB, 0xAA, 0xBB, 0xAA, 0xBB, 0xAA, 0}));
    EXPECT_EQ(RunChecksum({0x6000, T}, {0x6003, T}), "Checksum: 0x02CA");  // 2 x (0xAA + 0xBB)
    simulate = true;
    EXPECT_EQ(RunTest({0x6000, T}, {0x60FF, T}, 0, 0), "Can not support in simulator!");
    EXPECT_EQ(Updates().size(), 2u) << "only the fill told the views";
}

TEST_F(MemoryToolsTest, MemoryTestWalksBlocksThatStayInTheRange)
{
    simulate = false;
    Write(0x7000, {9, 8, 7});
    std::vector<int> progress;
    TestHooks hooks;
    hooks.progress = [&](int p) { progress.push_back(p); };
    EXPECT_STRCASEEQ(RunTest({0x7080, T}, {0x717F, T}, 0, 2, hooks).c_str(), "Test Successful!");
    EXPECT_THAT(progress, ElementsAre(50, 100));
    EXPECT_EQ(Read(0x7000, 3), (std::vector<uint8_t>{9, 8, 7})) << "contents put back";
    int asked = 0;
    hooks.stop = [&] { return ++asked == 2; };  // Ctrl+Break before the second block
    progress.clear();
    RunTest({0x7080, T}, {0x717F, T}, 0, 0, hooks);
    EXPECT_THAT(progress, ElementsAre(50));
}

TEST_F(MemoryToolsTest, PagesReadTheirFieldsAndRunOnApply)
{
    Write(0x8000, {1, 2, 3, 4});
    Write(0x9000, {1, 2, 9, 4});
    ASSERT_EQ(emuSetAccessSize(1), 0);
    CMemDlg sheet;
    ui.RunSheet(
        [&](platform::ScriptedSheet& s) {
            auto page = s.active();  // Compare
            EXPECT_EQ(page.items.GetItemText(IDC_COMPARE_MODE, 1), "Length");
            page.set(IDC_COMPARE_START, "8000");
            page.select(IDC_COMPARE_MODE, 1);
            page.set(IDC_COMPARE_END, "4");
            page.set(IDC_COMPARE_DEST, "9000");
            EXPECT_TRUE(s.apply());
            EXPECT_EQ(page.items.GetCount(IDC_COMPARE_OUTPUT), 2);
            EXPECT_EQ(page.items.GetItemText(IDC_COMPARE_OUTPUT, 0), "Found difference at 0x00008002");

            ASSERT_TRUE(s.page(2));  // Fill
            auto fill = s.active();
            fill.set(IDC_FILL_START, "A000");
            fill.set(IDC_FILL_END, "A003");
            fill.set(IDC_FILL_PATTERN, "256");  // too big for a byte
            EXPECT_TRUE(s.apply());
            EXPECT_EQ(fill.text(IDC_FILL_OUTPUT), "") << "a refused pattern runs nothing";
            fill.set(IDC_FILL_PATTERN, "0x11 'x'");
            EXPECT_TRUE(s.apply());
            EXPECT_EQ(fill.text(IDC_FILL_OUTPUT), Text(ERR_MEM_FILL_DONE));

            ASSERT_TRUE(s.page(3));  // Test, in the simulator
            auto test = s.active();
            test.set(IDC_TEST_START, "B000");
            test.set(IDC_TEST_END, "B0FF");
            EXPECT_TRUE(s.apply());
            EXPECT_EQ(test.text(IDC_TEST_OUTPUT), "Can not support in simulator!");
            // Off the simulator the test runs; the page's timer puts the
            // result back into the output field.
            simulate = false;
            test.set(IDC_TEST_END, "B1FF");
            EXPECT_TRUE(s.apply());
            EXPECT_STRCASEEQ(test.text(IDC_TEST_OUTPUT).c_str(), "Test Successful!");
            bool timer = false;
            for (const platform::TimerEntry& t : platform::ActiveTimers())
                timer = timer || (t.hwnd == sheet.test.m_hWnd && t.id == CMemTestPage::kResultTimer && t.ms == 5000);
            EXPECT_TRUE(timer);
            test.set(IDC_TEST_OUTPUT, "");
            sheet.test.SendMessage(WM_TIMER, CMemTestPage::kResultTimer, 0);
            EXPECT_STRCASEEQ(test.text(IDC_TEST_OUTPUT).c_str(), "Test Successful!");
            s.cancel();
        },
        "Memory Group");
    ui.AnswerMessageBox(IDOK, Text(ERR_MEM_BAD_PATTERN));
    platform::RunModalSheet(sheet);
    EXPECT_EQ(Read(0xA000, 4), (std::vector<uint8_t>{0x11, 'x', 0x11, 'x'}));
    ASSERT_EQ(sheet.GetPageCount(), 4);
    EXPECT_EQ(sheet.GetPage(0)->Caption(), "Compare ");
}

}  // namespace
}  // namespace regmem::test
