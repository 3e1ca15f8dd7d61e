// The tip window's widget offscreen: made for the tip of a text view (also
// for a tip made after the view's widget), a tool-tip window that takes no
// focus and shows without activation, sized by its text in its own font and
// placed on the screen where the logic put it; white with a black border
// and the text's pixels inside; gone with the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QTest>

#include <memory>

#include "base_view_widget.h"
#include "platform/win_app.h"
#include "popup_tip_widget.h"
#include "script_edit_view.h"
#include "shell/settings.h"

namespace textbase::qt {
namespace {

class TipWindowQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        theSettings.SetDefaultColors();
        layer = std::make_unique<platform::qt::WindowLayer>(&app);
        view = new CScriptEditView;
        ASSERT_TRUE(view->Create(nullptr));
        view->SetLines({"Dim count", "count = 7"});
        widget = new BaseViewWidget(view);
        widget->resize(400, 200);
        view->OnInitialUpdate();
        widget->show();
        QApplication::setActiveWindow(widget);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        widget->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        if (view)
            view->DestroyWindow();
        delete widget;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        layer.reset();
    }
    static PopupTipWidget* WidgetOf(CPopupTipWnd* tip) { return dynamic_cast<PopupTipWidget*>(tip->GetHost()); }

    CWinApp app;
    std::unique_ptr<platform::qt::WindowLayer> layer;
    CScriptEditView* view = nullptr;
    QPointer<BaseViewWidget> widget;
};

TEST_F(TipWindowQt, ShowsWithoutTakingTheFocusSizedByItsTextWhereTheLogicPutIt)
{
    CPopupTipWnd* tip = view->TipWindow();
    ASSERT_NE(tip, nullptr);
    PopupTipWidget* tipWidget = WidgetOf(tip);
    ASSERT_NE(tipWidget, nullptr);
    EXPECT_TRUE(tipWidget->isWindow());
    EXPECT_TRUE(tipWidget->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(tipWidget->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(tipWidget->isVisible());

    const QPoint pointer = widget->viewport()->mapToGlobal(QPoint(60, 20));
    tip->ShowTipAt({pointer.x(), pointer.y()}, "count=7");
    QApplication::processEvents();
    EXPECT_TRUE(tipWidget->isVisible());
    EXPECT_TRUE(tip->IsTipShown());
    EXPECT_TRUE(widget->hasFocus()) << "the view keeps the focus";
    const QFontMetrics metrics(tipWidget->font());
    EXPECT_EQ(tipWidget->width(), metrics.horizontalAdvance("count=7") + 15);
    EXPECT_EQ(tipWidget->height(), metrics.height() + 4);
    EXPECT_EQ(tipWidget->geometry().topLeft(), pointer + QPoint(0, kTipPointerGap));

    // White inside a black border, with dark text pixels.
    const QImage image = tipWidget->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(2, 2)), QColor(Qt::white));
    int dark = 0;
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);

    // A key or a button hides a data tip; the owner hides it itself.
    tip->HideTip();
    QApplication::processEvents();
    EXPECT_FALSE(tipWidget->isVisible());
}

TEST_F(TipWindowQt, ATipMadeAfterTheViewsWidgetGetsAWidgetAndGoesWithTheView)
{
    auto note = std::make_unique<CPopupTipWnd>();
    ASSERT_TRUE(note->CreateTip(view));
    PopupTipWidget* noteWidget = WidgetOf(note.get());
    ASSERT_NE(noteWidget, nullptr);
    // The address-range note at a fixed place: five lines, centred.
    note->SetTipRect({100, 100, 350, 200});
    note->SetWindowText("Function Name:\n       main\nAddress Range:\n       0x8218--0x82FF");
    note->ShowTip();
    QApplication::processEvents();
    EXPECT_EQ(noteWidget->geometry(), QRect(100, 100, 250, 100));
    EXPECT_TRUE(noteWidget->isVisible());

    // An empty text paints a plain white box with its border.
    note->SetWindowText("");
    note->Invalidate();
    const QImage blank = noteWidget->grab().toImage();
    int black = 0, white = 0;
    for (int y = 0; y < blank.height(); ++y)
        for (int x = 0; x < blank.width(); ++x)
            (QColor(blank.pixel(x, y)) == QColor(Qt::white) ? white : black) += 1;
    EXPECT_EQ(black, 2 * (blank.width() + blank.height()) - 4);
    EXPECT_EQ(white, (blank.width() - 2) * (blank.height() - 2));

    QPointer<QWidget> viewTip = WidgetOf(view->TipWindow());
    note->DestroyWindow();
    view->DestroyWindow();  // the view deletes itself, its widget goes
    view = nullptr;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewTip.isNull());
    EXPECT_TRUE(widget.isNull());
}

}  // namespace
}  // namespace textbase::qt
