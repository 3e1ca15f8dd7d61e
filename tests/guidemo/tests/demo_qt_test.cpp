// The demo on Qt, offscreen: keys through the filter to accelerators, popups
// running the update pass, MDI order, splitter views, cell pixels, printing
// to PDF and Qt timers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "demo_screens.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/qt/qt_modal_ui.h"
#include "platform/scripted_ui_gtest.h"

namespace guidemo {
namespace {

using namespace platform::qt;

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    pclose(p);
    return out;
}

class DemoQtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sinks = SinkCount();
        ASSERT_TRUE(app.InitInstance());
        frame = static_cast<CDemoMainFrame*>(app.m_pMainWnd);
        layer = std::make_unique<WindowLayer>(&app);
        window = new MainFrameWidget(frame);
        window->resize(800, 600);
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override
    {
        app.CloseAllDocuments(TRUE);
        if (app.m_pMainWnd)
            app.m_pMainWnd->DestroyWindow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        layer.reset();
        EXPECT_EQ(SinkCount(), sinks) << "window handles left behind";
    }
    CSourceView* OpenHello()
    {
        CDocument* doc = app.OpenDocumentFile(HelloSource().c_str());
        EXPECT_NE(doc, nullptr);
        QApplication::processEvents();
        return doc ? static_cast<CSourceView*>(doc->Views().front()) : nullptr;
    }
    ViewWidget* WidgetOf(CView* view) { return dynamic_cast<ViewWidget*>(view->GetHost()); }

    CDemoApp app;
    CDemoMainFrame* frame = nullptr;
    std::unique_ptr<WindowLayer> layer;
    QPointer<MainFrameWidget> window;
    size_t sinks = 0;
};

TEST_F(DemoQtTest, KeysReachTheAcceleratorsThroughTheFilter)
{
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    ASSERT_NE(w, nullptr);
    w->setFocus();
    QTest::keyClick(w, Qt::Key_F5);
    QTest::keyClick(w, Qt::Key_B, Qt::ControlModifier);  // disabled while running
    QTest::keyClick(w, Qt::Key_F5);
    QTest::keyClick(w, Qt::Key_B, Qt::ControlModifier);
    GTestScriptedUi ui;
    ui.RunDialog([](ScriptedDialog& d) { d.click(IDCANCEL); }, "Options");
    QTest::keyClick(w, Qt::Key_O, Qt::AltModifier);  // the table beats the "&Option" mnemonic
    EXPECT_EQ(frame->log, (std::vector<std::string>{"run", "stop", "build", "options"}));
    EXPECT_EQ(window->menuBar()->activeAction(), nullptr);
    // Keys that are not in the tables reach the view.
    QTest::keyClick(w, Qt::Key_Down);
    EXPECT_EQ(view->CaretLine(), 1);
}

TEST_F(DemoQtTest, PopupsRunTheUpdatePassBeforeTheyShow)
{
    OpenHello();
    QMenu* debug = nullptr;
    for (QAction* a : window->menuBar()->actions())
        if (a->text() == "&Debug")
            debug = a->menu();
    ASSERT_NE(debug, nullptr);
    frame->SendMessage(WM_COMMAND, ID_DEMO_RUN, 0);
    emit debug->aboutToShow();
    auto* run = debug->findChild<QAction*>(QString("cmd_%1").arg(ID_DEMO_RUN));
    auto* build = debug->findChild<QAction*>(QString("cmd_%1").arg(ID_DEMO_BUILD));
    ASSERT_TRUE(run && build);
    EXPECT_EQ(run->text(), "&Stop\tF5");
    EXPECT_FALSE(build->isEnabled());
    build->trigger();  // a stale enabled state would not run it either
    run->trigger();
    EXPECT_EQ(frame->log, (std::vector<std::string>{"run", "stop"}));
}

