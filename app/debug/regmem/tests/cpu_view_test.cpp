// The register view and window on the simulator: rows of a group, the
// layout in columns with its scroll range, yellow changed values, editing
// in place with its checks, the drag of a name, and the window's tabs.
#include <platform/messages.h>

#include "emu_messages.h"
#include "lathris/frame.h"
#include "lathris/tab_bar.h"
#include "regmem/cpu_view.h"
#include "regmem/register_wnd.h"
#include "regmem/regmem_ids.h"
#include "regmem_session.h"
#include "vexlor/vexlor.h"

using ::testing::ElementsAre;
using ::testing::Pair;

namespace regmem::test {
namespace {

class CpuViewTest : public RegMemSession {
protected:
    void SetUp() override
    {
        RegMemSession::SetUp();
        SetRegisterDisplayBase(0);
        for (DWORD r = 0; r < 16; ++r)
            CpuSetRegister(r, 0x100 + r);
        view = MakeView<CCpuView>(host);
    }
    void TearDown() override
    {
        view->DestroyWindow();
        platform::PumpPending();
        RegMemSession::TearDown();
    }
    // The fills and texts of the last paint.
    std::vector<platform::CDC::Op> PaintOps()
    {
        platform::CDC dc;
        view->Paint(dc);
        return dc.Ops();
    }
    COLORREF ValueFill(int row)
    {
        const RECT cell = view->Layout()[static_cast<size_t>(row)].value;
        for (const auto& op : PaintOps())
            if (op.kind == platform::CDC::Op::Fill && op.x == cell.left && op.y == cell.top)
                return op.bg;
        return 0xDEAD;
    }
    std::string ValueTextOf(int row)
    {
        std::string t;
        EXPECT_TRUE(view->ValueText(row, t));
        return t;
    }

