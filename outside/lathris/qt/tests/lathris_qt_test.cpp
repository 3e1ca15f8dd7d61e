// The lathris bars on Qt, offscreen: a combo's typed text read back by the
// logic, user images through BMP files, and dock layouts kept by saveState
// with foreign bytes refused by restoreState.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "lathris/qt/widgets.h"
#include "lathris/registry.h"
#include "platform/registry.h"

namespace lathris::qt {
namespace {

constexpr UINT ID_FIND_COMBO = 32771;
const std::string kPath = "Software\\Zelkor\\Zelkor for Arm\\Workspace";

class CBlankView : public CView {
public:
    DECLARE_DYNCREATE(CBlankView)
};
IMPLEMENT_DYNCREATE(CBlankView, CView)

class CTestFrame : public CCJMDIFrameWnd {
public:
    CTestFrame()
    {
        OnCommand(ID_FIND_COMBO, [this] { commands.push_back(ID_FIND_COMBO); });
        OnMessage(BCGM_TOOLBARMENU(), [this](WPARAM, LPARAM l) {
            menuAt = l;
            return LRESULT(0);
        });
    }
    std::vector<UINT> commands;
    LPARAM menuAt = -1;
};

class LathrisQtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Registry::Global().SetFile(dir.filePath("registry").toStdString());
        frame = new CTestFrame;
        ASSERT_TRUE(frame->Create(nullptr, 1));
        ASSERT_TRUE(toolbar.Create(frame, CBRS_ALIGN_TOP, AFX_IDW_TOOLBAR));
        CBCGToolbarComboBoxButton find(ID_FIND_COMBO, -1, CBS_DROPDOWN, 140);
        find.AddItem("main");
        find.AddItem("reset_handler");
        toolbar.InsertButton(find);
        toolbar.SetDefaultButtons();
        ASSERT_TRUE(tabs.Create(frame, 0xE810, "Workspace", {200, 200}, CBRS_ALIGN_LEFT));
        ASSERT_TRUE(tabs.AddView("Files", RUNTIME_CLASS(CBlankView)));
        window = new LathrisFrameWidget(frame);
        window->resize(700, 500);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override
    {
        frame->DestroyWindow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
        platform::Registry::Global().SetFile(dir.filePath("gone").toStdString());
    }
    QTemporaryDir dir;
    CTestFrame* frame = nullptr;
    CBCGToolBar toolbar;
    CCJTabCtrlBar tabs;
    QPointer<LathrisFrameWidget> window;
};

TEST_F(LathrisQtTest, TheComboTextTypedIsWhatTheLogicReads)
{
    auto* box = window->findChild<QComboBox*>(QString("combo_%1").arg(ID_FIND_COMBO));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isEditable());
    EXPECT_EQ(box->count(), 2);
    // Keys go to the combo, as with the focus on it.
    box->setFocus();
    QTest::keyClicks(box, "uart_init");
    CBCGToolbarComboBoxButton* combo = toolbar.GetComboButton(ID_FIND_COMBO);
    EXPECT_EQ(combo->GetText(), "uart_init");
    EXPECT_EQ(combo->GetCurSel(), -1);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(frame->commands, std::vector<UINT>{ID_FIND_COMBO});

    // Items and text the logic changes show on the bar.
    combo->AddItem("uart_init");
    combo->SetText("uart_putc");
    toolbar.ButtonsChanged();
    box = window->findChild<QComboBox*>(QString("combo_%1").arg(ID_FIND_COMBO));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentText(), "uart_putc");
    combo->SetText("main");
    toolbar.ButtonsChanged();
    EXPECT_EQ(window->findChild<QComboBox*>(QString("combo_%1").arg(ID_FIND_COMBO)), box) << "no rebuild for a text";
    EXPECT_EQ(box->currentText(), "main");

    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ(combo->GetText(), "reset_handler");
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(frame->commands.size(), 2u);
}

TEST_F(LathrisQtTest, TheToolbarsContextMenuIsTheFramesToShow)
{
    ToolBarWidget* bar = window->ToolBarOf(AFX_IDW_TOOLBAR);
    ASSERT_NE(bar, nullptr);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(40, 30));
    QApplication::sendEvent(bar, &e);
    EXPECT_EQ(frame->menuAt, MAKELPARAM(40, 30));
}

TEST_F(LathrisQtTest, TheUpdatePassDisablesButtonsWithoutAHandler)
{
    toolbar.InsertButton(CBCGToolbarButton(ID_FILE_SAVE, 0, "Save"));
    frame->OnIdleUpdateCmdUI();
    QAction* save = window->findChild<QAction*>(QString("cmd_%1").arg(ID_FILE_SAVE));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Save");
    EXPECT_FALSE(save->isEnabled());
    QAction* find = window->findChild<QAction*>(QString("cmd_%1").arg(ID_FIND_COMBO));
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isEnabled());

    // After the bar is laid out again (a button more), the buttons shown
    // follow the update pass: no action of the earlier layout is left to
    // take the state in their place.
    toolbar.InsertButton(CBCGToolbarButton(ID_FILE_OPEN, 0, "Open"));
    frame->OnIdleUpdateCmdUI();
    ToolBarWidget* bar = window->ToolBarOf(AFX_IDW_TOOLBAR);
    ASSERT_NE(bar, nullptr);
    int shown = 0;
    for (QAction* a : bar->actions())
        if (a->objectName() == QString("cmd_%1").arg(ID_FILE_SAVE)) {
            ++shown;
            EXPECT_FALSE(a->isEnabled());
        }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(bar->findChildren<QAction*>(QString("cmd_%1").arg(ID_FILE_SAVE)).size(), 1);
}

