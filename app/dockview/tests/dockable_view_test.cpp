// Floating and docking a view through a host window that answers
// WM_EMU_DOCK_TOGGLE the way the register window does, without widgets.
#include "dockview/dockable_view.h"

#include <gtest/gtest.h>

#include "lathris/frame.h"

namespace dockview {
namespace {

int g_live = 0;
int g_deleted = 0;
HWND g_host = nullptr;

// A register view: one group per tab; its command asks the host.
class CRegsView : public CDockableView {
public:
    CRegsView()
    {
        ++g_live;
        OnCommand(ID_VIEW_DOCK_TOGGLE, [this] {
            int before = g_deleted;
            answer = RequestDockToggle(g_host);
            // The host destroyed this view's window; the object must still
            // be here until this handler has returned.
            deletedInHandler = g_deleted != before;
            lastDeletedInHandler = deletedInHandler;
        });
    }
    ~CRegsView() override
    {
        --g_live;
        ++g_deleted;
    }
    bool HasGroup() const override { return true; }
    BYTE GetGroup() const override { return group; }
    void SetGroup(BYTE g) override { group = g; }
    BYTE group = 0;
    LRESULT answer = 1;
    bool deletedInHandler = false;
    static inline bool lastDeletedInHandler = false;
    DECLARE_DYNCREATE(CRegsView)
};
IMPLEMENT_DYNCREATE(CRegsView, CDockableView)

// A plain view in a floating frame.
class CPlainView : public CView {
public:
    CPlainView() { ++g_live; }
    ~CPlainView() override { --g_live; }
    DECLARE_DYNCREATE(CPlainView)
};
IMPLEMENT_DYNCREATE(CPlainView, CView)

// A dockable view whose window refuses to be made.
class CBrokenView : public CDockableView {
public:
    CBrokenView() { ++g_live; }
    ~CBrokenView() override { --g_live; }
    int OnCreate() override { return -1; }
    DECLARE_DYNCREATE(CBrokenView)
};
IMPLEMENT_DYNCREATE(CBrokenView, CDockableView)

// The register window: a child frame with a tab bar of views.
class CRegisterHost : public CMDIChildWnd {
public:
    CRegisterHost() : dock(tabs, AfxMainWnd())
    {
        OnMessage(WM_EMU_DOCK_TOGGLE, [this](WPARAM, LPARAM l) { return dock.OnDockToggle(l); });
    }
    static CWnd* AfxMainWnd();
    CViewTabBar tabs;
    DockToggleHost dock;
};

lathris::CCJMDIFrameWnd* g_main = nullptr;
CWnd* CRegisterHost::AfxMainWnd()
{
    return g_main;
}

class DockableViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_live = 0;
        g_main = new lathris::CCJMDIFrameWnd;
        ASSERT_TRUE(g_main->Create(nullptr, 1));
        host = new CRegisterHost;
        ASSERT_TRUE(host->CWnd::Create(g_main, 2));
        ASSERT_TRUE(host->tabs.Create(host, 0xE810, "Registers", {200, 200}));
        g_host = host->m_hWnd;
        ASSERT_TRUE(host->tabs.AddView("User", RUNTIME_CLASS(CRegsView), nullptr, 0));
        ASSERT_TRUE(host->tabs.AddView("FIQ", RUNTIME_CLASS(CRegsView), nullptr, 0x103));
        host->dock.SetGroupTabs(2);
    }
    void TearDown() override
    {
        if (g_main->m_hWnd)
            g_main->DestroyWindow();
        EXPECT_EQ(g_live, 0) << "every view was deleted";
    }
    CRegsView* Tab(int i) { return static_cast<CRegsView*>(host->tabs.GetView(i)); }
    // The command as the frame's menu delivers it.
    static void Toggle(CView* view) { view->SendMessage(WM_COMMAND, ID_VIEW_DOCK_TOGGLE, 0); }
    CRegisterHost* host = nullptr;
};

TEST_F(DockableViewTest, TabsAreDockedAndNamedWithTheirGroup)
{
    CRegsView* fiq = Tab(1);
    EXPECT_EQ(fiq->m_nFloating, 0);
    EXPECT_EQ(fiq->m_strName, "FIQ");
    EXPECT_EQ(fiq->group, 0x03) << "the group's low byte";
    EXPECT_EQ(fiq->QueryCommandState(ID_VIEW_DOCK_TOGGLE).text, "Dock View");
}