    platform::FakeHost host{{0, 0, 400, 106}};  // five rows a column
    CCpuView* view = nullptr;
};

TEST_F(CpuViewTest, TheFirstGroupHasNumericRowsAndDecodedPsrRows)
{
    const auto& rows = view->Rows();
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[15].name, "r15");
    EXPECT_EQ(rows[16].name, "CPSR");
    EXPECT_EQ(rows[16].decodeKind, 0);
    EXPECT_EQ(rows[17].name, "CPSR");
    EXPECT_EQ(rows[17].index, rows[16].index);
    EXPECT_EQ(rows[17].auxiliary, rows[16].auxiliary + 1);
    EXPECT_EQ(rows[17].decodeKind, VEXLOR_PSR_TEXT_WIDTH);
    EXPECT_EQ(view->NameWidth(), 7 * 8) << "\"CPSR\": 4 + 4/2 + 1 characters";
    EXPECT_EQ(view->RowHeight(), 18);
    EXPECT_EQ(ValueTextOf(3), "0x00000103");
    CpuSetRegister(VEXLOR_REG_CPSR, 0x600000D3);
    view->Refresh();
    EXPECT_EQ(ValueTextOf(17), "nZCvIFt_SVC32");
    view->SendMessage(WM_COMMAND, ID_REG_VIEW_DECIMAL, 0);
    EXPECT_EQ(ValueTextOf(3), "259");
    EXPECT_EQ(RegisterDisplayBase(), 1);
}

TEST_F(CpuViewTest, RowsWrapIntoColumnsThatScrollSideways)
{
    const auto cells = view->Layout();
    EXPECT_EQ(cells[4].name.top, 86);
    EXPECT_EQ(view->ValueWidth(), 16 * 8 + 4) << "the widest text, NZCVIFT_System32, fits";
    EXPECT_EQ(cells[5].name.left, 6 + 56 + 132 + 16);
    EXPECT_EQ(cells[5].name.top, 6);
    EXPECT_EQ(cells[0].value.left, 6 + 56 + 4);
    EXPECT_EQ(cells[0].value.right, 6 + 56 + 4 + 132);
    EXPECT_EQ(view->HitTest({10, 10}), 0x100);
    EXPECT_EQ(view->HitTest({6 + 56 + 3, 27}), 1) << "two pixels of slack round a value";
    EXPECT_EQ(view->HitTest({205, 100}), -1);
    view->SendMessage(WM_SIZE, 0, 0);
    view->SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    const int column = 56 + 132 + 16;
    EXPECT_EQ(view->HorizontalOffset(), column * 4 + 6 - 400);
    view->SendMessage(WM_HSCROLL, SB_PAGELEFT, 0);
    EXPECT_EQ(view->HorizontalOffset(), column * 4 + 6 - 400 - column);
    view->SendMessage(WM_HSCROLL, SB_PAGELEFT, 0);
    view->SendMessage(WM_HSCROLL, SB_PAGELEFT, 0);
    view->SendMessage(WM_HSCROLL, SB_PAGELEFT, 0);
    EXPECT_EQ(view->HorizontalOffset(), 0) << "clamped";
    view->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(view->HorizontalOffset(), 1);
    EXPECT_EQ(view->Layout()[0].name.left, 5);
}

TEST_F(CpuViewTest, OnlyChangedValuesAreYellowUntilTheNextRefresh)
{
    CpuSetRegister(3, 0xABC);
    view->Refresh();
    EXPECT_EQ(ValueFill(3), kRegChanged);
    EXPECT_EQ(ValueFill(2), kRegUnchanged);
    view->Refresh();
    EXPECT_EQ(ValueFill(3), kRegUnchanged);
}

// A refresh repaints the value cells whose text or changed mark differs:
// none when nothing changed, else those cells alone (a changed cell once
// more when its mark goes).
TEST_F(CpuViewTest, ARefreshInvalidatesOnlyTheCellsThatLookDifferent)
{
    struct CellsHost : platform::FakeHost {
        using FakeHost::FakeHost;
        void Invalidate() override
        {
            std::vector<int> rows;
            for (const RECT& r : view->RefreshedCells())
                for (size_t i = 0; i < layout.size(); ++i)
                    if (layout[i].value.left == r.left && layout[i].value.top == r.top &&
                        layout[i].value.right == r.right && layout[i].value.bottom == r.bottom)
                        rows.push_back(static_cast<int>(i));
            invalidated.push_back(rows);
        }
        CCpuView* view = nullptr;
        std::vector<CCpuView::Cells> layout;
        std::vector<std::vector<int>> invalidated;  // the rows of each invalidation
    };
    CellsHost cells{{0, 0, 400, 106}};
    cells.view = view;
    cells.layout = view->Layout();
    view->SetHost(&cells);
    struct Restore {
        CCpuView* view;
        platform::FakeHost* host;
        ~Restore() { view->SetHost(host); }
    } restore{view, &host};

    view->Refresh();
    EXPECT_TRUE(cells.invalidated.empty()) << "nothing changed";
    CpuSetRegister(7, 0x1);
    CpuSetRegister(3, 0xABC);
    view->Refresh();
    CpuSetRegister(5, 0x2);
    view->Refresh();
    view->Refresh();
    EXPECT_THAT(cells.invalidated, ElementsAre(ElementsAre(3, 7), ElementsAre(3, 5, 7), ElementsAre(5)));
    EXPECT_TRUE(view->RefreshedCells().empty()) << "only while the refresh invalidates";
    EXPECT_EQ(ValueFill(5), kRegUnchanged);
}

TEST_F(CpuViewTest, EditsWriteOnlyNumbersThatFitTheRegister)
{
    struct Case {
        int base;
        const char* text;
        bool written;
        DWORD value;
    };
    const Case cases[] = {
        {0, "0x1234", true, 0x1234}, {0, "abcd  ", true, 0xABCD}, {1, "4294967295", true, 0xFFFFFFFF},
        {1, "12x", false, 0},        {1, "4294967296", false, 0}, {0, "0x1FFFFFFFF", false, 0},
        {0, "", false, 0},           {1, "-1", false, 0},         {0, "12 34", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetRegisterDisplayBase(c.base);
        CpuSetRegister(4, 0x77);
        view->Refresh();
        ClearMessages();
        const int beeps = ui.Beeps();
        view->StartEdit(4);
        ASSERT_TRUE(view->Edit().visible);
        view->EndEdit(c.text);
        EXPECT_FALSE(view->Edit().visible);
        DWORD value = 0;
        CpuGetRegister(4, &value);
        EXPECT_EQ(value, c.written ? c.value : 0x77u);
        EXPECT_EQ(ui.Beeps(), beeps + (c.written ? 0 : 1));
        if (c.written) {
            EXPECT_THAT(Updates(), ElementsAre(Pair(DVK_REGISTERS, 0), Pair(DVK_WATCH, 0), Pair(DVK_CALL_STACK, 0)));
        }
    }
}

TEST_F(CpuViewTest, ThePcRowRefreshesEverythingAndPsrTextsAreApplied)
{
    view->StartEdit(15);
    EXPECT_EQ(view->Edit().text, "0x0000010C") << "the simulator keeps an ARM PC word-aligned";
    EXPECT_EQ(view->Edit().limit, 10);
    view->EndEdit("0x8000");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, WM_EMU_REFRESH);

    CpuSetRegister(VEXLOR_REG_CPSR, 0x000000D3);
    view->Refresh();
    view->StartEdit(17);
    EXPECT_EQ(view->Edit().text, "nzcvIFt_SVC32");
    EXPECT_EQ(view->Edit().limit, 13);
    view->EndEdit("NzcvIFt_SVC32");
    DWORD cpsr = 0;
    CpuGetRegister(VEXLOR_REG_CPSR, &cpsr);
    EXPECT_EQ(cpsr, 0x800000D3u);
    view->StartEdit(17);
    view->EndEdit("garbage");
    CpuGetRegister(VEXLOR_REG_CPSR, &cpsr);
    EXPECT_EQ(cpsr, 0x800000D3u);
    view->StartEdit(17);
    view->CancelEdit();
    EXPECT_FALSE(view->Edit().visible);
}

TEST_F(CpuViewTest, ANameDragsOutAndAddsAWatch)
{
    ui.AnswerDrag(1);
    view->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(10, 6 + 3 * 20 + 2));
    EXPECT_EQ(view->Selected(), 3);
    const auto requests = ui.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_THAT(requests[0].described, ::testing::HasSubstr("@(r3)"));
    view->SendMessage(WM_COMMAND, ID_REG_ADD_WATCH, 0);
    EXPECT_THAT(watches, ElementsAre("@(r3)"));
}

