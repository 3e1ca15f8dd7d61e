#include "platform/qt/sheet_widget.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace platform::qt {

SheetWidget::SheetWidget(CPropertySheet& sheet, QWidget* parent) : QDialog(parent), sheet_(sheet)
{
    setWindowTitle(QString::fromLatin1(sheet.Caption().c_str()));
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    setFont(font);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("sheet_tabs");
    layout->addWidget(tabs_);
    // Every page has a tab; its widgets are made when the page first shows.
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        CPropertyPage* page = sheet.GetPage(i);
        auto t = page->Template();
        auto* w = new DialogWidget(t ? *t : DialogTemplate{}, tabs_);
        w->setWindowFlags(Qt::Widget);
        pages_[page] = w;
        tabs_->addTab(w, QString::fromLatin1(page->Caption().c_str()));
    }
    sheet.SetItemsFactory([this](CPropertyPage& page) -> DlgItems* { return pages_[&page]; });
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    layout->addWidget(buttons);
    sheet.Start();
    tabs_->setCurrentIndex(sheet.GetActiveIndex());
    // The sheet may hide, disable or rename its buttons as it starts.
    const std::pair<int, QPushButton*> sheetButtons[] = {{IDOK, buttons->button(QDialogButtonBox::Ok)},
                                                         {IDCANCEL, buttons->button(QDialogButtonBox::Cancel)},
                                                         {ID_APPLY_NOW, buttons->button(QDialogButtonBox::Apply)}};
    MemoryDlgItems state;
    for (const auto& [id, button] : sheetButtons)
        state.Add(ControlKind::Button, id, button->text().toStdString());
    sheet.OnInitSheet(state);
    for (const auto& [id, button] : sheetButtons) {
        button->setObjectName(QString("ctl_%1").arg(id));
        button->setText(QString::fromStdString(state.GetText(id)));
        button->setEnabled(state.IsEnabled(id));
        button->setVisible(state.IsVisible(id));
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (switching_)
            return;
        if (!sheet_.SetActivePage(index)) {
            switching_ = true;  // the page refused to let go
            tabs_->setCurrentIndex(sheet_.GetActiveIndex());
            switching_ = false;
        }
    });
    connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, [this] {
        if (sheet_.PressOK())
            done(IDOK);
    });
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { sheet_.PressApply(); });
    connect(buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, [this] {
        sheet_.PressCancel();
        done(IDCANCEL);
    });
}

}  // namespace platform::qt
