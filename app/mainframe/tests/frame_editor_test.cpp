// The source editor as a debugging surface in the running frame, driven by
// Qt's own mouse and keyboard events offscreen: examples/hello at -O0 loaded
// through "Load File" into the real simulator, main.c open. Margin clicks
// against readelf's decoded line table, Go and the context menu's Goto
// Cursor against addr2line, and a pointer resting on a variable against the
// value gdb-multiarch prints over qemu: the frame passes every mouse and key
// message to the views' data tips before the view gets it.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <regex>
#include <set>

#include "base_view.h"
#include "decoded_lines.h"
#include "emu_messages.h"
#include "find_dialog.h"
#include "frame_sim_fixture.h"
#include "platform/qt/hosts.h"
#include "platform/scripted_ui_gtest.h"
#include "qedit_view.h"
#include "qemu_reference.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "text_paint_record.h"
#include "vexlor/vexlor.h"

namespace mainframe {
namespace {

using test::FrameSimTest;

class FrameEditorTest : public FrameSimTest {
protected:
    void SetUp() override
    {
        FrameSimTest::SetUp();
        elf = std::string(ZK_FRAME_HELLO) + "/arm/hello.elf";
        rows = lookups::test::LowestLineAddresses(elf, "main.c");
        ASSERT_FALSE(rows.empty()) << "arm-none-eabi-readelf is needed";
        ui.AnswerFileDialog({elf});
        frame = Start({"/D"}, true);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000));
        // Qt timers and the key filter, as the program has them.
        layer = std::make_unique<platform::qt::WindowLayer>(app_.get());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "mainframe") {
                w->resize(1400, 900);
                w->show();
            }
        theSettings.DataTip = 1;
        ASSERT_EQ(theSettings.Simulate, 1) << "started in simulation";
        ASSERT_TRUE(OpenSourceAtLine(1, std::string(ZK_HELLO_SOURCE) + "/main.c"));
        frame->MDITile(TRUE);
        QApplication::processEvents();
        view = dynamic_cast<editor::CQEditView*>(frame->MDIGetActive()->GetActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_GE(view->linesPerPage, view->LineCount());
        auto* area = dynamic_cast<QAbstractScrollArea*>(dynamic_cast<platform::qt::HostBase*>(view->GetHost()));
        ASSERT_NE(area, nullptr);
        viewport = area->viewport();
    }
    void TearDown() override
    {
        BptDeleteAllObjects();
        FrameSimTest::TearDown();
        layer.reset();
    }
    QPoint Strip(int line) const { return {6, (line - 1 - view->topLine) * view->lineHeight + 4}; }
    QPoint At(int line, const std::string& word) const
    {
        const int column = static_cast<int>(std::string(view->LineText(line - 1)).find(word));
        return {view->TextPosToX(column + 1, line - 1) + 2, (line - 1 - view->topLine) * view->lineHeight + 4};
    }
    bool HasBreakpoint(int line)
    {
        const ADDR at{rows.at(line), ADDR_SPACE_TARGET};
        return BptFindBp(&at, ADDR{}, nullptr) != 0;
    }
    // The rows of the page with the PC's icon.
    std::set<int> PcIconRows()
    {
        textcore::TextPaint paint;
        view->PaintRows(paint, 0, view->linesPerPage);
        std::set<int> found;
        for (const auto& icon : paint.icons)
            if (icon.icon == 161)
                found.insert(icon.row);
        return found;
    }
    bool WaitForStop(int line)
    {
        return QTest::qWaitFor([&] { return (CpuGetCpuStatus1() & 1) == 0 && frame->GetStopPosition().line == line; },
                               10000);
    }
    DWORD Pc()
    {
        DWORD pc = 0;
        EXPECT_EQ(CpuGetPC(&pc), 0);
        return pc;
    }
    int Addr2Line(uint32_t address)
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", address);
        const auto r = zk::test::RunProcess({"arm-none-eabi-addr2line", "-e", elf, hex});
        EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-addr2line is needed";
        const size_t colon = r.out.rfind(':');
        return colon == std::string::npos ? -1 : std::atoi(r.out.c_str() + colon + 1);
    }
    // The tip's text once the pointer rested on `word` (empty: no tip).
    std::string RestOn(int line, const std::string& word)
    {
        QTest::mouseMove(viewport, At(line, word));
        CPopupTipWnd* tip = view->TipWindow();
        // The timer stops at once over a word that names no variable.
        QTest::qWaitFor([&] { return (tip && tip->IsTipShown()) || !view->tipTimerArmed; }, 10000);
        return tip && tip->IsTipShown() ? tip->GetWindowText() : std::string();
    }
    bool TipShown()
    {
        CPopupTipWnd* tip = view->TipWindow();
        return tip && tip->IsTipShown();
    }

    platform::GTestScriptedUi ui;
    std::unique_ptr<platform::qt::WindowLayer> layer;
    std::string elf;
    std::map<int, uint32_t> rows;
    CMainFrame* frame = nullptr;
    editor::CQEditView* view = nullptr;
    QWidget* viewport = nullptr;
};