TEST_F(DemoQtTest, MdiOrderFollowsActivationAndMdiNext)
{
    CSourceView* a = OpenHello();
    std::string copy = ::testing::TempDir() + "copy-" + std::to_string(getpid()) + ".c";
    std::ifstream(HelloSource()) >> std::noskipws;
    {
        std::ifstream in(HelloSource());
        std::ofstream(copy) << in.rdbuf();
    }
    CDocument* second = app.OpenDocumentFile(copy.c_str());
    ASSERT_NE(second, nullptr);
    QApplication::processEvents();
    QMdiArea* mdi = window->MdiArea();
    ASSERT_EQ(mdi->subWindowList().size(), 2);
    auto childOf = [](CView* v) { return static_cast<CMDIChildWnd*>(v->GetParentFrame()); };
    CMDIChildWnd* secondChild = childOf(second->Views().front());
    EXPECT_EQ(frame->MDIGetActive(), secondChild);
    EXPECT_EQ(mdi->currentSubWindow()->widget(), dynamic_cast<QWidget*>(secondChild->GetHost()));
    frame->SendMessage(WM_MDINEXT);
    EXPECT_EQ(frame->MDIGetActive(), childOf(a));
    EXPECT_EQ(mdi->currentSubWindow()->widget(), dynamic_cast<QWidget*>(childOf(a)->GetHost()));
    // Activating by the widget reaches the logic.
    mdi->setActiveSubWindow(mdi->subWindowList().at(1));
    EXPECT_EQ(frame->MDIGetActive(), secondChild);
    std::remove(copy.c_str());
}

// A document opened into a shown main window gets a child window of a
// working size, not one sized to its contents before its views existed,
// and where it can be seen: inside the client area, cascading.
TEST_F(DemoQtTest, NewChildWindowsTakeThreeQuartersOfTheClientAreaAndCascade)
{
    CSourceView* view = OpenHello();
    ASSERT_NE(view, nullptr);
    QMdiArea* mdi = window->MdiArea();
    ASSERT_EQ(mdi->subWindowList().size(), 1);
    const QSize area = mdi->viewport()->size();
    const QMdiSubWindow* sub = mdi->subWindowList().front();
    EXPECT_EQ(sub->size(), area * 3 / 4);
    EXPECT_GT(WidgetOf(view)->height(), area.height() / 2);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));

    // Further ones cascade inside the client area, back to the corner when
    // the next step would leave it.
    QPoint last = sub->pos();
    bool wrapped = false;
    std::vector<std::string> copies;
    for (int i = 0; i < 12 && !wrapped; ++i) {
        copies.push_back(::testing::TempDir() + "cascade" + std::to_string(i) + ".c");
        {
            std::ifstream in(HelloSource());
            std::ofstream(copies.back()) << in.rdbuf();
        }
        ASSERT_NE(app.OpenDocumentFile(copies.back().c_str()), nullptr);
        QApplication::processEvents();
        ASSERT_EQ(mdi->subWindowList().size(), i + 2);
        const QMdiSubWindow* next = mdi->subWindowList().back();
        EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(next->geometry())) << i;
        wrapped = next->pos() == QPoint(0, 0);
        if (!wrapped) {
            EXPECT_GT(next->pos().x(), last.x()) << i;
            EXPECT_GT(next->pos().y(), last.y()) << i;
        }
        last = next->pos();
    }
    EXPECT_TRUE(wrapped);
    for (const std::string& copy : copies)
        std::remove(copy.c_str());
}