// The register window: a tab per group, refresh of every tab.
TEST_F(CpuViewTest, TheWindowHasATabPerGroupAndRefreshesThemAll)
{
    auto* main = new lathris::CCJMDIFrameWnd;
    ASSERT_TRUE(main->Create(nullptr, 1));
    CRegisterWnd::SetFloatOwner(main);
    auto* wnd = new CRegisterWnd;
    ASSERT_TRUE(wnd->CWnd::Create(main, 2));
    ASSERT_TRUE(wnd->OnCreateClient(nullptr));
    ASSERT_EQ(wnd->Tabs().GetTabCount(), 6);
    auto* fiq = dynamic_cast<CCpuView*>(wnd->Tabs().GetView(1));
    ASSERT_NE(fiq, nullptr);
    EXPECT_EQ(fiq->Rows().front().name, "r8_fiq");
    EXPECT_EQ(fiq->Rows().size(), 9u);
    CpuSetRegister(18, 0x4242);
    EXPECT_EQ(wnd->SendMessage(WM_EMU_REFRESH, 0, 0), 1);
    EXPECT_EQ(fiq->Values()[0], 0x4242u);

    // Float the FIQ tab: a frame of its own, refreshed with the others.
    fiq->SendMessage(WM_COMMAND, ID_REG_DOCK_TOGGLE, 0);
    platform::PumpPending();
    EXPECT_EQ(wnd->Tabs().GetTabCount(), 5);
    ASSERT_EQ(wnd->Dock().FloatingFrames().size(), 1u);
    auto* floating = dynamic_cast<CCpuView*>(wnd->Dock().FloatingFrames()[0]->m_pView);
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->GetGroup(), 1);
    CpuSetRegister(18, 0x4343);
    wnd->SendMessage(WM_EMU_REFRESH, 0, 0);
    EXPECT_EQ(floating->Values()[0], 0x4343u);
    EXPECT_EQ(floating->PreviousValues()[0], 0x4242u);
    // And back as the last tab.
    floating->SendMessage(WM_COMMAND, ID_REG_DOCK_TOGGLE, 0);
    platform::PumpPending();
    EXPECT_EQ(wnd->Tabs().GetTabCount(), 6);
    EXPECT_EQ(dynamic_cast<CCpuView*>(wnd->Tabs().GetView(5))->Rows().front().name, "r8_fiq");
    main->DestroyWindow();
    platform::PumpPending();
    CRegisterWnd::SetFloatOwner(nullptr);
    bool closed = false;
    for (const Message& m : messages)
        closed = closed || (m.msg == WM_EMU_VIEW_CLOSED && m.wParam == DVK_REGISTERS);
    EXPECT_TRUE(closed);
}

// The symbol tree's tab of the workspace bar, by its class name.
class CTreeViewSymbol : public CView {
public:
    DECLARE_DYNCREATE(CTreeViewSymbol)
};
IMPLEMENT_DYNCREATE(CTreeViewSymbol, CView)

TEST_F(CpuViewTest, RemoveFromWorkspaceTakesTheRegisterTabOutAndShowsTheSymbols)
{
    auto* main = new CFrameWnd;
    ASSERT_TRUE(main->Create(nullptr, 1));
    CCJTabCtrlBar workspace;
    ASSERT_TRUE(workspace.Create(main, 103, "Workspace", SIZE{220, 200}));
    main->AddControlBar(&workspace);
    ASSERT_TRUE(workspace.AddView("Symbols", RUNTIME_CLASS(CTreeViewSymbol)));
    ASSERT_TRUE(workspace.AddView("Registers", RUNTIME_CLASS(CCpuView)));
    workspace.SetActiveView(1);
    auto* regs = dynamic_cast<CCpuView*>(workspace.GetView(1));
    ASSERT_NE(regs, nullptr);

    const HWND recorder = window_;
    window_ = main->m_hWnd;
    regs->SendMessage(WM_COMMAND, ID_REG_REMOVE_FROM_WORKSPACE, 0);
    platform::PumpPending();
    window_ = recorder;
    EXPECT_EQ(workspace.GetTabCount(), 1);
    EXPECT_EQ(workspace.GetView(RUNTIME_CLASS(CCpuView)), nullptr);
    EXPECT_EQ(workspace.GetActiveView(), workspace.GetView(RUNTIME_CLASS(CTreeViewSymbol)));

    main->RemoveControlBar(&workspace);
    workspace.DestroyWindow();
    main->DestroyWindow();
    platform::PumpPending();
}

}  // namespace
}  // namespace regmem::test