TEST_F(FrameEditorTest, MarginClicksGoAndTheContextMenusCommands)
{
    // A click in the icon strip of a line with code sets a breakpoint there;
    // a line without code beeps and sets none.
    ASSERT_TRUE(rows.count(20) && rows.count(23) && !rows.count(14));
    const int beeps = ui.Beeps();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Strip(14));
    EXPECT_EQ(ui.Beeps(), beeps + 1);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Strip(20));
    EXPECT_TRUE(HasBreakpoint(20));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Strip(20));
    EXPECT_FALSE(HasBreakpoint(20));
    // A double click in the strip toggles once (the breakpoint comes back)
    // and runs to the line (Goto Cursor).
    // Through the window, as the platform delivers it (Qt finds the
    // double click from the presses' times).
    QWindow* window = viewport->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseDClick(window, Qt::LeftButton, {}, viewport->mapTo(viewport->window(), Strip(20)));
    EXPECT_TRUE(HasBreakpoint(20));
    ASSERT_TRUE(WaitForStop(20)) << frame->GetStopPosition().line;
    EXPECT_EQ(Pc(), rows.at(20));
    EXPECT_EQ(Addr2Line(Pc()), 20);
    EXPECT_EQ(PcIconRows(), std::set<int>{19});

    // Go from there stops at the breakpoint on the next round of the loop.
    frame->StatusBar().SetPaneText(0, "");
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->StatusBar().GetPaneText(0) == "Halt by breakpoint!"; }, 10000));
    EXPECT_EQ(Pc(), rows.at(20));
    EXPECT_EQ(PcIconRows(), std::set<int>{19});

    // The breakpoint off; Goto Cursor from the context menu of the sum's
    // line stops there.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Strip(20));
    EXPECT_FALSE(HasBreakpoint(20));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, At(23, "printf"));
    // A right click in the strip in simulation: no hardware breakpoint, no
    // menu, no beep.
    const int beepsBefore = ui.Beeps();
    QTest::mouseClick(window, Qt::RightButton, {}, viewport->mapTo(viewport->window(), Strip(23)));
    EXPECT_FALSE(HasBreakpoint(23));
    EXPECT_EQ(ui.Beeps(), beepsBefore);

    // Through the window as the platform delivers it: the press opens the
    // menu, Qt's context-menu event that follows opens no second one.
    ui.AnswerPopup(editor::ID_GOTO_CURSOR_CMD, "Goto Cu&rsor");
    QTest::mouseClick(window, Qt::RightButton, {}, viewport->mapTo(viewport->window(), At(23, "printf")));
    EXPECT_EQ(ui.Unanswered(), 0u);
    ASSERT_TRUE(WaitForStop(23)) << frame->GetStopPosition().line;
    EXPECT_EQ(Addr2Line(Pc()), 23);
    EXPECT_EQ(PcIconRows(), std::set<int>{22});

    // View Address Range of main: nm's start to start + size - 1 in the
    // shared note, gone with the next key.
    const test::Symbol mainSymbol = test::NmSymbol(elf, "main");
    char range[128];
    std::snprintf(range, sizeof range, "Function Name:\n       #main\nAddress Range:\n       0x%08X--0x%08X",
                  mainSymbol.address, mainSymbol.address + mainSymbol.size - 1);
    // (The menu takes the release of a real click: the press alone here.)
    ui.AnswerPopup(editor::ID_VIEW_ADDRESS_RANGE, "&View Address Range");
    const QPoint onMain = viewport->mapTo(viewport->window(), At(10, "main"));
    QTest::mousePress(window, Qt::RightButton, {}, onMain);
    CPopupTipWnd* note = editor::CQEditView::AddressRangeTip();
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsTipShown());
    EXPECT_EQ(note->GetWindowText(), range);
    QTest::keyClick(viewport, Qt::Key_Shift);
    EXPECT_FALSE(note->IsTipShown());
    QTest::mouseRelease(window, Qt::RightButton, {}, onMain);

    // Inspect Source on queue_put: queue.c in front at addr2line's line of
    // the function's first address (nm's).
    const test::Symbol put = test::NmSymbol(elf, "queue_put");
    const int putLine = Addr2Line(put.address);
    ASSERT_GT(putLine, 0);
    ui.AnswerPopup(editor::ID_INSPECT_SOURCE, "&Inspect Source");
    QTest::mouseClick(window, Qt::RightButton, {}, viewport->mapTo(viewport->window(), At(17, "queue_put")));
    EXPECT_EQ(ui.Unanswered(), 0u);
    QApplication::processEvents();
    auto* opened = dynamic_cast<CBaseView*>(frame->MDIGetActive()->GetActiveView());
    ASSERT_NE(opened, nullptr);
    ASSERT_NE(opened->GetDocument(), nullptr);
    EXPECT_EQ(opened->GetDocument()->GetPathName(), std::string(ZK_HELLO_SOURCE) + "/queue.c");
    EXPECT_EQ(opened->topLine, putLine - 1);
}

