// The tabbed docking bar: views made as tabs, found by class, activated,
// and destroyed with their tab, on a main frame without widgets.
#include "lathris/frame.h"

#include <gtest/gtest.h>

namespace lathris {
namespace {

int g_liveViews = 0;

class CRegsView : public CView {
public:
    CRegsView() { ++g_liveViews; }
    ~CRegsView() override { --g_liveViews; }
    DECLARE_DYNCREATE(CRegsView)
};
IMPLEMENT_DYNCREATE(CRegsView, CView)

class CSymbolsView : public CView {
public:
    CSymbolsView() { ++g_liveViews; }
    ~CSymbolsView() override { --g_liveViews; }
    DECLARE_DYNCREATE(CSymbolsView)
};
IMPLEMENT_DYNCREATE(CSymbolsView, CView)

// A view whose window refuses to be made.
class CRefusingView : public CView {
public:
    CRefusingView() { ++g_liveViews; }
    ~CRefusingView() override { --g_liveViews; }
    int OnCreate() override { return -1; }
    DECLARE_DYNCREATE(CRefusingView)
};
IMPLEMENT_DYNCREATE(CRefusingView, CView)

class TabBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new CCJMDIFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, 1));
        frame->SetHost(&frameHost);
        frame->EnableDockingSizeBar(CBRS_ALIGN_ANY);
        ASSERT_TRUE(bar.Create(frame, 0xE810, "Workspace", {220, 300}, CBRS_ALIGN_LEFT));
        bar.SetHost(&barHost);
    }
    void TearDown() override
    {
        frame->DestroyWindow();
        EXPECT_EQ(g_liveViews, 0) << "every tab's view was deleted";
    }
    CCJMDIFrameWnd* frame = nullptr;
    CCJTabCtrlBar bar;
    FakeHost frameHost, barHost;
};

TEST_F(TabBarTest, ViewsBecomeTabsFoundAndActivatedByClass)
{
    ASSERT_TRUE(bar.AddView("Registers", RUNTIME_CLASS(CRegsView)));
    ASSERT_TRUE(bar.AddView("Symbols", RUNTIME_CLASS(CSymbolsView)));
    ASSERT_EQ(bar.GetTabCount(), 2);
    EXPECT_EQ(bar.Tabs()[1].label, "Symbols");
    EXPECT_EQ(bar.GetActiveIndex(), 0) << "the first tab is active";
    CView* symbols = bar.GetView(RUNTIME_CLASS(CSymbolsView));
    ASSERT_NE(symbols, nullptr);
    EXPECT_EQ(symbols->GetParent(), &bar);
    EXPECT_EQ(symbols->GetParentFrame(), frame) << "the frame's route reaches the view";
    EXPECT_EQ(bar.GetView(RUNTIME_CLASS(CRefusingView)), nullptr);
    bar.SetActiveView(RUNTIME_CLASS(CSymbolsView));
    EXPECT_EQ(bar.GetActiveView(), symbols);
    EXPECT_EQ(barHost.events.back(), HostEvent::ChildActivated);
}

TEST_F(TabBarTest, DestroyAndDeleteViewRemoveTheTabAndTheView)
{
    bar.AddView("A", RUNTIME_CLASS(CRegsView));
    bar.AddView("B", RUNTIME_CLASS(CSymbolsView));
    bar.AddView("C", RUNTIME_CLASS(CRegsView));
    bar.SetActiveView(2);
    CView* c = bar.GetView(2);
    bar.DestroyView(bar.GetView(RUNTIME_CLASS(CSymbolsView)));
    EXPECT_EQ(g_liveViews, 2);
    EXPECT_EQ(bar.GetActiveView(), c) << "the active tab stays active when another goes";
    EXPECT_TRUE(bar.DeleteView(RUNTIME_CLASS(CRegsView)));
    EXPECT_FALSE(bar.DeleteView(RUNTIME_CLASS(CSymbolsView)));
    ASSERT_EQ(bar.GetTabCount(), 1);
    EXPECT_EQ(bar.Tabs()[0].label, "C");
    bar.DestroyView(c);
    EXPECT_EQ(bar.GetTabCount(), 0);
    EXPECT_EQ(bar.GetActiveIndex(), -1);
    EXPECT_EQ(g_liveViews, 0);
}

TEST_F(TabBarTest, AViewThatCannotBeMadeAddsNoTab)
{
    EXPECT_FALSE(bar.AddView("Bad", RUNTIME_CLASS(CRefusingView)));
    EXPECT_FALSE(bar.AddView("Not creatable", RUNTIME_CLASS(CView)));
    EXPECT_EQ(bar.GetTabCount(), 0);
    EXPECT_EQ(g_liveViews, 0) << "the refused view was deleted";
}

TEST_F(TabBarTest, DockSizeBarKeepsToTheSidesBothAllow)
{
    bar.EnableDockingOnSizeBar(CBRS_ALIGN_LEFT | CBRS_ALIGN_BOTTOM);
    frame->EnableDockingSizeBar(CBRS_ALIGN_BOTTOM | CBRS_ALIGN_RIGHT);
    frame->DockSizeBar(&bar, CBRS_ALIGN_RIGHT);
    EXPECT_EQ(bar.GetDockedSide(), CBRS_ALIGN_BOTTOM) << "right is not the bar's, left not the frame's";
    EXPECT_EQ(frameHost.events.back(), HostEvent::BarsChanged);
}

}  // namespace
}  // namespace lathris
