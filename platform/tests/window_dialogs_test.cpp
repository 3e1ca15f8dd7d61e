// Dialogs driven by ScriptedUi: data exchange of hostile text, controls by
// id, property sheets.
#include "platform/dialog.h"
#include "platform/scripted_ui_gtest.h"

namespace {

using namespace platform;

enum {
    IDC_NAME = 1000,
    IDC_COUNT = 1001,
    IDC_ADDR = 1002,
    IDC_CHECK = 1003,
    IDC_R0 = 1004,
    IDC_R1 = 1005,
    IDC_COMBO = 1006
};

std::shared_ptr<const DialogTemplate> MakeTemplate()
{
    auto t = std::make_shared<DialogTemplate>();
    t->caption = "Settings";
    t->controls = {{ControlKind::Edit, IDC_NAME, "", 0, 0, 80, 12},
                   {ControlKind::Edit, IDC_COUNT, "", 0, 14, 80, 12},
                   {ControlKind::Edit, IDC_ADDR, "", 0, 28, 80, 12},
                   {ControlKind::Check, IDC_CHECK, "&Check", 0, 42, 80, 12},
                   {ControlKind::Radio, IDC_R0, "&One", 0, 56, 80, 12},
                   {ControlKind::Radio, IDC_R1, "&Two", 0, 70, 80, 12},
                   {ControlKind::DropList, IDC_COMBO, "", 0, 84, 80, 40},
                   {ControlKind::DefButton, IDOK, "OK", 0, 100, 40, 14},
                   {ControlKind::Button, IDCANCEL, "Cancel", 44, 100, 40, 14}};
    return t;
}

class SettingsDlg : public CDialog {
public:
    SettingsDlg() : CDialog(MakeTemplate())
    {
        OnNotify(IDC_NAME, EN_CHANGE, [this] { ++changes; });
    }
    BOOL OnInitDialog() override
    {
        Items().AddString(IDC_COMBO, "ARM");
        Items().AddString(IDC_COMBO, "Thumb");
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, IDC_NAME, name);
        DDV_MaxChars(dx, name, 32);
        DDX_Text(dx, IDC_COUNT, count);
        DDV_MinMaxInt(dx, count, 1, 100);
        DDX_TextHex(dx, IDC_ADDR, address);
        DDX_Check(dx, IDC_CHECK, check);
        DDX_Radio(dx, IDC_R0, radio);
        DDX_CBIndex(dx, IDC_COMBO, mode);
    }
    std::string name = "main";
    int count = 4;
    DWORD address = 0x8000;
    int check = 0;
    int radio = 0;
    int mode = 0;
    int changes = 0;
};

TEST(DialogTest, ExchangeBothWaysThroughTheControls)
{
    GTestScriptedUi ui;
    SettingsDlg dlg;
    ui.RunDialog(
        [](ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_ADDR), "0x8000");
            EXPECT_EQ(d.text(IDC_COUNT), "4");
            d.set(IDC_NAME, "boot");
            d.set(IDC_ADDR, "0x100");
            d.set(IDC_COUNT, " 12 ");
            d.click(IDC_CHECK);
            d.click(IDC_R1);
            d.select(IDC_COMBO, 1);
            d.click(IDOK);
        },
        "Settings");
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.name, "boot");
    EXPECT_EQ(dlg.address, 0x100u);
    EXPECT_EQ(dlg.count, 12);
    EXPECT_EQ(dlg.check, 1);
    EXPECT_EQ(dlg.radio, 1);
    EXPECT_EQ(dlg.mode, 1);
    EXPECT_GE(dlg.changes, 2);  // the initial exchange and the typing
}

struct Hostile {
    int control;
    std::string text;
    std::string message;
};