TEST_F(DockableViewTest, FloatingMakesAFrameWithAFreshViewAndRemovesTheTab)
{
    CRegsView* fiq = Tab(1);
    Toggle(fiq);
    EXPECT_FALSE(CRegsView::lastDeletedInHandler) << "the view outlived its own handler";
    EXPECT_EQ(host->tabs.GetTabCount(), 1);
    EXPECT_EQ(host->dock.GroupTabs(), 1);
    ASSERT_EQ(host->dock.FloatingFrames().size(), 1u);
    CDockWnd* frame = host->dock.FloatingFrames()[0];
    EXPECT_EQ(frame->GetWindowText(), "FIQ");
    EXPECT_EQ(frame->GetStyle(), 0x10C80400u);
    EXPECT_EQ(frame->GetWindowRect().left, 100);
    EXPECT_EQ(frame->GetWindowRect().bottom, 300);
    EXPECT_EQ(frame->GetParent(), g_main);
    auto* floating = dynamic_cast<CRegsView*>(frame->m_pView);
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->m_nFloating, 1);
    EXPECT_EQ(floating->m_strName, "FIQ");
    EXPECT_EQ(floating->group, 0x03);
    EXPECT_EQ(floating->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    EXPECT_EQ(floating->QueryCommandState(ID_VIEW_DOCK_TOGGLE).text, "Float View");
    EXPECT_EQ(g_live, 2) << "the docked FIQ view is gone";
}

TEST_F(DockableViewTest, ClosingAFloatingFrameDocksItsViewAgain)
{
    Toggle(Tab(1));
    CDockWnd* frame = host->dock.FloatingFrames()[0];
    HWND frameHwnd = frame->m_hWnd;
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(frameHwnd));
    EXPECT_TRUE(host->dock.FloatingFrames().empty());
    ASSERT_EQ(host->tabs.GetTabCount(), 2);
    EXPECT_EQ(host->tabs.Tabs()[1].label, "FIQ");
    EXPECT_EQ(Tab(1)->group, 0x03);
    EXPECT_EQ(Tab(1)->m_nFloating, 0);
    EXPECT_EQ(host->tabs.GetActiveView(), Tab(1));
    EXPECT_EQ(host->dock.GroupTabs(), 2);
    EXPECT_EQ(g_live, 2);
}

TEST_F(DockableViewTest, FramesWithoutAFloatingDockableViewIgnoreClose)
{
    auto* plain = new CDockWnd(RUNTIME_CLASS(CPlainView), 0);
    ASSERT_TRUE(plain->Create(nullptr, "Plain", kFloatingFrameStyle, {0, 0, 10, 10}, g_main));
    plain->SendMessage(WM_CLOSE);
    EXPECT_NE(plain->m_hWnd, nullptr);

    auto* docked = new CDockWnd(RUNTIME_CLASS(CRegsView), 1);
    ASSERT_TRUE(docked->Create(nullptr, "Regs", kFloatingFrameStyle, {0, 0, 10, 10}, g_main));
    static_cast<CRegsView*>(docked->m_pView)->m_nFloating = 0;
    docked->SendMessage(WM_CLOSE);
    EXPECT_NE(docked->m_hWnd, nullptr);
    EXPECT_EQ(host->tabs.GetTabCount(), 2) << "nothing was docked";
}

TEST_F(DockableViewTest, AFloatingFrameWhoseHostIsGoneClosesItself)
{
    Toggle(Tab(0));
    CDockWnd* frame = host->dock.FloatingFrames()[0];
    HWND frameHwnd = frame->m_hWnd;
    host->DestroyWindow();
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(frameHwnd));
}

TEST_F(DockableViewTest, AViewThatCannotBeMadeLeavesTheTabAndLeaksNothing)
{
    auto* frame = new CDockWnd(RUNTIME_CLASS(CBrokenView), 0);
    EXPECT_FALSE(frame->Create(nullptr, "Broken", kFloatingFrameStyle, {0, 0, 10, 10}, g_main));
    EXPECT_EQ(g_live, 2) << "the broken view was deleted";

    auto* none = new CDockWnd(nullptr, 0);
    EXPECT_FALSE(none->Create(nullptr, "None", kFloatingFrameStyle, {0, 0, 10, 10}, g_main));
    EXPECT_FALSE(host->tabs.AddView("Broken", RUNTIME_CLASS(CBrokenView), nullptr, 0));
    EXPECT_FALSE(host->tabs.AddView("Abstract", RUNTIME_CLASS(CDockableView), nullptr, 0));
    EXPECT_EQ(host->tabs.GetTabCount(), 2);
}

TEST(FormatHex8Test, EightUpperCaseDigitsWithLeadingZeros)
{
    struct {
        DWORD value;
        const char* text;
    } cases[] = {{0x1A2B, "00001A2B"}, {0xFFFFFFFF, "FFFFFFFF"}, {0, "00000000"}, {0x80000000, "80000000"}};
    for (const auto& c : cases) {
        char buffer[9] = "xxxxxxxx";
        EXPECT_EQ(FormatHex8(buffer, c.value), 8);
        EXPECT_STREQ(buffer, c.text);
    }
}

}  // namespace
}  // namespace dockview
