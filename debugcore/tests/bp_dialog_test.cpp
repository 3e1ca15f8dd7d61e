// The breakpoint dialog driven by control id through the scripted modal
// service, against the recording target fakes and the real symbol and
// address libraries.
#include <platform/modules.h>
#include <platform/scripted_ui_gtest.h>
#include <quinar/quinar.h>
#include <unistd.h>

#include <fstream>

#include "bp_dialog.h"
#include "emu_messages.h"
#include "sarvik/bp_windows.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using platform::GTestScriptedUi;
using platform::ScriptedDialog;
using ::testing::ElementsAre;
using namespace sarvik::ui;

constexpr uint32_t kTaskB = 0x00021100;  // the stand-in kernel view's second task

class BpDialogTest : public SarvikTest {
protected:
    void TearDown() override
    {
        SymClearSymbolTables(0);
        SarvikTest::TearDown();
    }
    // Runs the dialog with the script; the modal result.
    int Run(std::function<void(ScriptedDialog&)> script, ADDR addr = {0, 0})
    {
        GTestScriptedUi ui;
        ui.RunDialog(std::move(script), "Breakpoint");
        return BptOpenWindow(nullptr, addr);
    }
    static std::vector<std::string> Lines(ScriptedDialog& d)
    {
        std::vector<std::string> out;
        for (int i = 0; i < d.items.GetCount(IDC_BP_LIST); ++i)
            out.push_back(d.items.GetItemText(IDC_BP_LIST, i));
        return out;
    }
    static void Add(ScriptedDialog& d, const std::string& location, const std::string& count = "1")
    {
        d.set(IDC_BP_LOCATION, location);
        d.set(IDC_BP_COUNT, count);
        d.click(IDC_BP_ADD);
    }
    // "func" at 0x8100 with lines 20 (0x8100) and 21 (0x8108) of "app.c".
    static void DeclareFunc()
    {
        const ImageStamp stamp{};
        SymModuleDesc desc{2, 0x8000, 0x8FFF};
        uint32_t module = 0;
        ASSERT_EQ(SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
        SymModuleDesc func{2, 0x8100, 0x81FF};
        ASSERT_EQ(SymAddPublicSymbol("func", 0, 0, &func, 0), SYM_OK);
        SymEndSymbolBlock();
        ASSERT_EQ(SymBeginLineTable(module), SYM_OK);
        SymAddLineRow(20, 1, 0x8100, 0);
        SymAddLineRow(21, 1, 0x8108, 0);
        SymAddLineRow(22, 1, 0x8200, 0);
        SymEndLineTable();
        SymCloseModule(0);
        SymEndLoad();
    }
};

TEST_F(BpDialogTest, AddThenOkSetsTheLinesInListOrder)
{
    DeclareFunc();
    Set(0x8000);
    EXPECT_EQ(Run([](ScriptedDialog& d) {
                  EXPECT_THAT(Lines(d), ElementsAre(" +  (0x00008000)  <COUNT=1>"));
                  EXPECT_EQ(d.text(IDC_BP_LOCATION), "8000") << "no symbol text: the address as %04X";
                  Add(d, "  #func ", "3");
                  Add(d, "0x8108");
                  // The same address and count replaces, another count adds.
                  Add(d, "#func", "3");
                  Add(d, "0x8108", "2");
                  EXPECT_THAT(Lines(d),
                              ElementsAre(" +  (0x00008000)  <COUNT=1>", " +  (0x00008100 #app.c#20)  <COUNT=3>",
                                          " +  (0x00008108 #app.c#21)  <COUNT=1>",
                                          " +  (0x00008108 #app.c#21)  <COUNT=2>"));
                  auto& dlg = static_cast<CBreakpointDlg&>(d.dialog);
                  EXPECT_EQ(dlg.HorizontalExtent(), static_cast<int>(Lines(d)[1].size()) * 8 + 8);
                  d.click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000, 0x8100, 0x8108, 0x8108}))
        << "two lines at one address with different counts are both set";
    EXPECT_EQ((*BptGetList())[1]->GetCount(), 3u);
    EXPECT_EQ((*BptGetList())[1]->GetSymbol(), "#func");
    EXPECT_EQ((*BptGetList())[3]->GetCount(), 2u);
    EXPECT_EQ(BreakpointUpdates(), 1u);
}

TEST_F(BpDialogTest, EnableDeleteAndCancel)
{
    Set(0x8000);
    Set(0x8010);
    Set(0x8020);
    // Cancel after Delete All changes nothing.
    EXPECT_EQ(Run([](ScriptedDialog& d) {
                  d.click(IDC_BP_DELETE_ALL);
                  EXPECT_EQ(d.items.GetCount(IDC_BP_LIST), 0);
                  EXPECT_FALSE(d.items.IsEnabled(IDC_BP_DELETE_ALL));
                  EXPECT_FALSE(d.items.IsEnabled(IDC_BP_SAVE));
                  d.click(IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000, 0x8010, 0x8020}));
    EXPECT_EQ(BreakpointUpdates(), 0u);

    Run([](ScriptedDialog& d) {
        EXPECT_EQ(d.text(IDC_BP_ENABLE), "Disable") << "the first line is selected and enabled";
        d.select(IDC_BP_LIST, 1);
        d.click(IDC_BP_ENABLE);
        EXPECT_EQ(Lines(d)[1], " -  (0x00008010)  <COUNT=1>");
        EXPECT_EQ(d.text(IDC_BP_ENABLE), "Enable");
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_LIST), 1);
        d.select(IDC_BP_LIST, 2);
        d.click(IDC_BP_DELETE);
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_LIST), 1) << "the line before the deleted one";
        d.select(IDC_BP_LIST, 0);
        d.click(IDC_BP_DELETE);
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_LIST), 0) << "the first line after deleting the first";
        d.click(IDOK);
    });
    ASSERT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8010}));
    EXPECT_FALSE((*BptGetList())[0]->IsEnable());

    Run([](ScriptedDialog& d) {
        d.click(IDC_BP_DELETE_ALL);
        d.click(IDOK);
    });
    EXPECT_TRUE(ListOffsets().empty());
}