TEST_F(LathrisQtTest, UserImagesAreWrittenAsBmpAndReadBack)
{
    CBCGToolBarImages images;
    std::vector<uint32_t> red(16 * 15, 0xFFFF0000u), mixed(16 * 15);
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010203u & 0xFFFFFF);
    EXPECT_EQ(images.AddImage(red), 0);
    EXPECT_EQ(images.AddImage(mixed), 1);
    std::string file = dir.filePath("User Buttons.bmp").toStdString();
    ASSERT_TRUE(images.Save(file)) << images.LastError();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file + ".tmp")));

    QImage written(QString::fromStdString(file), "BMP");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(32, 15)) << "one strip of two images";
    EXPECT_EQ(written.pixel(16 + 5, 0), mixed[5]);

    CBCGToolBarImages back;
    ASSERT_TRUE(back.Load(file)) << back.LastError();
    EXPECT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetImage(0), red);
    EXPECT_EQ(back.GetImage(1), mixed);

    std::string text = dir.filePath("notes.bmp").toStdString();
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("not a picture", f);
    std::fclose(f);
    EXPECT_FALSE(back.Load(text));
    EXPECT_EQ(back.LastError(), text + ": not a readable BMP picture");
    EXPECT_EQ(back.GetCount(), 2) << "the images stay";
    back.SetImageSize({20, 20});
    EXPECT_FALSE(back.Load(file));
    EXPECT_NE(back.LastError().find("is no strip of 20x20 images"), std::string::npos);
}

TEST_F(LathrisQtTest, DockLayoutComesBackAndForeignLayoutBytesAreRefused)
{
    TabBarWidget* dock = window->TabBarOf(0xE810);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(window->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    window->addDockWidget(Qt::RightDockWidgetArea, dock);
    ASSERT_TRUE(frame->m_Impl.SaveState(kPath));
    window->addDockWidget(Qt::LeftDockWidgetArea, dock);
    ASSERT_TRUE(frame->m_Impl.LoadState(kPath)) << frame->m_Impl.LastError();
    EXPECT_EQ(window->dockWidgetArea(dock), Qt::RightDockWidgetArea);

    // A whole record around bytes that are no saveState output.
    CRegistry reg;
    ASSERT_TRUE(reg.Open(kPath));
    reg.WriteBinary("Control Bars", EncodeDockState({{AFX_IDW_TOOLBAR}, std::string(40, '\x7F')}));
    window->addDockWidget(Qt::LeftDockWidgetArea, dock);
    EXPECT_FALSE(frame->m_Impl.LoadState(kPath));
    EXPECT_EQ(frame->m_Impl.LastError(),
              platform::Registry::Global().File() + ": " + kPath +
                  "\\Control Bars+0: the window layer refused the layout\n");
    EXPECT_EQ(window->dockWidgetArea(dock), Qt::LeftDockWidgetArea) << "nothing restored";
}

// A rebar whose bands are made by its band-creation operation.
class CNavigationRebar : public CCoolBar {
public:
    int CreateBands() override
    {
        if (!navigation.Create(this, CBRS_ALIGN_TOP, AFX_IDW_TOOLBAR + 1))
            return -1;
        navigation.InsertButton(CBCGToolbarButton(32827, 0, "Back"));
        navigation.InsertButton(CBCGToolbarButton(32828, 1, "Forward"));
        return InsertBand(&navigation, {120, 22}, 200, "") && InsertBand(&address, {200, 22}, 300, "Address") ? 1 : -1;
    }
    CBCGToolBar navigation;
    CWnd address;
};

TEST_F(LathrisQtTest, ARebarShowsItsToolbarBandAndItsColours)
{
    CNavigationRebar rebar;
    ASSERT_TRUE(rebar.Create(frame, 0, 0, 0xE81B));
    rebar.SetColors(RGB(0, 0, 0), RGB(224, 224, 255));
    ASSERT_EQ(rebar.Bands().size(), 2u);
    EXPECT_EQ(frame->GetControlBar(AFX_IDW_TOOLBAR + 1), nullptr) << "the band's bar is the rebar's";
    auto* w = window->findChild<CoolBarWidget*>("bar_59419");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(224, 224, 255));
    QAction* back = w->findChild<QAction*>("cmd_32827");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), "Back");
    EXPECT_NE(w->findChild<QLabel*>(), nullptr);
    rebar.DestroyWindow();
    frame->RemoveControlBar(&rebar);
    window->SyncLathrisBars();
}

struct CRefusingRebar : CCoolBar {
    int CreateBands() override { return 0; }
};

TEST(CoolBarTest, ARebarWhoseBandsFailIsNotCreated)
{
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, 1));
    CRefusingRebar rebar;
    EXPECT_FALSE(rebar.Create(frame, 0, 0, 0xE81B));
    EXPECT_EQ(rebar.m_hWnd, nullptr);
    frame->DestroyWindow();
}

}  // namespace
}  // namespace lathris::qt
