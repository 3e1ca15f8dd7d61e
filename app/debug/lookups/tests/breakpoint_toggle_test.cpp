// Set/Clear Breakpoint at an address on the real simulator with the example
// built at -O0: the toggle sets and clears in sarvik's list at the address
// of a line of readelf's decoded line table, tells the main window with the
// kind-12 update, refuses with message 32773 while the target runs, and does
// nothing while an image or memory transfer runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "decoded_lines.h"
#include "emu_messages.h"
#include "lookups/sym_lookups.h"
#include "morwen/morwen.h"
#include "platform/scripted_ui_gtest.h"
#include "sim_session.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace lookups {
namespace {

class BreakpointToggle : public sarvik::test::SimSession {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        Load("example_hello_O0");
        const auto lines = test::LowestLineAddresses(imagePath_, "main.c");
        ASSERT_FALSE(lines.empty()) << "readelf's decoded lines";
        // The line "total += value;" of the example's main.
        ADDR start{}, end{};
        ASSERT_TRUE(SymFileLineToAddrRange(20, &start, &end, "main.c"));
        ASSERT_EQ(lines.at(20), start.off);
        address = start;
        ProgramLinks links;
        links.mainWindow = [this] { return window_; };
        links.transferBusy = [this] { return transferBusy; };
        SetProgramLinks(links);
    }
    void TearDown() override
    {
        SetProgramLinks({});
        SimSession::TearDown();
    }
    bool Marked() { return BptFindBp(&address, ADDR{0, 0}, nullptr) != BPT_MARK_NONE; }
    int MarkUpdates() const
    {
        return static_cast<int>(std::count_if(messages_.begin(), messages_.end(), [&](const Message& m) {
            return m.msg == WM_EMU_UPDATE_VIEWS && m.wParam == DVK_BREAKPOINTS &&
                m.lParam == static_cast<LPARAM>(address.off);
        }));
    }

    ADDR address{};
    bool transferBusy = false;
};

TEST_F(BreakpointToggle, SetsThenClearsAndTellsTheMainWindowEachTime)
{
    ASSERT_FALSE(Marked());
    const size_t before = BptGetList()->size();  // the exception-catch records
    ToggleBreakpointAtAddr(address, 0);
    EXPECT_TRUE(Marked());
    EXPECT_EQ(BptGetList()->size(), before + 1);
    EXPECT_EQ(MarkUpdates(), 1);
    ToggleBreakpointAtAddr(address, 0);
    EXPECT_FALSE(Marked());
    EXPECT_EQ(BptGetList()->size(), before);
    EXPECT_EQ(MarkUpdates(), 2);
}

TEST_F(BreakpointToggle, TheSetBreakpointStopsAGoAtItsLine)
{
    ToggleBreakpointAtAddr(address, 0);
    ASSERT_EQ(EmuRun(EMU_RUN_GO, ADDR{0, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    EXPECT_EQ(Pc(), address.off);
}

TEST_F(BreakpointToggle, NothingWhileATransferRuns)
{
    transferBusy = true;
    ToggleBreakpointAtAddr(address, 0);
    EXPECT_FALSE(Marked());
    EXPECT_EQ(MarkUpdates(), 0);
}

TEST_F(BreakpointToggle, WhileTheTargetRunsOnlyTheRunningMessage)
{
    // The target spins on "b ." in free memory until the halt.
    const ADDR spin{0x00100000, ADDR_SPACE_TARGET};
    const uint32_t branchToSelf = 0xEAFFFFFE;
    ASSERT_EQ(MemWriteBlock(spin, &branchToSelf, 4, 4), 0);
    ASSERT_EQ(EmuSetPC(spin), EMU_OK);
    ASSERT_EQ(EmuRun(EMU_RUN_FREE, spin), EMU_OK);
    ASSERT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u) << "the target runs";
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK);
        ToggleBreakpointAtAddr(address, 0);
        ZkString running, caption;
        ErrGetText(32773, &running);
        ErrGetText(32769, &caption);
        ASSERT_EQ(ui.Requests().size(), 1u);
        EXPECT_EQ(ui.Requests()[0].messageBox.text, running);
        EXPECT_EQ(ui.Requests()[0].messageBox.caption, caption);
    }
    EXPECT_EQ(MarkUpdates(), 0);
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_FALSE(Marked());
}

}  // namespace
}  // namespace lookups