class HostileTextTest : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileTextTest, FailureReportsFocusesTheControlAndKeepsTheDialogOpen)
{
    const Hostile& h = GetParam();
    GTestScriptedUi ui;
    SettingsDlg dlg;
    ui.RunDialog([&](ScriptedDialog& d) {
        d.set(h.control, h.text);
        d.click(IDOK);
        EXPECT_FALSE(d.dialog.IsEnded());
        auto& items = static_cast<MemoryDlgItems&>(d.items);
        EXPECT_EQ(items.GetFocus(), h.control);
        EXPECT_EQ(items.SelectedAll(), h.control);
        d.click(IDCANCEL);
    });
    ui.AnswerMessageBox(IDOK, h.message);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    if (h.message.find("between") == std::string::npos) {
        // A text that does not parse never reaches the member.
        EXPECT_EQ(dlg.address, 0x8000u);
        EXPECT_EQ(dlg.count, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, HostileTextTest,
                         ::testing::Values(Hostile{IDC_COUNT, "99999999999999999999", "integer"},
                                           Hostile{IDC_COUNT, "", "integer"}, Hostile{IDC_COUNT, "12abc", "integer"},
                                           Hostile{IDC_COUNT, "0", "between 1 and 100"},
                                           Hostile{IDC_ADDR, "0x", "hexadecimal"}, Hostile{IDC_ADDR, "", "hexadecimal"},
                                           Hostile{IDC_ADDR, "0x123456789", "hexadecimal"},
                                           Hostile{IDC_ADDR, "-1", "hexadecimal"},
                                           Hostile{IDC_NAME, std::string(10000, 'x'), "no more than 32"}));

TEST(DialogTest, ADialogLeftOpenByItsScriptIsAFailure)
{
    ScriptedUi ui;
    ModalUiScope scope(ui);
    SettingsDlg dlg;
    ui.RunDialog([](ScriptedDialog&) {});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_NE(ui.Failures()[0].find("still open"), std::string::npos);
}

class Page : public CPropertyPage {
public:
    Page(const char* caption, std::vector<std::string>& log) : CPropertyPage(MakeTemplate(), caption), log(log) {}
    BOOL OnInitDialog() override
    {
        log.push_back(Caption() + " made");
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnKillActive() override
    {
        log.push_back(Caption() + " kill");
        return CPropertyPage::OnKillActive();
    }
    BOOL OnApply() override
    {
        log.push_back(Caption() + " apply");
        return TRUE;
    }
    void OnReset() override { log.push_back(Caption() + " reset"); }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_COUNT, count); }
    std::vector<std::string>& log;
    int count = 1;
};

TEST(DialogTest, SheetMakesPagesOnFirstShowAndAppliesEveryMadePage)
{
    std::vector<std::string> log;
    Page a("A", log), b("B", log), c("C", log);
    CPropertySheet sheet("Options");
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    GTestScriptedUi ui;
    ui.RunSheet([](ScriptedSheet& s) {
        EXPECT_TRUE(s.page(1));
        s.active().set(IDC_COUNT, "x");  // B refuses to let go
        EXPECT_FALSE(s.ok());
        s.active().set(IDC_COUNT, "7");
        EXPECT_TRUE(s.ok());
    });
    ui.AnswerMessageBox(IDOK, "integer");
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(b.count, 7);
    EXPECT_EQ(log, (std::vector<std::string>{"A made", "A kill", "B made", "B kill", "B kill", "A apply", "B apply"}));
}

TEST(DialogTest, MemoryItemsFollowWin32Notifications)
{
    MemoryDlgItems items(*MakeTemplate());
    std::vector<std::pair<int, UINT>> seen;
    items.SetNotify([&](int id, UINT code) { seen.emplace_back(id, code); });
    items.SetText(IDC_NAME, "a");  // programmatic: EN_CHANGE
    items.SetCheck(IDC_CHECK, 1);  // programmatic: no click
    items.AddString(IDC_COMBO, "x");
    items.SetCurSel(IDC_COMBO, 0);  // programmatic: no selection
    items.UserClick(IDC_R1);
    items.UserClick(IDC_R0);
    EXPECT_EQ(items.GetCheck(IDC_R1), 0);  // one radio of the group
    items.Enable(IDC_CHECK, false);
    items.UserClick(IDC_CHECK);  // disabled: nothing
    EXPECT_EQ(seen,
              (std::vector<std::pair<int, UINT>>{{IDC_NAME, EN_CHANGE}, {IDC_R1, BN_CLICKED}, {IDC_R0, BN_CLICKED}}));
}

}  // namespace
