// The main frame offscreen on the real simulator library: start-up connects
// as the settings say, a refused connection is offered again by the next
// "&Load", and a program built by arm-none-eabi-gcc is run and halted by
// command id with the stop shown in the status bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <strings.h>

#include <fstream>
#include <sstream>

#include "base_view_widget.h"
#include "emu_messages.h"
#include "frame_sim_fixture.h"
#include "host_tools.h"
#include "mainframe/qt/frame_window.h"
#include "platform/modules.h"
#include "platform/scripted_ui_gtest.h"
#include "qedit_view.h"
#include "regmem/cpu_view.h"
#include "regmem/memory_window.h"
#include "regmem/qt/cpu_view_widget.h"
#include "regmem/register_wnd.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"
#include "vexlor/vexlor.h"

namespace mainframe {
namespace {

using shell::test::kConfigKey;

using test::FrameSimTest;
using test::NmSymbol;
using test::ReadelfEntry;
using test::Symbol;

TEST_F(FrameSimTest, StartUpConnectsTheSimulatorWhenTheProtocolSaysSo)
{
    Reg().SetString(kConfigKey, "Protocol", "Simulator");
    platform::GTestScriptedUi ui;
    CMainFrame* frame = Start({});
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->m_bConnected);
    EXPECT_NE(frame->GetTitle().find(" -- Simulation"), std::string::npos) << frame->GetTitle();
    // The simulator library answers through the CPU model.
    char name[64] = {};
    EXPECT_EQ(ProcReturnProcessorName(name), 0);
    EXPECT_NE(std::string(name), "");
    DWORD pc = 1;
    EXPECT_EQ(CpuGetPC(&pc), 0);
    EXPECT_TRUE(frame->DebugToolBar().IsVisible());
}

// Help > About while connected: the about box names the simulator's
// processor.
TEST_F(FrameSimTest, HelpAboutShowsTheConnectedProcessor)
{
    Reg().SetString(kConfigKey, "Protocol", "Simulator");
    platform::GTestScriptedUi ui;
    CMainFrame* frame = Start({});
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->m_bConnected);
    char name[65] = {};
    ASSERT_EQ(ProcReturnProcessorName(name), 0);
    EXPECT_TRUE(frame->QueryCommandState(ID_APP_ABOUT).enabled);
    ui.RunDialog([&](platform::ScriptedDialog& d) {
        EXPECT_EQ(d.text(shell::IDC_ABOUT_PROCESSOR), name);
        EXPECT_EQ(d.text(shell::IDC_ABOUT_FOURTH), "no");
        d.click(IDOK);
    });
    frame->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(ui.Unanswered(), 0u);
}

TEST_F(FrameSimTest, NoHardwareIsReportedAndTheNextLoadTriesAgain)
{
    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "Cann't connect with hardware!");
    ui.AnswerMessageBox(IDOK, "Cann't connect with hardware!");
    CMainFrame* frame = Start({});
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->m_bConnected);
    EXPECT_EQ(ui.Unanswered(), 1u);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(ui.Unanswered(), 0u);
    EXPECT_FALSE(frame->m_bConnected);
    EXPECT_FALSE(frame->DebugToolBar().IsVisible());
}

TEST_F(FrameSimTest, HaltInABusyLoopShowsTheAbortSwitchAndTheRunState)
{
    for (const char* name : {"frame_busy_arm", "frame_busy_thumb"}) {
        SCOPED_TRACE(name);
        const std::string elf = std::string(ZK_FIXTURE_DIR) + "/" + name + ".elf";
        platform::GTestScriptedUi ui;
        CMainFrame* frame = Start({"/D"});
        ASSERT_NE(frame, nullptr);
        QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000);
        ASSERT_TRUE(frame->m_bConnected);
        ASSERT_TRUE(qt::LoadImageAtStart(*frame, elf));
        CSuperStatusBar& bar = frame->StatusBar();

        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
        EXPECT_EQ(bar.GetPaneText(2), "Running");
        EXPECT_FALSE(frame->QueryCommandState(shell::ID_DEBUG_GO).enabled) << "Go waits for the stop";
        QTest::qWait(50);
        frame->SendMessage(WM_TIMER, kFrameTimerId);
        EXPECT_EQ(bar.GetPaneText(2), "Running");

        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_HALT);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.GetPaneText(0) == "Halt by Pressing Abort Switch!"; }, 30000))
            << bar.GetPaneText(0);
        frame->SendMessage(WM_TIMER, kFrameTimerId);
        EXPECT_EQ(bar.GetPaneText(2), "Halt");

        // The stop is in the loop of main, as nm places it.
        EXPECT_EQ(frame->SendMessage(WM_EMU_REFRESH), 1);
        const Symbol main = NmSymbol(elf, "main");
        EXPECT_GE(Globals().keptPc, main.address & ~1u);
        EXPECT_LT(Globals().keptPc, (main.address & ~1u) + main.size);
        frame->OnIdleUpdateCmdUI();
        EXPECT_EQ(bar.GetPaneText(bar.CommandToIndex(shell::ID_INDICATOR_PC)), shell::PcPaneText(Globals().keptPc));

        frame->SendMessage(WM_CLOSE);
        EXPECT_TRUE(QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000));
        QApplication::processEvents();
        app_->ExitInstance();
        app_.reset();
    }
}

