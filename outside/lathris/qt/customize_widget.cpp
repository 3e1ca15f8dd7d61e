#include "lathris/qt/customize_widget.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lathris::qt {
namespace {

QString Q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QWidget* WidgetOf(CFrameWnd* frame)
{
    return frame ? dynamic_cast<QWidget*>(frame->GetHost()) : nullptr;
}

// Shows every sheet that opens.
struct InstallHook {
    InstallHook()
    {
        CBCGToolbarCustomize::SetShowHook([](CBCGToolbarCustomize* sheet) {
            auto* w = new CustomizeWidget(sheet, WidgetOf(sheet->GetFrame()));
            w->show();
        });
    }
} installHook;

}  // namespace

CustomizeWidget::CustomizeWidget(CBCGToolbarCustomize* sheet, QWidget* parent)
    : QDialog(parent), sheet_(sheet), categories_(new QListWidget(this)), commands_(new QListWidget(this)),
      toolbars_(new QListWidget(this))
{
    setObjectName("customize");
    setWindowTitle("Customize");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    categories_->setObjectName("categories");
    commands_->setObjectName("commands");
    toolbars_->setObjectName("toolbars");
    for (const std::string& c : sheet_->Categories())
        categories_->addItem(Q(c));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Categories:", this), 0, 0);
    grid->addWidget(new QLabel("Commands:", this), 0, 1);
    grid->addWidget(new QLabel("Toolbars:", this), 0, 2);
    grid->addWidget(categories_, 1, 0);
    grid->addWidget(commands_, 1, 1);
    grid->addWidget(toolbars_, 1, 2);
    auto* side = new QVBoxLayout;
    grid->addLayout(side, 1, 3);

    QPushButton* add = Button("&Add to Toolbar", "add");
    QPushButton* newBar = Button("&New...", "new");
    QPushButton* del = Button("&Delete", "delete");
    QPushButton* reset = Button("&Reset", "reset");
    QPushButton* close = Button("Close", "close");
    QPushButton* help = Button("&Help", "help");
    for (QPushButton* b : {add, newBar, del, reset})
        side->addWidget(b);
    side->addStretch(1);
    side->addWidget(help);
    side->addWidget(close);
    newBar->setEnabled(sheet_->UserDefinedToolbarsEnabled());

    connect(categories_, &QListWidget::currentRowChanged, this, [this] { FillCommands(); });
    connect(add, &QPushButton::clicked, this, [this] {
        CBCGToolBar* bar = ToolbarAt(toolbars_->currentRow());
        QListWidgetItem* command = commands_->currentItem();
        QListWidgetItem* category = categories_->currentItem();
        if (bar && command && category)
            sheet_->DropButton(bar, category->text().toStdString(), command->data(Qt::UserRole).toUInt());
    });
    connect(newBar, &QPushButton::clicked, this, [this] {
        int n = 1;
        if (auto* frame = dynamic_cast<CCJMDIFrameWnd*>(sheet_->GetFrame()))
            n = frame->m_Impl.GetUserBarCount() + 1;
        if (sheet_->NewUserToolbar("Custom " + std::to_string(n)))
            FillToolbars();
    });
    connect(del, &QPushButton::clicked, this, [this] {
        if (sheet_->DeleteUserToolbar(ToolbarAt(toolbars_->currentRow())))
            FillToolbars();
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        auto* frame = dynamic_cast<CCJMDIFrameWnd*>(sheet_->GetFrame());
        if (CBCGToolBar* bar = ToolbarAt(toolbars_->currentRow()); frame && bar && !bar->IsUserBar())
            frame->m_Impl.ResetToolbar(bar);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    // The sheet has one page (0); the frame answers with its help.
    connect(help, &QPushButton::clicked, this, [this] {
        if (CFrameWnd* frame = sheet_ ? sheet_->GetFrame() : nullptr; frame && frame->m_hWnd)
            frame->SendMessage(BCGM_CUSTOMIZEHELP(), 0, 0);
    });
    categories_->setCurrentRow(0);
    FillToolbars();
    resize(560, 300);
}

QPushButton* CustomizeWidget::Button(const char* text, const char* name)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void CustomizeWidget::FillCommands()
{
    commands_->clear();
    QListWidgetItem* category = categories_->currentItem();
    const auto* buttons = category ? sheet_->ButtonsOf(category->text().toStdString()) : nullptr;
    if (!buttons)
        return;
    auto menu = sheet_->GetFrame() ? sheet_->GetFrame()->GetShownMenu() : nullptr;
    for (const auto& b : *buttons) {
        QString text = Q(b->m_strText);
        if (text.isEmpty()) {
            CMenu::Item* item = menu ? menu->FindCommand(b->m_nID) : nullptr;
            text = item ? Q(item->text.substr(0, item->text.find('\t'))).remove('&') : QString::number(b->m_nID);
        }
        auto* row = new QListWidgetItem(text, commands_);
        row->setData(Qt::UserRole, b->m_nID);
    }
    commands_->setCurrentRow(0);
}

CBCGToolBar* CustomizeWidget::ToolbarAt(int row) const
{
    if (row < 0 || row >= toolbars_->count())
        return nullptr;
    auto* wanted = reinterpret_cast<CBCGToolBar*>(toolbars_->item(row)->data(Qt::UserRole).value<quintptr>());
    // Only a bar that still exists.
    for (CBCGToolBar* bar : CBCGToolBar::AllToolbars())
        if (bar == wanted)
            return bar;
    return nullptr;
}

void CustomizeWidget::FillToolbars()
{
    int keep = toolbars_->currentRow();
    toolbars_->clear();
    CFrameWnd* frame = sheet_->GetFrame();
    for (CBCGToolBar* bar : CBCGToolBar::AllToolbars()) {
        if (!bar->m_hWnd || bar->GetParent() != frame)
            continue;
        std::string name = bar->GetWindowText().empty() ? "Toolbar" : bar->GetWindowText();
        auto* row = new QListWidgetItem(Q(name), toolbars_);
        row->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(bar)));
    }
    toolbars_->setCurrentRow(std::clamp(keep, 0, toolbars_->count() - 1));
}

void CustomizeWidget::done(int result)
{
    if (sheet_) {
        sheet_->Close();
        sheet_ = nullptr;
    }
    QDialog::done(result);
}

void CustomizeWidget::closeEvent(QCloseEvent* e)
{
    if (sheet_) {
        sheet_->Close();
        sheet_ = nullptr;
    }
    QDialog::closeEvent(e);
}

}  // namespace lathris::qt
