// The lathris demo frame on Qt, offscreen: a register view floated and
// docked through the workspace tab bar's menu and the floating frame's close
// box, and the toolbar's find combo read back by the frame's command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "demo_screens.h"
#include "lathris/qt/customize_widget.h"
#include "lathris_screens.h"
#include "platform/messages.h"

namespace guidemo {
namespace {

using namespace lathris::qt;

class LathrisDemoQtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DemoApp();  // made once for the process, with its own windows
        sinks = SinkCount();
        window = MakeLathrisWindow({});
        ASSERT_NE(window.data(), nullptr);
        frame = static_cast<CLathrisDemoFrame*>(window->Frame());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        bar = window->TabBarOf(IDW_DEMO_WORKSPACE);
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override
    {
        frame->DestroyWindow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
        QApplication::processEvents();
        EXPECT_EQ(SinkCount(), sinks) << "window handles left behind";
    }
    static void Flush()
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    QStringList TabLabels() const
    {
        QStringList labels;
        for (int i = 0; i < bar->Tabs()->count(); ++i)
            labels << bar->Tabs()->tabText(i);
        return labels;
    }
    size_t sinks = 0;
    QPointer<LathrisFrameWidget> window;
    CLathrisDemoFrame* frame = nullptr;
    TabBarWidget* bar = nullptr;
};

TEST_F(LathrisDemoQtTest, FloatThroughTheTabMenuAndDockThroughTheCloseBox)
{
    EXPECT_EQ(TabLabels(), (QStringList{"Files", "User"}));
    EXPECT_EQ(bar->TabMenu(0), nullptr) << "the file list is not dockable";
    QMenu* menu = bar->TabMenu(1);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Dock View");
    menu->actions()[0]->trigger();
    Flush();

    EXPECT_EQ(TabLabels(), QStringList{"Files"});
    ASSERT_EQ(frame->dock.FloatingFrames().size(), 2u) << "FIQ from the start, and User";
    CDockWnd* user = frame->dock.FloatingFrames()[1];
    FloatingFrameWidget* floating = window->FloatingOf(user);
    ASSERT_NE(floating, nullptr);
    EXPECT_TRUE(floating->isVisible());
    EXPECT_TRUE(floating->windowFlags() & Qt::Tool);
    EXPECT_EQ(floating->windowTitle(), "User");
    EXPECT_NE(floating->findChild<ViewWidget*>(), nullptr) << "the fresh view is shown";
    QMenu* floatMenu = floating->ViewMenu();
    ASSERT_NE(floatMenu, nullptr);
    EXPECT_EQ(floatMenu->actions()[0]->text(), "Float View");

    QPointer<FloatingFrameWidget> gone = floating;
    EXPECT_FALSE(floating->close()) << "the logic decides";
    Flush();
    EXPECT_TRUE(gone.isNull()) << "the floating frame went";
    EXPECT_EQ(TabLabels(), (QStringList{"Files", "User"}));
    EXPECT_EQ(bar->Tabs()->currentIndex(), 1);
    EXPECT_EQ(frame->dock.FloatingFrames().size(), 1u);
    auto* docked = dynamic_cast<CRegisterView*>(frame->workspace.GetView(1));
    ASSERT_NE(docked, nullptr);
    EXPECT_EQ(docked->group, 0);
    EXPECT_EQ(docked->QueryCommandState(ID_VIEW_DOCK_TOGGLE).text, "Dock View");
}

TEST_F(LathrisDemoQtTest, TheFindComboTextReachesTheFramesCommand)
{
    auto* box = window->findChild<QComboBox*>(QString("combo_%1").arg(ID_DEMO_FIND));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), "main");
    box->setFocus();
    box->clearEditText();
    QTest::keyClicks(box, "uart_putc");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(frame->log, std::vector<std::string>{"find uart_putc"});
}

TEST_F(LathrisDemoQtTest, TheCustomizeSheetAddsCommandsAndMakesUserBars)
{
    OpenCustomize(frame);
    auto* sheet = window->findChild<CustomizeWidget*>("customize");
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    QStringList categories;
    for (int i = 0; i < sheet->Categories()->count(); ++i)
        categories << sheet->Categories()->item(i)->text();
    EXPECT_EQ(categories.mid(0, 3), (QStringList{"Standard", "File", "Edit"}));
    EXPECT_EQ(categories.back(), "Macro");

    sheet->Categories()->setCurrentRow(static_cast<int>(categories.indexOf("Macro")));
    ASSERT_EQ(sheet->Commands()->count(), 1);
    EXPECT_EQ(sheet->Commands()->item(0)->text(), "AutoDebug");
    sheet->Toolbars()->setCurrentRow(0);
    EXPECT_EQ(sheet->ToolbarAt(0), &frame->toolBar);
    QTest::mouseClick(sheet->findChild<QPushButton*>("add"), Qt::LeftButton);
    int index = frame->toolBar.CommandToIndex(59424);
    ASSERT_GE(index, 0);
    EXPECT_TRUE(frame->toolBar.GetButton(index)->m_bUserButton);
    Flush();
    EXPECT_NE(window->findChild<QAction*>("cmd_59424"), nullptr) << "the toolbar shows it";

    QTest::mouseClick(sheet->findChild<QPushButton*>("new"), Qt::LeftButton);
    ASSERT_EQ(frame->m_Impl.GetUserBarCount(), 1);
    EXPECT_EQ(sheet->Toolbars()->count(), 2);
    EXPECT_NE(window->ToolBarOf(ID_USER_TOOLBAR_FIRST), nullptr);
    sheet->Toolbars()->setCurrentRow(1);
    QTest::mouseClick(sheet->findChild<QPushButton*>("delete"), Qt::LeftButton);
    EXPECT_EQ(frame->m_Impl.GetUserBarCount(), 0);

    sheet->Toolbars()->setCurrentRow(0);
    QTest::mouseClick(sheet->findChild<QPushButton*>("reset"), Qt::LeftButton);
    EXPECT_LT(frame->toolBar.CommandToIndex(59424), 0) << "the default buttons are back";

    QPointer<CustomizeWidget> gone = sheet;
    QTest::mouseClick(sheet->findChild<QPushButton*>("close"), Qt::LeftButton);
    Flush();
    EXPECT_TRUE(gone.isNull());
}

}  // namespace
}  // namespace guidemo
