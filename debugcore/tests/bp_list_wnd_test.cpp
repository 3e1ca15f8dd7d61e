// The breakpoint list window on a logic-only MDI frame, against the
// recording target fakes: modes, rows, the context commands with their one
// announcement each, and the refusals while the target runs.
#include <platform/frame_wnd.h>
#include <platform/scripted_ui_gtest.h>
#include <quinar/quinar.h>

#include "bp_dialog.h"
#include "bp_list_wnd.h"
#include "emu_messages.h"
#include "sarvik/bp_windows.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using platform::GTestScriptedUi;
using platform::ScriptedDialog;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace sarvik::ui;

class BpListTest : public SarvikTest {
protected:
    void SetUp() override
    {
        SarvikTest::SetUp();
        frame_ = new CMDIFrameWnd;
        ASSERT_TRUE(frame_->Create(nullptr, 1));
    }
    void TearDown() override
    {
        BptShowBpListW(0, nullptr);
        platform::DispatchPending();
        frame_->DestroyWindow();
        platform::DispatchPending();
        SymClearSymbolTables(0);
        SarvikTest::TearDown();
    }
    CBkptView* View() const
    {
        CBkptWnd* w = OpenBkptWnd();
        return w ? w->View() : nullptr;
    }
    std::vector<std::string> Column(int c) const
    {
        std::vector<std::string> out;
        for (const BkptRow& r : View()->Rows())
            out.push_back(r.text[c]);
        return out;
    }
    void Command(UINT id) { View()->SendMessage(WM_COMMAND, id, 0); }
    CMDIFrameWnd* frame_ = nullptr;
};

TEST_F(BpListTest, ModesOpenRaiseRefreshAndClose)
{
    BptShowBpListW(2, frame_);
    BptShowBpListW(0, frame_);
    EXPECT_EQ(OpenBkptWnd(), nullptr) << "mode 2 and mode 0 with the window closed do nothing";
    EXPECT_TRUE(frame_->MDIChildren().empty());

    Set(0x8000);
    BptShowBpListW(1, frame_);
    CBkptWnd* window = OpenBkptWnd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetWindowText(), "Breakpoints");
    EXPECT_EQ(frame_->MDIChildren().size(), 1u);
    EXPECT_EQ(View()->Rows().size(), 1u);

    Set(0x8010);
    BptShowBpListW(2, frame_);
    EXPECT_EQ(View()->Rows().size(), 1u) << "the refresh is posted";
    platform::DispatchPending();
    EXPECT_EQ(View()->Rows().size(), 2u);

    // Opening again raises the one window and refreshes it.
    Set(0x8020);
    BptShowBpListW(1, frame_);
    platform::DispatchPending();
    EXPECT_EQ(OpenBkptWnd(), window);
    EXPECT_EQ(frame_->MDIChildren().size(), 1u);
    EXPECT_EQ(View()->Rows().size(), 3u);

    BptShowBpListW(0, frame_);
    EXPECT_EQ(OpenBkptWnd(), nullptr);
    platform::DispatchPending();
    EXPECT_TRUE(frame_->MDIChildren().empty()) << "WM_CLOSE was posted to the window";
}

TEST_F(BpListTest, RowsShowStatusAddressTypeAndSourcePosition)
{
    const ImageStamp stamp{};
    SymModuleDesc desc{2, 0x8000, 0x8FFF};
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
    SymEndSymbolBlock();
    ASSERT_EQ(SymBeginLineTable(module), SYM_OK);
    SymAddLineRow(7, 1, 0x8000, 0);
    SymAddLineRow(8, 1, 0x8040, 0);
    SymEndLineTable();
    SymCloseModule(0);
    SymEndLoad();
    Set(0x8040);
    Set(0x9000);  // no source line
    Set(0x8000);
    (*BptGetList())[2]->SetSymbol("#gone");  // a symbol text naming no address
    ASSERT_EQ(BptEnableBp(&(*BptGetList())[0]->GetBkpt()->address, 0, 0), EMU_OK);
    BptShowBpListW(1, frame_);
    EXPECT_THAT(Column(0), ElementsAre(" Disabled", " Enabled", " Enabled"));
    EXPECT_THAT(Column(1), ElementsAre("0x00008040", "0x00009000", "0x00008000"));
    EXPECT_THAT(Column(2), ElementsAre("SW", "SW", "SW"));
    EXPECT_THAT(Column(3), ElementsAre(" #app.c#8", "No Symbole Information", "No Symbole Information"));
    EXPECT_EQ(View()->Rows()[0].image, BPLIST_IMAGE_DISABLED);
    EXPECT_EQ(View()->Rows()[1].image, BPLIST_IMAGE_ENABLED);
}

