// The about box, "Change Program Counter" and the address dialog, run
// through the scripted modal service.
#include "shell/small_dialogs.h"

#include <gtest/gtest.h>

#include "platform/resources.h"
#include "platform/scripted_ui_gtest.h"
#include "platform/window_host.h"
#include "shell/shell_ids.h"

using namespace shell;
using platform::ScriptedDialog;

namespace {

class SmallDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterShellResources(); }
    platform::GTestScriptedUi ui_;
};

TEST_F(SmallDialogsTest, AboutBoxShowsItsFieldsAndOurNotice)
{
    ui_.RunDialog(
        [](ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_ABOUT_VERSION), "0.6");
            EXPECT_EQ(d.text(IDC_ABOUT_BUILD), "20010622");
            EXPECT_EQ(d.text(IDC_ABOUT_NOTICE), kAboutNotice);
            EXPECT_EQ(d.text(IDC_ABOUT_PROCESSOR), "");  // not connected
            EXPECT_EQ(d.text(IDC_ABOUT_FOURTH), "");
            d.click(IDOK);
        },
        "About");
    CAboutDlg dlg(FALSE);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.TemplateId(), 100u);
}

TEST_F(SmallDialogsTest, ChangePcAcceptsAnAddressAndKeepsItsDialogOnBadText)
{
    ui_.RunDialog(
        [](ScriptedDialog& d) {
            d.set(IDC_PC_EDIT, "not an address");
            d.click(IDOK);
            EXPECT_FALSE(d.dialog.IsEnded());
            d.set(IDC_PC_EDIT, "0x8010");
            d.click(IDOK);
        },
        "Change Program Counter");
    ui_.AnswerMessageBox(IDOK);  // error 32807
    CChangePCDlg dlg({300, 400});
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_offset, 0x8010u);
    ASSERT_EQ(ui_.MessageTexts().size(), 1u);
}

TEST_F(SmallDialogsTest, ChangePcCentresOverThePointWithItsBottomOnIt)
{
    CChangePCDlg dlg({300, 400});
    platform::FakeHost host;
    host.window = {10, 20, 10 + 151, 20 + 60};
    dlg.SetHost(&host);
    ui_.RunDialog(
        [](ScriptedDialog& d) {
            RECT r;
            d.dialog.GetWindowRect(&r);
            EXPECT_EQ(r.left, 300 - 75);
            EXPECT_EQ(r.top, 340);
            EXPECT_EQ(r.Width(), 151);
            EXPECT_EQ(r.Height(), 60);
            d.click(IDCANCEL);
        },
        "Change Program Counter");
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(SmallDialogsTest, AddressDialogTitlesByMode)
{
    struct Row {
        int mode;
        const char* title;
    } rows[] = {{0, "Jump to"}, {1, "Go to"}, {2, "Browse from"}, {3, "Address"}, {-1, "Address"}};
    for (const Row& r : rows) {
        std::string title, label;
        int focus = 0;
        ui_.RunDialog([&](ScriptedDialog& d) {
            title = d.dialog.GetWindowText();
            label = d.text(IDC_ADDRESS_LABEL);
            focus = d.items.GetFocus();
            d.set(IDC_ADDRESS_EDIT, "#main");
            d.click(IDOK);
        });
        CAddressDlg dlg(r.mode);
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(title.empty() ? std::string("Address") : title, r.title) << r.mode;
        EXPECT_EQ(label, "Addr:");
        EXPECT_EQ(focus, IDC_ADDRESS_EDIT);
        EXPECT_EQ(dlg.m_address, "#main");
    }
}

TEST(ShellResources, TopLevelMenuPositionsAndPaneStrings)
{
    RegisterShellResources();
    auto menu = platform::resources::LoadMenu(IDR_MAINFRAME);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->GetMenuString(kEditMenuPosition, MF_BYPOSITION), "&Edit");
    EXPECT_EQ(menu->GetMenuString(kOptionMenuPosition, MF_BYPOSITION), "&Option");
    EXPECT_EQ(menu->GetMenuString(kToolsMenuPosition, MF_BYPOSITION), "&Tools");
    ASSERT_NE(menu->GetSubMenu(kToolsMenuPosition), nullptr);
    CMenu* option = menu->GetSubMenu(kOptionMenuPosition);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->GetMenuString(kBuildToolsItemPosition, MF_BYPOSITION), "&Build Tools");
    CMenu* buildTools = option->GetSubMenu(kBuildToolsItemPosition);
    ASSERT_NE(buildTools, nullptr);
    EXPECT_EQ(buildTools->GetMenuItemID(0), 32982u);
    using platform::resources::LoadString;
    EXPECT_EQ(LoadString(59143), "PC:0000");
    EXPECT_EQ(LoadString(59147), " ");
    EXPECT_EQ(LoadString(57345), "For Help, press F1");
    EXPECT_EQ(LoadString(57344), "Zelkor for Arm");
}

}  // namespace