TEST_F(BpDialogTest, ConditionsAndThePrefilledLocation)
{
    Run(
        [](ScriptedDialog& d) {
            EXPECT_EQ(d.text(IDC_BP_LOCATION), "0x00008040");
            EXPECT_FALSE(d.items.IsEnabled(IDC_BP_CONDITION));
            d.select(IDC_BP_TYPE, 1);
            EXPECT_TRUE(d.items.IsEnabled(IDC_BP_CONDITION));
            d.set(IDC_BP_CONDITION, "@r0 > 3 && @r1 < 2");
            d.set(IDC_BP_COUNT, "2");
            d.click(IDC_BP_ADD);
            EXPECT_THAT(Lines(d), ElementsAre(" +  (0x00008040)  {@r0 > 3 && @r1 < 2}  <COUNT=2>"));
            d.click(IDOK);
        },
        ADDR{0x8040, ADDR_SPACE_TARGET});
    ASSERT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8040}));
    EXPECT_EQ((*BptGetList())[0]->GetBpCondition(), "@r0 > 3 && @r1 < 2");
    EXPECT_EQ((*BptGetList())[0]->GetBpType(), 1);
    // Selecting the line shows its breakpoint.
    Run([](ScriptedDialog& d) {
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_TYPE), 1);
        EXPECT_EQ(d.text(IDC_BP_CONDITION), "@r0 > 3 && @r1 < 2");
        EXPECT_EQ(d.text(IDC_BP_COUNT), "2");
        d.click(IDCANCEL);
    });
}

