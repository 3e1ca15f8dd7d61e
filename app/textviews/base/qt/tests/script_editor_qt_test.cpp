// The script editor offscreen under QTest, through the window layer: typing,
// Shift+arrows, Ctrl+X/C/V through the clipboard, Backspace and Delete across
// lines, a drag below the view scrolling on the timer, a double click on a
// word, the find dialog's widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

#include "base_view_widget.h"
#include "find_dialog.h"
#include "platform/win_app.h"
#include "script_edit_view.h"
#include "shell/settings.h"
#include "text_view_host.h"

namespace textbase::qt {
namespace {

class ScriptEditorQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        theSettings.SetDefaultColors();
        theSettings.SmartEdit = 0;
        theSettings.LineNumbe = 0;
        layer = std::make_unique<platform::qt::WindowLayer>(&app);
        InstallFindDialogRunner();
        view = new CScriptEditView;
        ASSERT_TRUE(view->Create(nullptr));
        widget = new BaseViewWidget(view);
        widget->resize(400, 8 * 16 + widget->horizontalScrollBar()->sizeHint().height() + 4);
        view->OnInitialUpdate();
        widget->show();
        QApplication::setActiveWindow(widget);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        widget->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        CloseFindDialog();
        view->DestroyWindow();
        delete widget;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        SetFindDialogRunner({});
        layer.reset();
    }
    // The point of a text position (the view not scrolled sideways).
    QPoint At(int line, int column) const
    {
        const QSize cell = widget->TextPainter().Cell();
        return {view->leftMargin + column * cell.width() + 1,
                (line - view->topLine) * cell.height() + cell.height() / 2};
    }
    std::string Selected() const
    {
        std::string text;
        view->CopySelectionToGlobal(text);
        return text;
    }

    CWinApp app;
    std::unique_ptr<platform::qt::WindowLayer> layer;
    CScriptEditView* view = nullptr;
    BaseViewWidget* widget = nullptr;
};

TEST_F(ScriptEditorQt, TypingSelectingAndTheClipboard)
{
    QTest::keyClicks(widget, "Dim total");
    // The caret: two pixels wide, one line high, after the last character.
    widget->viewport()->repaint();
    const QImage image = widget->viewport()->grab().toImage();
    const QPoint caret = At(0, 9);
    const int lh = widget->TextPainter().Cell().height();
    for (int y : {1, lh / 2, lh - 2}) {
        EXPECT_EQ(image.pixel(caret.x() - 1, y) & 0xFFFFFF, 0u) << y;
        EXPECT_EQ(image.pixel(caret.x(), y) & 0xFFFFFF, 0u) << y;
        EXPECT_EQ(image.pixel(caret.x() + 2, y) & 0xFFFFFF, 0xFFFFFFu) << y;
    }
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClick(widget, Qt::Key_Tab);
    QTest::keyClicks(widget, "total = 1");
    EXPECT_EQ(view->GetLines(), (std::vector<std::string>{"Dim total", "\ttotal = 1"}));
    EXPECT_TRUE(widget->hasFocus());

    // Shift+Left five times from the end of the line.
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(widget, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "l = 1");
    QTest::keyClick(widget, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "l = 1");
    QTest::keyClick(widget, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(view->LineText(1), "\ttota");
    QTest::keyClick(widget, Qt::Key_Home);
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view->LineText(1), "l = 1tota");

    // Backspace at the start of a line joins it to the one above; Delete at
    // the end of a line joins the next one.
    QTest::keyClick(widget, Qt::Key_Home);
    QTest::keyClick(widget, Qt::Key_Backspace);
    EXPECT_EQ(view->GetLines(), std::vector<std::string>{"Dim totall = 1tota"});
    QTest::keyClick(widget, Qt::Key_End);
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClicks(widget, "x");
    QTest::keyClick(widget, Qt::Key_Up);
    QTest::keyClick(widget, Qt::Key_End);
    QTest::keyClick(widget, Qt::Key_Delete);
    EXPECT_EQ(view->GetLines(), std::vector<std::string>{"Dim totall = 1totax"});
}

TEST_F(ScriptEditorQt, DoubleClickSelectsTheWord)
{
    view->SetLines({"    count_2(limit)"});
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, At(0, 6));
    EXPECT_EQ(Selected(), "count_2");
}

TEST_F(ScriptEditorQt, DragBelowTheViewKeepsScrolling)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back("line " + std::to_string(i));
    view->SetLines(lines);
    QTest::mousePress(widget->viewport(), Qt::LeftButton, Qt::NoModifier, At(1, 2));
    const QPoint below(At(1, 2).x(), widget->viewport()->height() + 30);
    // The clock runs from before the move that starts the timer.
    QElapsedTimer clock;
    clock.start();
    QTest::mouseMove(widget->viewport(), below);
    const int top = view->topLine;
    // Each tick of the timer scrolls a line: several ticks come, however
    // late a loaded machine delivers them.
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->topLine - top >= 3; }, 20000)) << view->topLine - top;
    QTest::qWait(200);
    const int scrolled = view->topLine - top;
    // A timer never fires before its period (a coarse one at most 5% early):
    // no more lines than ticks could have come.
    EXPECT_LE(scrolled, clock.elapsed() * 100 / (95 * textcore::kAutoScrollMs) + 1) << clock.elapsed() << " ms";
    QTest::mouseRelease(widget->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    const int stopped = view->topLine;
    QTest::qWait(200);
    EXPECT_EQ(view->topLine, stopped);
    EXPECT_EQ(view->selStart, (textcore::TextPos{1, 2}));
    EXPECT_GT(view->selEnd.line, 8);
}

TEST_F(ScriptEditorQt, ReplaceDialogWidgetReplacesInTheView)
{
    view->SetLines({"a = a + 1", "b = a"});
    view->SendMessage(WM_COMMAND, ID_EDIT_REPLACE);
    auto* dialog = qApp->findChild<QWidget*>("replace_dialog");
    if (!dialog)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "replace_dialog")
                dialog = w;
    ASSERT_NE(dialog, nullptr);
    auto* find = dialog->findChild<QLineEdit*>("ctl_1152");
    auto* with = dialog->findChild<QLineEdit*>("ctl_1153");
    auto* all = dialog->findChild<QPushButton*>("ctl_1025");
    ASSERT_TRUE(find && with && all);
    find->setText("a");
    with->setText("n");
    view->SetCaret(0, 0);
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_EQ(view->GetLines(), (std::vector<std::string>{"n = n + 1", "b = n"}));
    auto* cancel = dialog->findChild<QPushButton*>("ctl_2");
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(OpenedFindDialog(), nullptr);
}

}  // namespace
}  // namespace textbase::qt