TEST_F(FrameSimTest, ResetAndRestartByCommandIdShowTheEntryAndMain)
{
    const std::string elf = std::string(ZK_FIXTURE_DIR) + "/frame_busy_thumb.elf";
    platform::GTestScriptedUi ui;
    CMainFrame* frame = StartConnectedWith(elf);
    ASSERT_NE(frame, nullptr);
    const uint32_t main = NmSymbol(elf, "main").address & ~1u;

    const uint32_t entry = ReadelfEntry(elf) & ~1u;

    // Restart with "only the start address" (the default) shows the entry.
    ASSERT_EQ(theSettings.OnlyStartAddr, 1);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_RESTART);
    EXPECT_EQ(Globals().keptPc, entry);

    // Otherwise it goes till main; its stop reaches the frame as a halt.
    theSettings.OnlyStartAddr = 0;
    CSuperStatusBar& bar = frame->StatusBar();
    bar.SetPaneText(0, "");
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_RESTART);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar.GetPaneText(0).empty(); }, 30000));
    EXPECT_EQ(bar.GetPaneText(0), "Halt by breakpoint!");
    EXPECT_EQ(frame->SendMessage(WM_EMU_REFRESH), 1);
    EXPECT_EQ(Globals().keptPc, main);
    theSettings.OnlyStartAddr = 1;

    // Reset asks first; No keeps the PC, Yes puts it at the image's entry
    // and refreshes the frame.
    ui.AnswerMessageBox(IDNO);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_RESET);
    EXPECT_EQ(Globals().keptPc, main);
    ui.AnswerMessageBox(IDYES);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_RESET);
    EXPECT_EQ(Globals().keptPc, entry);
}

TEST_F(FrameSimTest, RegisterAndMemoryCommandsOpenTheirWindowsInTheFrame)
{
    const std::string elf = std::string(ZK_FIXTURE_DIR) + "/frame_busy_thumb.elf";
    platform::GTestScriptedUi ui;
    CMainFrame* frame = StartConnectedWith(elf);
    ASSERT_NE(frame, nullptr);
    DWORD pc = 0;
    ASSERT_EQ(CpuGetPC(&pc), 0);

    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_REGISTER_WINDOW);
    ASSERT_NE(regmem::CRegisterWnd::Current(), nullptr) << "no register window";
    auto* registers = dynamic_cast<regmem::CRegisterWnd*>(frame->MDIGetActive());
    ASSERT_NE(registers, nullptr);
    auto* first = dynamic_cast<regmem::CCpuView*>(registers->Tabs().GetView(0));
    ASSERT_NE(first, nullptr);
    int pcRow = -1;
    for (size_t row = 0; row < first->Rows().size(); ++row)
        if (strcasecmp(first->Rows()[row].name.c_str(), "pc") == 0 ||
            strcasecmp(first->Rows()[row].name.c_str(), "r15") == 0)
            pcRow = static_cast<int>(row);
    ASSERT_GE(pcRow, 0) << "no PC row in the first tab";
    std::string text;
    ASSERT_TRUE(first->ValueText(pcRow, text));
    EXPECT_EQ(std::stoul(text, nullptr, 16), pc) << text;
    // In the program's window the tabs are the register grid's widgets.
    QApplication::processEvents();
    auto* grid = dynamic_cast<regmem::qt::CpuViewWidget*>(first->GetHost());
    ASSERT_NE(grid, nullptr) << "the register tab has the grid's widget";
    EXPECT_TRUE(grid->isVisible());

    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_MEMORY_WINDOW);
    EXPECT_NE(dynamic_cast<regmem::CMemoryWindow*>(frame->MDIGetActive()), nullptr);

    // sarvik's breakpoint list opens in the frame too, and closes with it.
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_BREAKPOINTS);
    ASSERT_NE(frame->MDIGetActive(), nullptr);
    EXPECT_EQ(frame->MDIGetActive()->GetTitle(), "Breakpoints");
}

// A source file named on the command line by its absolute path opens in its
// window (the path's slash is no switch).
TEST_F(FrameSimTest, AnAbsolutePathOnTheCommandLineOpensTheSource)
{
    const std::string path = temp_.path() + "/blink.c";
    ASSERT_EQ(path[0], '/');
    {
        std::ofstream out(path);
        out << "int main(void)\n{\n    return 0;\n}\n";
    }
    platform::GTestScriptedUi ui;
    CMainFrame* frame = Start({"/D", path.c_str()});
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(app_->m_simulate);
    CMDIChildWnd* child = frame->MDIGetActive();
    ASSERT_NE(child, nullptr);
    ASSERT_NE(child->GetActiveView(), nullptr);
    ASSERT_NE(child->GetActiveView()->GetDocument(), nullptr);
    EXPECT_EQ(child->GetActiveView()->GetDocument()->GetPathName(), path);
}

TEST_F(FrameSimTest, SourceFilesOpenInTheTextViewsWidget)
{
    const std::string path = temp_.path() + "/blink.c";
    {
        std::ofstream out(path);
        out << "int main(void)\n{\n    return 0;\n}\n";
    }
    platform::GTestScriptedUi ui;
    CMainFrame* frame = Start({"/D"});
    ASSERT_NE(frame, nullptr);
    CDocument* doc = app_->OpenDocumentFile(path.c_str());
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->Views().size(), 1u);
    auto* view = dynamic_cast<editor::CQEditView*>(doc->Views().front());
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    auto* widget = dynamic_cast<textbase::qt::BaseViewWidget*>(view->GetHost());
    ASSERT_NE(widget, nullptr) << "the editor has the text views' widget";
    EXPECT_EQ(widget->BaseView(), view);
    EXPECT_GT(widget->CellSize().cx, 0);
}

}  // namespace
}  // namespace mainframe