// The close buttons of a child window and of the main window go through the
// frames' closing: a changed document asks to be saved, and a refusal keeps
// the window.
TEST_F(DemoQtTest, CloseButtonsAskToSaveAChangedDocumentAndMayBeRefused)
{
    CSourceView* view = OpenHello();
    ASSERT_NE(view, nullptr);
    CDocument* doc = view->GetDocument();
    doc->SetModifiedFlag(TRUE);
    QMdiArea* mdi = window->MdiArea();
    ASSERT_EQ(mdi->subWindowList().size(), 1);
    QPointer<QMdiSubWindow> sub = mdi->subWindowList().front();

    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDCANCEL, "Save changes");
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app.m_pMainWnd, frame);
    ui.AnswerMessageBox(IDCANCEL, "Save changes");
    EXPECT_FALSE(sub->close());
    QApplication::processEvents();
    ASSERT_FALSE(sub.isNull());
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(view->GetDocument(), doc);

    ui.AnswerMessageBox(IDNO, "Save changes");
    sub->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(sub.isNull()) << "the sub-window goes with its frame";
    EXPECT_TRUE(mdi->subWindowList().isEmpty());
    EXPECT_EQ(frame->MDIGetActive(), nullptr);
    EXPECT_EQ(ui.MessageTexts().size(), 3u);
}

TEST_F(DemoQtTest, SplitterShowsTwoViewsOfOneDocument)
{
    CSourceView* view = OpenHello();
    auto* child = static_cast<CSourceChild*>(view->GetParentFrame());
    ASSERT_TRUE(child->splitter.SplitRow());
    QApplication::processEvents();
    auto views = dynamic_cast<QWidget*>(child->GetHost())->findChildren<ViewWidget*>();
    ASSERT_EQ(views.size(), 2);
    EXPECT_EQ(views[0]->View()->GetDocument(), views[1]->View()->GetDocument());
    EXPECT_NE(views[0]->View(), views[1]->View());
}

TEST_F(DemoQtTest, CellPixelsShowColourPairsAndTheXorSelection)
{
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    ASSERT_NE(w, nullptr);
    w->resize(500, 300);
    QApplication::processEvents();
    SetKeyDown(VK_SHIFT, true);
    view->SendMessage(WM_KEYDOWN, VK_DOWN);  // line 1 selected
    SetKeyDown(VK_SHIFT, false);
    QApplication::processEvents();
    QImage image = w->viewport()->grab().toImage();
    QSize cell = w->Painter().Cell();
    EXPECT_EQ(cell, QSize(8, 16));
    CellPaint paint;
    view->GetCellPaint(0, 10, paint);
    // The colours found in a cell: exactly its {fg, bg} pair (the glyph may
    // leave a blank cell with bg only).
    auto colours = [&](int row, int col) {
        QSet<QRgb> set;
        QRect r(paint.margin + col * cell.width(), row * cell.height(), cell.width(), cell.height());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                set.insert(image.pixel(x, y) & 0xFFFFFF);
        return set;
    };
    auto rgb = [](COLORREF c) { return static_cast<QRgb>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); };
    struct Probe {
        int row, col;
    };
    for (Probe p : {Probe{0, 0}, Probe{0, 3}, Probe{7, 1}, Probe{7, 15}, Probe{9, 2}, Probe{2, 1}}) {
        CellColors want = paint.CellAt(paint.rows[p.row], p.col);
        QSet<QRgb> got = colours(p.row, p.col);
        EXPECT_TRUE(got.contains(rgb(want.bg))) << p.row << "," << p.col;
        for (QRgb c : got)
            EXPECT_TRUE(c == rgb(want.bg) || c == rgb(want.fg)) << p.row << "," << p.col << " " << std::hex << c;
    }
    // The selected row shows the XOR pair.
    EXPECT_TRUE(colours(0, 0).contains(rgb(RGB(255, 255, 255) ^ 0xFFFFFF)));
}

TEST_F(DemoQtTest, ScrollBarActionsBecomeScrollCodes)
{
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    w->resize(400, 160);
    QApplication::processEvents();
    w->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_GT(view->TopLine(), 0);
    EXPECT_EQ(w->verticalScrollBar()->value(), view->TopLine());
    w->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view->TopLine(), 0);
}

