// The editor on real widgets, offscreen: keys through QTest (typing with
// SmartEdit, Shift+arrows, Ctrl+X/C/V through Qt's clipboard, Ctrl+Z,
// Backspace and Delete across lines, Ctrl+End on a partly read file), a
// double click in the icon strip, an edit in one pane undone in the other,
// drops, and a large file read in the idle turns of the real loop while
// posted messages keep their order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPaintEvent>
#include <QSplitter>
#include <QTest>
#include <QTimer>

#include <functional>

#include <atomic>
#include <thread>

#include "base_view_widget.h"
#include "child_frame.h"
#include "editor_test_files.h"
#include "emu_messages.h"
#include "fake_debug_queries.h"
#include "platform/messages.h"
#include "platform/qt/hosts.h"
#include "platform/scripted_ui_gtest.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "shell/debugger_app.h"
#include "shell/settings.h"
#include "text_view_frame.h"

namespace editor::test {
namespace {

class QtTextFrame : public TextViewFrame {
public:
    bool IsConnected() const override { return connected; }
    TextViewStop GetStopPosition() const override { return {}; }
    bool GetFindText(std::string& text) const override
    {
        text = findText;
        return !text.empty();
    }
    void AddFindText(const std::string& text) override { findText = text; }
    std::string findText;
    bool connected = false;
};

// The source template, last on a view's command route, recording Goto Cursor.
class RecordingTemplate : public CMultiDocTemplate {
public:
    RecordingTemplate(UINT id, const CRuntimeClass* doc, const CRuntimeClass* frame, const CRuntimeClass* view)
        : CMultiDocTemplate(id, doc, frame, view)
    {
        OnCommand(textcore::ID_GOTO_CURSOR, [this] { commands.push_back(textcore::ID_GOTO_CURSOR); });
    }
    std::vector<UINT> commands;
};

// Runs an event loop that waits for events (so the idle turns come) until
// `done` holds or `ms` pass.
void RunLoopUntil(const std::function<bool()>& done, int ms)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class EditorQtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sinksBefore = platform::SinkCount();
        previousFrame = SetTextViewFrame(&textFrame);
        app = std::make_unique<CDebuggerApp>();
        mainFrame = new CMDIFrameWnd;
        ASSERT_TRUE(mainFrame->Create(nullptr, 1));
        app->m_pMainWnd = mainFrame;
        source =
            new RecordingTemplate(1, RUNTIME_CLASS(CQEditDoc), RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CQEditView));
        app->AddDocTemplate(source);
        app->m_sourceTemplate = source;
        layer = std::make_unique<platform::qt::WindowLayer>(app.get());
        theSettings.SmartEdit = 1;
    }
    void TearDown() override
    {
        window.reset();
        app->m_sourceTemplate = nullptr;
        app->CloseAllDocuments(TRUE);
        mainFrame->DestroyWindow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        layer.reset();
        app.reset();
        SetTextViewFrame(previousFrame);
        EXPECT_EQ(platform::SinkCount(), sinksBefore) << "window handles left behind";
    }

    // Opens a file and shows its panes in a splitter of text view widgets.
    CQEditDoc* Open(const std::string& name, const std::string& bytes)
    {
        WriteBytes(folder / name, bytes);
        auto* doc = static_cast<CQEditDoc*>(source->OpenDocumentFile((folder / name).c_str()));
        if (doc)
            Show(doc);
        return doc;
    }
    void Show(CQEditDoc* doc)
    {
        window = std::make_unique<QSplitter>(Qt::Vertical);
        window->resize(640, 480);
        widgets.clear();
        for (CView* view : doc->Views()) {
            auto* widget = new textbase::qt::BaseViewWidget(static_cast<CQEditView*>(view), window.get());
            window->addWidget(widget);
            widgets.push_back(widget);
        }
        window->show();
        for (auto* widget : widgets)
            static_cast<CQEditView*>(widget->Wnd())->OnInitialUpdate();
        QTest::qWait(1);
        widgets.front()->setFocus();
    }
    CQEditView* View(std::size_t i = 0) { return static_cast<CQEditView*>(widgets.at(i)->Wnd()); }
    QWidget* Target(std::size_t i = 0) { return widgets.at(i)->viewport(); }
    static std::string Text(CQEditDoc* doc) { return doc->Lines().Join("\n", false); }

    TempFolder folder;
    QtTextFrame textFrame;
    std::unique_ptr<CDebuggerApp> app;
    CMDIFrameWnd* mainFrame = nullptr;
    RecordingTemplate* source = nullptr;
    std::unique_ptr<platform::qt::WindowLayer> layer;
    std::unique_ptr<QSplitter> window;
    std::vector<textbase::qt::BaseViewWidget*> widgets;
    TextViewFrame* previousFrame = nullptr;
    std::size_t sinksBefore = 0;
};

