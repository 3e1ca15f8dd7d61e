// The frame's bar manager: user bars saved and made again, toolbar resets,
// and dock layouts refused when damaged, foreign or naming missing bars.
#include "lathris/frame.h"

#include "lathris/customize.h"
#include "lathris/registry.h"
#include "platform/resources.h"
#include "temp_registry.h"

namespace lathris {
namespace {

const std::string kPath = "Software\\Zelkor\\Zelkor for Arm\\Workspace";

// Keeps the layout bytes; refuses what it did not write.
class FakeLayout : public DockLayoutHost {
public:
    std::string SaveLayout() override { return "layout-" + std::to_string(++saves); }
    bool RestoreLayout(const std::string& bytes) override
    {
        if (bytes.rfind("layout-", 0) != 0)
            return false;
        restored = bytes;
        return true;
    }
    int saves = 0;
    std::string restored;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new CCJMDIFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, 1));
        frame->m_Impl.SetLayoutHost(&layout);
        ASSERT_TRUE(toolbar.Create(frame, CBRS_ALIGN_TOP, AFX_IDW_TOOLBAR));
        toolbar.InsertButton(CBCGToolbarButton(ID_FILE_OPEN, 0));
        toolbar.SetDefaultButtons();
    }
    void TearDown() override
    {
        if (frame)
            frame->DestroyWindow();
    }
    test::TempRegistry temp;
    FakeLayout layout;
    CCJMDIFrameWnd* frame = nullptr;
    CBCGToolBar toolbar;
};

TEST_F(FrameTest, UserBarsAreSavedAndMadeAgainWithTheirButtonsAndNames)
{
    frame->m_Impl.InitUserToobars(kPath, ID_USER_TOOLBAR_FIRST, ID_USER_TOOLBAR_FIRST + 1);
    CBCGToolBar* one = frame->m_Impl.CreateUserToolbar("Mine");
    CBCGToolBar* two = frame->m_Impl.CreateUserToolbar("Other");
    ASSERT_TRUE(one && two);
    EXPECT_EQ(frame->m_Impl.CreateUserToolbar("Third"), nullptr) << "only two ids given";
    EXPECT_EQ(one->GetDlgCtrlID(), ID_USER_TOOLBAR_FIRST);
    one->InsertButton(CBCGToolbarButton(32957, 0, "Custom Cmd", TRUE));
    EXPECT_TRUE(frame->m_Impl.DeleteUserToolbar(two));
    EXPECT_EQ(frame->GetControlBar(ID_USER_TOOLBAR_FIRST + 1), nullptr);
    ASSERT_TRUE(frame->m_Impl.SaveUserToolbars());
    frame->DestroyWindow();

    frame = new CCJMDIFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, 1));
    frame->m_Impl.InitUserToobars(kPath, ID_USER_TOOLBAR_FIRST, ID_USER_TOOLBAR_LAST);
    ASSERT_TRUE(frame->m_Impl.LoadUserToolbars());
    ASSERT_EQ(frame->m_Impl.GetUserBarCount(), 1);
    CBCGToolBar* back = frame->m_Impl.GetUserBarByIndex(0);
    EXPECT_EQ(back->GetWindowText(), "Mine");
    EXPECT_EQ(back->GetDlgCtrlID(), ID_USER_TOOLBAR_FIRST);
    ASSERT_EQ(back->GetCount(), 1);
    EXPECT_TRUE(back->GetButton(0)->m_bUserButton);
    EXPECT_EQ(frame->GetControlBar(ID_USER_TOOLBAR_FIRST), back);
    EXPECT_EQ(frame->m_Impl.GetUserBarByIndex(1), nullptr);
}

