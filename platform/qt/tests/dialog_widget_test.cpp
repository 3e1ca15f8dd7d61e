// Dialog templates on Qt widgets: radio buttons exclusive by group.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "platform/dialog.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/sheet_widget.h"

using namespace platform;

namespace {

QRadioButton* Radio(const qt::DialogWidget& w, int id)
{
    return qobject_cast<QRadioButton*>(w.Control(id));
}

TEST(DialogWidgetTest, RadioButtonsAreExclusiveWithinTheirGroupOnly)
{
    DialogTemplate t;
    t.caption = "Test";
    t.cx = 200;
    t.cy = 120;
    t.controls = {{ControlKind::Radio, 10, "A", 0, 0, 60, 12, WS_GROUP},
                  {ControlKind::Radio, 11, "B", 0, 14, 60, 12},
                  {ControlKind::Edit, 12, "", 0, 28, 60, 12, WS_GROUP},  // ends the first group
                  {ControlKind::Radio, 20, "C", 0, 42, 60, 12, WS_GROUP},
                  {ControlKind::Radio, 21, "D", 0, 56, 60, 12}};
    qt::DialogWidget w(t);
    Radio(w, 10)->click();
    Radio(w, 21)->click();
    EXPECT_TRUE(Radio(w, 10)->isChecked()) << "a click in the second group keeps the first group's choice";
    EXPECT_TRUE(Radio(w, 21)->isChecked());
    Radio(w, 11)->click();
    EXPECT_FALSE(Radio(w, 10)->isChecked());
    EXPECT_TRUE(Radio(w, 11)->isChecked());
    EXPECT_TRUE(Radio(w, 21)->isChecked());
    Radio(w, 20)->click();
    EXPECT_FALSE(Radio(w, 21)->isChecked());
}

// A dialog that places itself as it starts (over a point of another
// window): its window calls reach the widget, which is not centred over
// its parent afterwards; the widget outlives the dialog's window.
class PlacedDialog : public CDialog {
public:
    explicit PlacedDialog(std::shared_ptr<DialogTemplate> t) : CDialog(std::move(t)) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        GetWindowRect(&before);
        MoveWindowTo({120, 90});
        return TRUE;
    }
    RECT before{};
};

TEST(DialogWidgetTest, ADialogMovesItsWindowAsItStarts)
{
    auto t = std::make_shared<DialogTemplate>();
    t->caption = "Placed";
    t->cx = 120;
    t->cy = 40;
    PlacedDialog dlg(t);
    {
        qt::DialogWidget w(*t);
        w.Attach(dlg);
        EXPECT_EQ(dlg.before.right - dlg.before.left, w.frameGeometry().width());
        EXPECT_EQ(w.pos(), QPoint(120, 90));
        RECT now;
        dlg.GetWindowRect(&now);
        EXPECT_EQ(now.left, w.frameGeometry().left());
        EXPECT_EQ(now.top, w.frameGeometry().top());
        w.show();
        EXPECT_EQ(w.pos(), QPoint(120, 90)) << "kept where the dialog put itself";
        dlg.FinishDialog();
        EXPECT_EQ(dlg.GetHost(), nullptr);
    }
}

}  // namespace

namespace {

class ToolSheet : public CPropertySheet {
public:
    ToolSheet() : CPropertySheet("Tools") { AddPage(&page); }
    void OnInitSheet(DlgItems& buttons) override
    {
        buttons.Show(IDOK, false);
        buttons.SetText(IDCANCEL, "Close");
        buttons.Enable(ID_APPLY_NOW, false);
    }
    CPropertyPage page{std::make_shared<DialogTemplate>(DialogTemplate{}), "Page"};
};

TEST(SheetWidgetTest, TheSheetSetsItsButtonsAsItStarts)
{
    ToolSheet sheet;
    qt::SheetWidget w(sheet);
    auto* ok = w.findChild<QPushButton*>(QString("ctl_%1").arg(IDOK));
    auto* cancel = w.findChild<QPushButton*>(QString("ctl_%1").arg(IDCANCEL));
    auto* apply = w.findChild<QPushButton*>(QString("ctl_%1").arg(ID_APPLY_NOW));
    ASSERT_TRUE(ok && cancel && apply);
    EXPECT_TRUE(ok->isHidden());
    EXPECT_EQ(cancel->text(), "Close");
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_FALSE(cancel->isHidden());
}

}  // namespace