TEST_F(BpDialogTest, BadTextsAreRefusedAndKeepTheDialogOpen)
{
    GTestScriptedUi ui;
    const std::string overlong(BP_TEXT_LIMIT + 1, '1');
    ui.RunDialog(
          [&](ScriptedDialog& d) {
              Add(d, "#nosuch");  // no address: nothing added, no message
              Add(d, "0x8000", "0");
              Add(d, "0x8000", "65537");
              Add(d, "0x8000", "3x");
              Add(d, overlong);
              d.set(IDC_BP_LOCATION, "0x8000");
              d.set(IDC_BP_COUNT, "1");
              d.select(IDC_BP_TYPE, 1);
              for (const char* condition : {"a > (1", "a > 1)", "{a}", "a > [1]"}) {
                  d.set(IDC_BP_CONDITION, condition);
                  d.click(IDC_BP_ADD);
              }
              d.set(IDC_BP_CONDITION, overlong);
              d.click(IDC_BP_ADD);
              EXPECT_EQ(d.items.GetCount(IDC_BP_LIST), 0);
              // A bad count also keeps OK from closing the dialog.
              d.set(IDC_BP_CONDITION, "");
              d.set(IDC_BP_COUNT, "0");
              d.click(IDOK);
              EXPECT_FALSE(d.dialog.IsEnded());
              d.set(IDC_BP_COUNT, "65536");
              d.set(IDC_BP_LOCATION, "0x8000");
              d.click(IDC_BP_ADD);
              d.click(IDOK);
          },
          "Breakpoint")
        .AnswerMessageBox(IDOK, "between 1 and 65536")
        .AnswerMessageBox(IDOK, "between 1 and 65536")
        .AnswerMessageBox(IDOK, "integer")
        .AnswerMessageBox(IDOK, "255")
        .AnswerMessageBox(IDOK, "parentheses")
        .AnswerMessageBox(IDOK, "parentheses")
        .AnswerMessageBox(IDOK, "braces")
        .AnswerMessageBox(IDOK, "brackets")
        .AnswerMessageBox(IDOK, "255")
        .AnswerMessageBox(IDOK, "between 1 and 65536");
    EXPECT_EQ(BptOpenWindow(nullptr, {0, 0}), IDOK);
    ASSERT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000}));
    EXPECT_EQ((*BptGetList())[0]->GetCount(), 65536u);
}

TEST_F(BpDialogTest, TaskQualificationComesFromTheKernelView)
{
    platform::SetModuleFolder(ZK_FAKE_CORVANE_DIR);
    ASSERT_NE(EmuInit(window_), 0);
    Run([](ScriptedDialog& d) {
        EXPECT_TRUE(d.items.IsEnabled(IDC_BP_MORE));
        auto& dlg = static_cast<CBreakpointDlg&>(d.dialog);
        EXPECT_TRUE(dlg.Collapsed());
        d.click(IDC_BP_MORE);
        EXPECT_FALSE(dlg.Collapsed());
        EXPECT_EQ(d.text(IDC_BP_MORE), "<< Less");
        d.click(IDC_BP_TASK_QUALIFY);
        ASSERT_EQ(d.items.GetCount(IDC_BP_TASKS), 3);
        EXPECT_EQ(d.items.GetItemText(IDC_BP_TASKS, 1), "B");
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_TASKS), 0);
        d.select(IDC_BP_TASKS, 1);
        Add(d, "0x8000");
        EXPECT_EQ(dlg.Entries()[0].task, kTaskB);
        d.click(IDOK);
    });
    ASSERT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000}));
    EXPECT_EQ((*BptGetList())[0]->GetAccessAddr().off, kTaskB);
    // Reopened: the line keeps its qualification (shown and kept by OK).
    Run([](ScriptedDialog& d) {
        EXPECT_EQ(d.items.GetCheck(IDC_BP_TASK_QUALIFY), 1);
        EXPECT_EQ(d.items.GetCurSel(IDC_BP_TASKS), 1);
        d.click(IDOK);
    });
    EXPECT_EQ((*BptGetList())[0]->GetAccessAddr().off, kTaskB);
    EXPECT_EQ((*BptGetList())[0]->GetAccessAddr().seg, ADDR_SPACE_TARGET);
}