TEST_F(FrameTest, DockLayoutRoundTripsAndBadLayoutsAreRefusedWithWhere)
{
    ASSERT_TRUE(frame->m_Impl.SaveState(kPath));
    ASSERT_TRUE(frame->m_Impl.LoadState(kPath));
    EXPECT_EQ(layout.restored, "layout-1");

    CRegistry reg;
    ASSERT_TRUE(reg.Open(kPath));
    std::string record;
    ASSERT_TRUE(reg.ReadBinary("Control Bars", record));
    EXPECT_TRUE(frame->m_Impl.IsDockStateValid(record));

    struct Case {
        const char* name;
        std::string record;
        std::string error;
    } cases[] = {
        {"foreign bytes", "\0\0\0\xff" + std::string(30, 'q'), kPath + "\\Control Bars+0: not a \"ZKDS\" record"},
        {"bar not in the frame", EncodeDockState({{AFX_IDW_TOOLBAR, 59409}, "layout-9"}),
         kPath + "\\Control Bars+0: the layout names bars the frame does not have"},
        {"refused by the window layer", EncodeDockState({{AFX_IDW_TOOLBAR}, "not ours"}),
         kPath + "\\Control Bars+0: the window layer refused the layout"},
    };
    for (const Case& c : cases) {
        layout.restored.clear();
        reg.WriteBinary("Control Bars", c.record);
        EXPECT_FALSE(frame->m_Impl.LoadState(kPath)) << c.name;
        EXPECT_EQ(frame->m_Impl.LastError(), platform::Registry::Global().File() + ": " + c.error + "\n") << c.name;
        EXPECT_TRUE(layout.restored.empty()) << c.name << ": nothing restored";
        EXPECT_FALSE(frame->m_Impl.IsDockStateValid(c.record) && std::string(c.name) != "refused by the window layer")
            << c.name;
    }
}

TEST_F(FrameTest, ResetAsksTheFrameAndBringsTheDefaultButtonsBack)
{
    WPARAM resetBar = 0;
    struct ResetFrame : CCJMDIFrameWnd {
        explicit ResetFrame(WPARAM& seen)
        {
            OnMessage(BCGM_RESETTOOLBAR(), [&seen](WPARAM w, LPARAM) {
                seen = w;
                return LRESULT(0);
            });
        }
    };
    auto* other = new ResetFrame(resetBar);
    ASSERT_TRUE(other->Create(nullptr, 2));
    CBCGToolBar bar;
    ASSERT_TRUE(bar.Create(other, CBRS_ALIGN_TOP, AFX_IDW_TOOLBAR));
    bar.InsertButton(CBCGToolbarButton(ID_FILE_OPEN, 0));
    bar.SetDefaultButtons();
    bar.RemoveAllButtons();
    other->m_Impl.ResetToolbar(&bar);
    EXPECT_EQ(resetBar, AFX_IDW_TOOLBAR);
    EXPECT_EQ(bar.CommandToIndex(ID_FILE_OPEN), 0);
    other->DestroyWindow();
}

TEST_F(FrameTest, CustomizeOffersCommandsByCategoryAndDropsThemOnBars)
{
    resources::AddToolBar(700, {ID_FILE_NEW, 0, ID_FILE_OPEN, ID_FILE_SAVE});
    CBCGToolbarCustomize sheet(frame);
    ASSERT_TRUE(sheet.AddToolBar("File", 700));
    EXPECT_FALSE(sheet.AddToolBar("None", 701));
    sheet.AddButton("User", CBCGToolbarButton(32957, 0, "Custom Cmd", TRUE));
    EXPECT_EQ(sheet.Categories(), (std::vector<std::string>{"File", "User"}));
    EXPECT_EQ(sheet.RemoveButton("", ID_FILE_NEW), 0) << "its index";
    EXPECT_EQ(sheet.RemoveButton("File", ID_FILE_NEW), -1);
    EXPECT_EQ(sheet.ButtonsOf("File")->size(), 2u);
    EXPECT_EQ(sheet.DropButton(&toolbar, "File", ID_FILE_SAVE, 0), 0);
    EXPECT_EQ(toolbar.CommandToIndex(ID_FILE_SAVE), 0);
    EXPECT_EQ(sheet.DropButton(&toolbar, "File", ID_FILE_NEW), -1) << "no longer offered";

    EXPECT_EQ(sheet.NewUserToolbar("Mine"), nullptr) << "user bars are off";
    sheet.EnableUserDefinedToolbars();
    frame->m_Impl.InitUserToobars(kPath, ID_USER_TOOLBAR_FIRST, ID_USER_TOOLBAR_LAST);
    CBCGToolBar* mine = sheet.NewUserToolbar("Mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_FALSE(sheet.DeleteUserToolbar(&toolbar)) << "only user bars go";
    EXPECT_TRUE(sheet.DeleteUserToolbar(mine));
    EXPECT_TRUE(sheet.Create());
    EXPECT_FALSE(sheet.Create()) << "modeless and open once";
}

}  // namespace
}  // namespace lathris