TEST_F(EditorQtTest, KeysTypeSelectCutCopyPasteUndoAndDeleteAcrossLines)
{
    CQEditDoc* doc = Open("keys.c", "int x;\nint y;\n");
    CQEditView* view = View();
    QWidget* target = widgets.front();

    QTest::keyClicks(target, "f(");  // SmartEdit closes the bracket
    EXPECT_EQ(doc->Lines().Line(0), "f()int x;");
    EXPECT_EQ(view->caretColumn, 2);
    QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);  // the typing is one edit
    EXPECT_EQ(Text(doc), "int x;\nint y;\n");

    // Shift+Down+End selects the first line with its break; Ctrl+X cuts it.
    QTest::keyClick(target, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(view->HasSelection());
    QTest::keyClick(target, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "int x;\n");
    EXPECT_EQ(Text(doc), "int y;\n");
    // Ctrl+End, Ctrl+V: pasted at the end.
    QTest::keyClick(target, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(doc), "int y;\nint x;\n");
    // Shift+Left twice over the break and 'x;' ... Ctrl+C copies.
    QTest::keyClick(target, Qt::Key_Up);
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClick(target, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "x;");

    // Delete at the end of line 1 joins line 2; Backspace at the start of
    // line 1 joins line 0.
    QTest::keyClick(target, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClick(target, Qt::Key_Delete);
    EXPECT_EQ(Text(doc), "int y;int x;\n");
    QTest::keyClick(target, Qt::Key_Down);
    QTest::keyClick(target, Qt::Key_Home);
    QTest::keyClick(target, Qt::Key_Backspace);
    EXPECT_EQ(Text(doc), "int y;int x;");
    EXPECT_EQ(doc->GetTitle(), "keys.c*");
}

// UpdateNow paints what was invalidated since the last paint, as a
// window's update does: not the whole view, and nothing when nothing was.
TEST_F(EditorQtTest, UpdateNowPaintsOnlyWhatWasInvalidated)
{
    Open("paint.c", "int a;\nint b;\nint c;\n");
    textbase::qt::BaseViewWidget* widget = widgets.front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    widget->viewport()->repaint();
    struct PaintRegions : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                regions.push_back(static_cast<QPaintEvent*>(e)->region());
            return false;
        }
        std::vector<QRegion> regions;
    } seen;
    widget->viewport()->installEventFilter(&seen);
    widget->InvalidateRect({0, 16, 50, 32});
    widget->UpdateNow();
    ASSERT_EQ(seen.regions.size(), 1u);
    EXPECT_EQ(seen.regions[0].boundingRect(), QRect(0, 16, 50, 16));
    widget->UpdateNow();
    EXPECT_EQ(seen.regions.size(), 1u) << "nothing was invalidated";
    widget->viewport()->removeEventFilter(&seen);
}

TEST_F(EditorQtTest, AnEditInOnePaneIsUndoneWithCtrlZInTheOther)
{
    CQEditDoc* doc = Open("panes.c", "alpha\nbeta\n");
    auto* frame = static_cast<CChildFrame*>(static_cast<CQEditView*>(doc->Views().front())->GetParentFrame());
    ASSERT_TRUE(frame->m_wndSplitter.SplitRow());
    Show(doc);
    ASSERT_EQ(widgets.size(), 2u);
    widgets[0]->setFocus();
    QTest::keyClicks(widgets[0], "new ");
    EXPECT_EQ(Text(doc), "new alpha\nbeta\n");
    widgets[1]->setFocus();
    QTest::keyClick(widgets[1], Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(doc), "alpha\nbeta\n");
}

TEST_F(EditorQtTest, CtrlEndOnAPartlyReadFileReadsItToTheEnd)
{
    std::string text;
    for (int i = 1; i <= 25000; ++i)
        text += "int v" + std::to_string(i) + ";\n";
    text += "last";
    layer.reset();  // no idle turns: only the key reads
    CQEditDoc* doc = Open("big.c", text);
    ASSERT_FALSE(doc->IsComplete());
    QTest::keyClick(widgets.front(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(doc->IsComplete());
    EXPECT_EQ(View()->caretLine, 25000);
    EXPECT_EQ(doc->Lines().Line(25000), "last");
    layer = std::make_unique<platform::qt::WindowLayer>(app.get());
}

TEST_F(EditorQtTest, ADoubleClickInTheIconStripSendsGotoCursorUpTheRoute)
{
    Open("strip.c", "int a;\nint b;\n");
    QTest::mouseDClick(Target(), Qt::LeftButton, {}, QPoint(5, View()->lineHeight + 3));

    EXPECT_EQ(source->commands, (std::vector<UINT>{textcore::ID_GOTO_CURSOR}));
}

TEST_F(EditorQtTest, ARightClickOnTheTextTracksTheContextMenuAndInTheStripOpensNone)
{
    Open("menu.c", "int x;\nint y;\n");
    theSettings.Simulate = 0;
    platform::GTestScriptedUi ui;
    ui.AnswerPopup(ID_EDIT_SELECT_ALL_TEXT, "&Select All");
    QTest::mouseClick(Target(), Qt::RightButton, {}, QPoint(View()->leftMargin + 12, 4));
    EXPECT_TRUE(View()->HasSelection());
    // The strip: a hardware breakpoint on a line without code beeps, no menu.
    QTest::mouseClick(Target(), Qt::RightButton, {}, QPoint(5, 4));
    EXPECT_EQ(ui.Requests().size(), 1u);
    EXPECT_EQ(ui.Beeps(), 1);
}

TEST_F(EditorQtTest, ADataTipComesWithTheTimerOfTheLoopAndLeavesTheFocusInTheEditor)
{
    Open("tip.c", "int total;\nint f(void) { return total; }\n");
    FakeDebugQueries queries;
    queries.file = "tip.c";
    queries.variables = {"total"};
    queries.values = {{"total", "15"}};
    CQEditView* view = View();
    view->SetDebugQueries(&queries);
    textFrame.connected = true;
    theSettings.DataTip = 1;
    QWidget* editor = widgets.front();
    editor->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), editor);

    // The frame relays the move, the widget delivers it; the pointer rests.
    const QPoint at(view->TextPosToX(6, 0) + 2, view->lineHeight / 2);
    textFrame.RelayDataTipEvent(MSG{view->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x(), at.y()), 0});
    QTest::mouseMove(Target(), at);
    CPopupTipWnd* tip = view->TipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->IsTipShown(); }, 30000));
    EXPECT_EQ(tip->GetWindowText(), "total=15");
    auto* tipWidget = dynamic_cast<QWidget*>(tip->GetHost());
    ASSERT_NE(tipWidget, nullptr);
    EXPECT_TRUE(tipWidget->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), editor);

    textFrame.RelayDataTipEvent(MSG{view->m_hWnd, WM_KEYDOWN, 0x1B, 1, 0});
    EXPECT_FALSE(tipWidget->isVisible());
    theSettings.DataTip = 0;
    textFrame.connected = false;
    view->SetDebugQueries(nullptr);
}