TEST_F(FrameEditorTest, APointerRestingOnAVariableShowsGdbsValueUntilAKeyOrAClick)
{
    const auto gdb = zk::test::RunGdbOnQemu(elf, {"break main.c:23", "continue", "print total", "print value"});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(gdb.out, m, std::regex(R"(\$1 = (-?\d+)[\s\S]*\$2 = (-?\d+))")))
        << "gdb-multiarch and qemu-system-arm are needed\n"
        << gdb.out << gdb.err;
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Strip(23));
    ASSERT_TRUE(HasBreakpoint(23));
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(WaitForStop(23)) << frame->GetStopPosition().line;

    QWidget* focus = QApplication::focusWidget();
    EXPECT_NE(focus, nullptr);
    EXPECT_EQ(RestOn(23, "total"), "total=" + m[1].str());
    // Shown without activation: the keyboard stays with the editor.
    EXPECT_EQ(QApplication::focusWidget(), focus);
    // A key hides it.
    QTest::keyClick(viewport, Qt::Key_Shift);
    EXPECT_FALSE(TipShown());
    // Another variable: its own value, gone with a click.
    EXPECT_EQ(RestOn(20, "value"), "value=" + m[2].str());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, At(20, "value"));
    EXPECT_FALSE(TipShown());
    // The pointer going over to another part of the frame takes the tip.
    EXPECT_EQ(RestOn(23, "total"), "total=" + m[1].str());
    QWidget* top = viewport->window();
    QTest::mouseMove(top->windowHandle(), top->rect().bottomLeft() + QPoint(10, -5));
    EXPECT_FALSE(TipShown());
    // A word that names no variable: no tip.
    EXPECT_EQ(RestOn(15, "Hello"), "");
}

// Ctrl+F and Ctrl+H in the source window open the find and the replace
// dialog on screen (as the program has them once its libraries are loaded),
// and the dialog searches the source.
TEST_F(FrameEditorTest, FindAndReplaceShowTheirDialogsWhichSearchTheSource)
{
    auto shownDialog = [](const char* name) -> QWidget* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return w;
        return nullptr;
    };
    // The caret on "total" of its declaration: the dialog starts with it.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, At(13, "total"));
    QTest::keyClick(viewport, Qt::Key_F, Qt::ControlModifier);
    QWidget* find = shownDialog("find_dialog");
    ASSERT_NE(find, nullptr) << "Ctrl+F showed no find dialog";
    auto* what = find->findChild<QLineEdit*>("ctl_1152");
    auto* next = find->findChild<QPushButton*>("ctl_1");
    ASSERT_TRUE(what && next);
    EXPECT_EQ(what->text(), "total");
    QTest::mouseClick(next, Qt::LeftButton);
    const int column = static_cast<int>(std::string(view->LineText(19)).find("total"));
    EXPECT_EQ(view->selStart, (textcore::TextPos{19, column}));
    EXPECT_EQ(view->selEnd, (textcore::TextPos{19, column + 5}));

    // Ctrl+H: the replace dialog takes the find dialog's place.
    QTest::keyClick(viewport, Qt::Key_H, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(shownDialog("find_dialog"), nullptr);
    QWidget* replace = shownDialog("replace_dialog");
    ASSERT_NE(replace, nullptr) << "Ctrl+H showed no replace dialog";
    EXPECT_NE(replace->findChild<QLineEdit*>("ctl_1153"), nullptr);
    auto* cancel = replace->findChild<QPushButton*>("ctl_2");
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(OpenedFindDialog(), nullptr);
}

}  // namespace
}  // namespace mainframe