TEST_F(DemoQtTest, PrintedPdfHasTheLogicsPagesAndLines)
{
    // A document long enough for several pages.
    // In a folder of this process (the name is printed on the pages).
    const std::string folder = ::testing::TempDir() + "zk-demo-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::string path = folder + "/long.c";
    {
        std::ofstream out(path);
        for (int i = 1; i <= 150; ++i)
            out << "int line" << i << " = " << i << ";\n";
    }
    CDocument* doc = app.OpenDocumentFile(path.c_str());
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<CSourceView*>(doc->Views().front());
    QTemporaryDir dir;
    QString pdf = dir.filePath("out.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(96);
    int printed = PrintView(*view, printer);
    ASSERT_GT(printed, 1);
    std::string info = RunCommand("pdfinfo '" + pdf.toStdString() + "' 2>&1");
    ASSERT_NE(info.find("Pages:"), std::string::npos) << "pdfinfo (poppler-utils) is needed: " << info;
    EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), printed) << info;
    std::string text = RunCommand("pdftotext -layout '" + pdf.toStdString() + "' - 2>&1");
    EXPECT_NE(text.find("long.c - Page 1"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("int line1 = 1;"), std::string::npos);
    EXPECT_NE(text.find("int line150 = 150;"), std::string::npos);
    EXPECT_NE(text.find("long.c - Page " + std::to_string(printed)), std::string::npos);
    std::remove(path.c_str());
}

TEST_F(DemoQtTest, DroppedTextReachesTheViewLogic)
{
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    ASSERT_NE(w, nullptr);
    QMimeData data;
    data.setText("/* dropped */");
    QPointF at(100, 2 * w->Painter().Cell().height() + 3);  // over line 3
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &drop);
    ASSERT_GE(view->GetDocument()->lines.size(), 26u);
    EXPECT_EQ(view->GetDocument()->lines[2], "/* dropped */");
    EXPECT_TRUE(view->GetDocument()->IsModified());
    // The logic refuses an empty text.
    QMimeData empty;
    empty.setText("");
    QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    view->GetDocument()->SetModifiedFlag(FALSE);
}

TEST_F(DemoQtTest, ClipboardTextGoesThroughQClipboard)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(block), "\xE9t\xE9\0", 5);  // Latin-1 bytes survive
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    QApplication::clipboard()->setText("from Qt");
    EXPECT_EQ(platform::GetClipboard().GetText(), "from Qt");
}

TEST_F(DemoQtTest, QtTimersDeliverWmTimerThroughTheQueue)
{
    frame->log.clear();
    frame->SetTimer(1, 10);  // replaces the one-second timer
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->log.empty(); }, 20000));
    EXPECT_EQ(frame->log.front(), "tick");
    // Inside a nested pump the timer is taken, not dispatched.
    frame->log.clear();
    bool done = false;
    QTimer::singleShot(60, [&] { done = true; });
    ASSERT_TRUE(platform::ModalWait([&] { return done; }, 20000));
    EXPECT_TRUE(frame->log.empty());
}

// Runs `act` on the popup menu once it shows.
void WhenPopup(std::function<void(QMenu&)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*menu);
        }
    });
    timer->start(10);
}