TEST_F(BpDialogTest, WithoutAKernelViewNoTaskIsOffered)
{
    Run([](ScriptedDialog& d) {
        EXPECT_FALSE(d.items.IsEnabled(IDC_BP_MORE));
        d.click(IDC_BP_TASK_QUALIFY);
        EXPECT_EQ(d.items.GetCount(IDC_BP_TASKS), 0);
        Add(d, "0x8000");
        d.click(IDOK);
    });
    EXPECT_EQ((*BptGetList())[0]->GetAccessAddr().off, 0xFFFFFFFFu);
}

class BpDialogFileTest : public BpDialogTest {
protected:
    void SetUp() override
    {
        BpDialogTest::SetUp();
        path_ = testing::TempDir() + "/sarvik_dialog_" + std::to_string(getpid()) + ".bpt";
        std::remove(path_.c_str());
    }
    void TearDown() override
    {
        std::remove(path_.c_str());
        BpDialogTest::TearDown();
    }
    std::string ReadFile(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string path_;
};

TEST_F(BpDialogFileTest, SaveThenRestoreGivesTheListBack)
{
    Set(0x8000, 3, "@r0 > 1");
    Set(0x8010);
    ASSERT_EQ(BptEnableBp(&(*BptGetList())[1]->GetBkpt()->address, 0, 0), EMU_OK);
    std::vector<std::string> before;
    {
        GTestScriptedUi ui;
        ui.RunDialog(
              [&](ScriptedDialog& d) {
                  before = Lines(d);
                  d.click(IDC_BP_SAVE);
                  d.click(IDC_BP_DELETE_ALL);
                  d.click(IDC_BP_RESTORE);
                  EXPECT_EQ(Lines(d), before);
                  d.click(IDCANCEL);
              },
              "Breakpoint")
            .AnswerFileDialog({path_}, "Save Breakpoint")
            .AnswerFileDialog({path_}, "Restore Breakpoint");
        BptOpenWindow(nullptr, {0, 0});
        ASSERT_EQ(ui.Requests().size(), 3u);
        const auto save = ui.Requests()[1].fileDialog;
        EXPECT_FALSE(save.open);
        EXPECT_EQ(save.filter, "Bkpt Files(*.bpt)|*.bpt|All Files (*.*)|*.*||");
        EXPECT_EQ(save.fileName, "default.bpt");
        EXPECT_EQ(save.defaultExt, ".bpt");
        EXPECT_TRUE(ui.Requests()[2].fileDialog.open);
    }
    // The file holds exactly what SaveBpFile writes.
    const std::string reference = path_ + ".ref";
    SaveBpFile(reference.c_str());
    EXPECT_EQ(ReadFile(path_), ReadFile(reference));
    std::remove(reference.c_str());
    EXPECT_EQ(before.size(), 2u);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000, 0x8010}));
}

TEST_F(BpDialogFileTest, ShortAndDamagedRestoreFilesChangeNothing)
{
    Set(0x8000);
    Set(0x8010);
    SaveBpFile(path_.c_str());
    const std::string good = ReadFile(path_);
    ASSERT_GT(good.size(), 30u);
    BptDeleteAllObjects();
    Set(0x9000);
    Fake().calls.clear();
    for (const std::string& bytes : {good.substr(0, 14), good.substr(0, good.size() - 3)}) {
        WriteFile(bytes);
        GTestScriptedUi ui;
        ui.RunDialog(
              [&](ScriptedDialog& d) {
                  d.click(IDC_BP_RESTORE);
                  EXPECT_THAT(Lines(d), ElementsAre(" +  (0x00009000)  <COUNT=1>"));
                  d.click(IDCANCEL);
              },
              "Breakpoint")
            .AnswerFileDialog({path_}, "Restore Breakpoint");
        if (bytes.size() > 14)
            ui.AnswerMessageBox(IDOK);  // the damaged body is reported
        BptOpenWindow(nullptr, {0, 0});
    }
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x9000}));
    EXPECT_TRUE(Fake().calls.empty());
}

}  // namespace
}  // namespace sarvik::test