TEST_F(EditorQtTest, AForeignDropWithoutKeysSearchesAndWithCtrlInserts)
{
    CQEditDoc* doc = Open("drop.c", "one two\nthree two\n");
    auto drop = [&](Qt::KeyboardModifiers modifiers, const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPoint at(View()->leftMargin + 1, 2);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, modifiers);
        QApplication::sendEvent(Target(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, modifiers);
        QApplication::sendEvent(Target(), &move);
        QDropEvent dropEvent(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, modifiers);
        QApplication::sendEvent(Target(), &dropEvent);
    };
    drop(Qt::NoModifier, "two");
    EXPECT_EQ(textFrame.findText, "two");
    EXPECT_EQ(View()->selStart, (textcore::TextPos{0, 4}));
    EXPECT_EQ(Text(doc), "one two\nthree two\n");
    drop(Qt::ControlModifier, "zero ");
    EXPECT_EQ(Text(doc), "zero one two\nthree two\n");
}

TEST_F(EditorQtTest, NewlibHeadersLoadInIdleTurnsWhilePostedMessagesArriveInOrder)
{
    const std::string text = NewlibHeaders(10u << 20);
    ASSERT_FALSE(text.empty()) << "newlib's headers (libnewlib-arm-none-eabi) are required";
    const long wcLines = [&] {
        WriteBytes(folder / "newlib.h", text);
        return WcLines(folder / "newlib.h");
    }();

    // A window that records the stops and worker results it receives, with
    // the document's line count at each.
    struct Received {
        UINT msg;
        LPARAM seq;
        std::size_t lines;
    };
    std::vector<Received> received;
    CQEditDoc* doc = nullptr;
    HWND sink = platform::CreateSink([&](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
        received.push_back({msg, lParam, doc ? doc->Lines().LineCount() : 0});
        return 0;
    });
    doc = static_cast<CQEditDoc*>(source->OpenDocumentFile((folder / "newlib.h").c_str()));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Lines().LineCount(), 10001u);

    constexpr int kPosts = 200;
    for (int i = 0; i < kPosts; ++i)
        ::PostMessage(sink, WM_EMU_ERROR, 0, i);
    std::thread worker([&] {
        for (int i = 0; i < kPosts; ++i)
            ::PostMessage(sink, BuildOutputMessage, 0, i);
    });
    worker.join();
    // The outer loop: dispatches, then an idle turn reads 1,001 lines, and
    // so on until the document is complete and every message is in.
    RunLoopUntil([&] { return doc->IsComplete() && received.size() == 2 * kPosts; }, 20000);
    ASSERT_TRUE(doc->IsComplete());
    ASSERT_EQ(received.size(), 2u * kPosts);
    EXPECT_EQ(static_cast<long>(doc->Lines().LineCount()), wcLines + 1);
    // The messages were not held back until the file was read.
    EXPECT_LT(received.front().lines, doc->Lines().LineCount());

    LPARAM nextStop = 0, nextResult = 0;
    for (const Received& r : received) {
        if (r.msg == WM_EMU_ERROR)
            EXPECT_EQ(r.seq, nextStop++);
        else
            EXPECT_EQ(r.seq, nextResult++);
    }
    EXPECT_EQ(nextStop, kPosts);
    EXPECT_EQ(nextResult, kPosts);
    platform::DestroySink(sink);
}

}  // namespace
}  // namespace editor::test