TEST_F(DemoQtTest, ARightClickAsksTheViewForItsContextMenuWhichRunsTheUpdatePass)
{
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    ASSERT_NE(w, nullptr);
    platform::qt::QtModalUi ui;
    platform::ModalUiScope scope(ui);
    frame->SendMessage(WM_COMMAND, ID_DEMO_RUN, 0);  // running: Stop, no Build
    frame->log.clear();

    std::map<std::string, bool> shown;  // text -> enabled
    WhenPopup([&](QMenu& menu) {
        for (QAction* a : menu.actions())
            if (!a->isSeparator())
                shown[a->text().toStdString()] = a->isEnabled();
        menu.setActiveAction(menu.findChild<QAction*>(QString("cmd_%1").arg(ID_DEMO_RUN)));
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    QPoint local(30, 40);
    QPoint global = w->viewport()->mapToGlobal(local);
    QContextMenuEvent click(QContextMenuEvent::Mouse, local, global);
    QApplication::sendEvent(w->viewport(), &click);
    EXPECT_EQ(view->contextPoint.x, global.x());
    EXPECT_EQ(view->contextPoint.y, global.y());
    EXPECT_EQ(shown,
              (std::map<std::string, bool>{
                  {"&Stop", true}, {"&Build", false}, {"&Copy", false}, {"Toggle &Breakpoint", true}}));
    EXPECT_EQ(view->contextChoice, ID_DEMO_RUN);
    EXPECT_EQ(frame->log, (std::vector<std::string>{"stop"}));

    // The keyboard's request has no point; Esc dismisses the popup.
    WhenPopup([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), w->viewport()->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(w->viewport(), &key);
    EXPECT_EQ(view->contextPoint.x, -1);
    EXPECT_EQ(view->contextPoint.y, -1);
    EXPECT_EQ(view->contextChoice, 0u);
    EXPECT_EQ(frame->log, (std::vector<std::string>{"stop"}));
}

TEST_F(DemoQtTest, WindowMenuListsTheChildrenAndChoosingOneActivatesIt)
{
    CSourceView* a = OpenHello();
    std::string copy = ::testing::TempDir() + "second-" + std::to_string(getpid()) + ".c";
    {
        std::ifstream in(HelloSource());
        std::ofstream(copy) << in.rdbuf();
    }
    CDocument* second = app.OpenDocumentFile(copy.c_str());
    ASSERT_NE(second, nullptr);
    QApplication::processEvents();
    QMenu* windowMenu = nullptr;
    for (QAction* act : window->menuBar()->actions())
        if (act->text() == "&Window")
            windowMenu = act->menu();
    ASSERT_NE(windowMenu, nullptr);
    emit windowMenu->aboutToShow();
    auto* first = windowMenu->findChild<QAction*>(QString("cmd_%1").arg(AFX_IDM_FIRST_MDICHILD));
    auto* next = windowMenu->findChild<QAction*>(QString("cmd_%1").arg(AFX_IDM_FIRST_MDICHILD + 1));
    ASSERT_TRUE(first && next);
    EXPECT_TRUE(first->text().startsWith("&1 "));
    EXPECT_TRUE(next->text().startsWith("&2 "));
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(next->isChecked()) << "the active child is checked";
    first->trigger();
    CFrameWnd* firstChild = a->GetParentFrame();
    EXPECT_EQ(frame->MDIGetActive(), firstChild);
    EXPECT_EQ(window->MdiArea()->currentSubWindow()->widget(), dynamic_cast<QWidget*>(firstChild->GetHost()));
    std::remove(copy.c_str());
}

TEST_F(DemoQtTest, KeyFilterFeedsGetAsyncKeyStateFromAnyWidget)
{
    // A widget outside the main window: a progress dialog polling for Esc.
    QLineEdit outside;
    outside.show();
    GetAsyncKeyState(VK_ESCAPE);  // forget earlier presses
    QTest::keyPress(&outside, Qt::Key_Escape);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 0xFFFF, 0x8001) << "down, and pressed since the last look";
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 0xFFFF, 0x8000);
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&outside, &repeatUp);
    EXPECT_TRUE(GetAsyncKeyState(VK_ESCAPE) & 0x8000) << "an auto-repeat release leaves the key held";
    QTest::keyRelease(&outside, Qt::Key_Escape);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    // A press and release between two looks still shows as pressed once.
    QTest::keyClick(&outside, Qt::Key_Escape);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    // The main window's keys too, read from another thread.
    CSourceView* view = OpenHello();
    ViewWidget* w = WidgetOf(view);
    ASSERT_NE(w, nullptr);
    QTest::keyPress(w, Qt::Key_F2);
    short seen = 0;
    std::thread poller([&] { seen = GetAsyncKeyState(VK_F2); });
    poller.join();
    EXPECT_TRUE(seen & 0x8000);
    QTest::keyRelease(w, Qt::Key_F2);
    EXPECT_FALSE(GetAsyncKeyState(VK_F2) & 0x8000);
}

}  // namespace
}  // namespace guidemo