TEST_F(BpListTest, EachChangeIsAnnouncedOnce)
{
    Set(0x8000);
    Set(0x8010);
    Set(0x8010, 2);  // a second record at the address
    BptShowBpListW(1, frame_);
    Fake().calls.clear();
    messages_.clear();

    Command(ID_BPLIST_DISABLE);
    EXPECT_THAT(Fake().calls, IsEmpty()) << "no selection: nothing";
    EXPECT_EQ(BreakpointUpdates(), 0u);

    View()->SetSelected(0);
    Command(ID_BPLIST_DISABLE);
    EXPECT_EQ(BreakpointUpdates(), 1u);
    EXPECT_EQ(View()->Rows()[0].image, BPLIST_IMAGE_DISABLED);
    EXPECT_EQ(View()->Rows()[0].text[0], " Disabled");
    EXPECT_FALSE((*BptGetList())[0]->IsEnable());
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x8000)"));
    Command(ID_BPLIST_ENABLE);
    EXPECT_EQ(BreakpointUpdates(), 2u);
    EXPECT_TRUE((*BptGetList())[0]->IsEnable());

    Command(ID_BPLIST_DISABLE_ALL);
    EXPECT_EQ(BreakpointUpdates(), 3u);
    for (const CBpDataEx* r : *BptGetList())
        EXPECT_FALSE(r->IsEnable());
    Command(ID_BPLIST_ENABLE_ALL);
    EXPECT_EQ(BreakpointUpdates(), 4u);

    // Delete takes every record at the address; the rows follow the list.
    View()->SetSelected(1);
    Command(ID_BPLIST_DELETE);
    EXPECT_EQ(BreakpointUpdates(), 5u);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000}));
    EXPECT_EQ(View()->Rows().size(), 1u);

    Command(ID_BPLIST_DELETE_ALL);
    EXPECT_EQ(BreakpointUpdates(), 6u);
    EXPECT_TRUE(ListOffsets().empty());
    EXPECT_TRUE(View()->Rows().empty());
}

TEST_F(BpListTest, WhileTheTargetRunsNothingChanges)
{
    Set(0x8000);
    BptShowBpListW(1, frame_);
    View()->SetSelected(0);
    Fake().calls.clear();
    messages_.clear();
    FakeRun().running = true;
    {
        GTestScriptedUi ui;
        for (int i = 0; i < 7; ++i)
            ui.AnswerMessageBox(IDOK);
        for (UINT id : {ID_BPLIST_ENABLE, ID_BPLIST_DISABLE, ID_BPLIST_ENABLE_ALL, ID_BPLIST_DISABLE_ALL,
                        ID_BPLIST_DELETE, ID_BPLIST_DELETE_ALL})
            Command(id);
        // Opening is refused too (the open window is not raised).
        BptShowBpListW(1, frame_);
        EXPECT_EQ(ui.Requests().size(), 7u);
    }
    FakeRun().running = false;
    EXPECT_THAT(Fake().calls, IsEmpty());
    EXPECT_EQ(BreakpointUpdates(), 0u);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000}));
    EXPECT_TRUE((*BptGetList())[0]->IsEnable());
}

TEST_F(BpListTest, OpeningWhileTheTargetRunsMakesNoWindow)
{
    FakeRun().running = true;
    {
        GTestScriptedUi ui;
        ui.AnswerMessageBox(IDOK);
        BptShowBpListW(1, frame_);
    }
    FakeRun().running = false;
    EXPECT_EQ(OpenBkptWnd(), nullptr);
    EXPECT_TRUE(frame_->MDIChildren().empty());
}

TEST_F(BpListTest, AddAndDoubleClickOpenTheDialog)
{
    Set(0x8010);
    BptShowBpListW(1, frame_);
    GTestScriptedUi ui;
    ui.RunDialog(
          [](ScriptedDialog& d) {
              EXPECT_EQ(d.text(IDC_BP_LOCATION), "8010") << "the first line's breakpoint";
              d.click(IDCANCEL);
          },
          "Breakpoint")
        .RunDialog(
            [](ScriptedDialog& d) {
                EXPECT_EQ(d.text(IDC_BP_LOCATION), "0x00008010") << "the row's address";
                d.click(IDCANCEL);
            },
            "Breakpoint")
        .AnswerPopup(ID_BPLIST_DISABLE_ALL, "Disable A&ll");
    Command(ID_BPLIST_ADD);
    View()->SetSelected(0);
    View()->SendMessage(WM_LBUTTONDBLCLK, 0, 0);
    // The context menu offers the seven commands; the chosen one runs.
    View()->SendMessage(WM_CONTEXTMENU, 0, 0);
    ASSERT_EQ(ui.Requests().size(), 3u);
    EXPECT_EQ(ui.Requests()[2].described, "Ena&ble\nD&isable\nE&nable All\nDisable A&ll\n&Delete\n&Add\nD&elete All\n");
    EXPECT_FALSE((*BptGetList())[0]->IsEnable());
}

}  // namespace
}  // namespace sarvik::test
