#include "platform/qt/dialog_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace platform::qt {
namespace {

QString Q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

DialogWidget::DialogWidget(const DialogTemplate& t, QWidget* parent) : QDialog(parent)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    setFont(font);
    setWindowTitle(Q(t.caption));
    setFixedSize(UnitsToX(t.cx), UnitsToY(t.cy));
    int anon = 0;
    QLabel* pendingLabel = nullptr;  // a label's mnemonic goes to the next control
    // Radio buttons are exclusive within their group: from a control with
    // WS_GROUP up to the next one (all radios of the dialog when none has it).
    QButtonGroup* radios = nullptr;
    for (const ControlTemplate& c : t.controls) {
        QWidget* w = nullptr;
        if (c.style & WS_GROUP)
            radios = nullptr;
        switch (c.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(Q(c.text), this);
            if (c.style & SS_CENTER) {
                label->setAlignment(Qt::AlignCenter);
                label->setWordWrap(true);
            }
            w = label;
            break;
        }
        case ControlKind::Edit: {
            auto* e = new QLineEdit(this);
            e->setReadOnly(c.style & ES_READONLY);
            int id = c.id;
            connect(e, &QLineEdit::textChanged, this, [this, id] { Fire(id, EN_CHANGE); });
            // Leaving a changed edit (or Return in it).
            connect(e, &QLineEdit::editingFinished, this, [this, id] { Fire(id, EN_KILLFOCUS); });
            w = e;
            break;
        }
        case ControlKind::Button:
        case ControlKind::DefButton: {
            auto* b = new QPushButton(Q(c.text), this);
            b->setDefault(c.kind == ControlKind::DefButton);
            b->setAutoDefault(false);
            int id = c.id;
            connect(b, &QPushButton::clicked, this, [this, id] { Fire(id, BN_CLICKED); });
            w = b;
            break;
        }
        case ControlKind::Check: {
            auto* b = new QCheckBox(Q(c.text), this);
            int id = c.id;
            connect(b, &QCheckBox::clicked, this, [this, id] { Fire(id, BN_CLICKED); });
            w = b;
            break;
        }
        case ControlKind::Radio: {
            auto* b = new QRadioButton(Q(c.text), this);
            if (!radios)
                radios = new QButtonGroup(this);
            radios->addButton(b);
            int id = c.id;
            connect(b, &QRadioButton::clicked, this, [this, id] { Fire(id, BN_CLICKED); });
            w = b;
            break;
        }
        case ControlKind::Group: w = new QGroupBox(Q(c.text), this); break;
        case ControlKind::Combo:
        case ControlKind::DropList: {
            auto* b = new QComboBox(this);
            b->setEditable(c.kind == ControlKind::Combo);
            int id = c.id;
            connect(b, QOverload<int>::of(&QComboBox::activated), this, [this, id] { Fire(id, CBN_SELCHANGE); });
            w = b;
            break;
        }
        case ControlKind::List: {
            auto* l = new QListWidget(this);
            int id = c.id;
            connect(l, &QListWidget::itemClicked, this, [this, id] { Fire(id, LBN_SELCHANGE); });
            connect(l, &QListWidget::itemDoubleClicked, this, [this, id] { Fire(id, LBN_DBLCLK); });
            // "FixedFont": the list shows its lines in the ANSI fixed font.
            if (c.className == "FixedFont") {
                QFont fixed("DejaVu Sans Mono");
                fixed.setPixelSize(13);
                fixed.setStyleHint(QFont::TypeWriter);
                l->setFont(fixed);
            }
            w = l;
            break;
        }
        case ControlKind::Custom: w = new QWidget(this); break;
        }
        // A drop list's height in the template includes the open list.
        int h = (c.kind == ControlKind::DropList || c.kind == ControlKind::Combo) ? 14 : c.cy;
        w->setGeometry(UnitsToX(c.x), UnitsToY(c.y), UnitsToX(c.cx), UnitsToY(h));
        if (c.style & WS_DISABLED)
            w->setEnabled(false);
        if (c.id == IDC_STATIC) {
            w->setObjectName(QString("static_%1").arg(++anon));
            w->lower();
            if (c.kind == ControlKind::Static)
                pendingLabel = static_cast<QLabel*>(w);
            continue;
        }
        if (pendingLabel) {
            pendingLabel->setBuddy(w);
            pendingLabel = nullptr;
        }
        w->setObjectName(QString("ctl_%1").arg(c.id));
        controls_[c.id] = {c.kind, w};
    }
}

// The dialog's calls on its own window: its rectangle on the screen and
// moving itself (a dialog that opens at a point of another window places
// itself in OnInitDialog), its title and repaints. The widget belongs to
// whoever runs the dialog, so the window's end deletes nothing here.
class DialogWidget::WindowCalls : public WindowHost {
public:
    explicit WindowCalls(QDialog* widget) : widget_(widget) {}
    void Invalidate() override
    {
        if (widget_)
            widget_->update();
    }
    void SetScrollInfo(int, const SCROLLINFO&) override {}
    SCROLLINFO GetScrollInfo(int) const override { return {}; }
    RECT GetClientRect() const override { return widget_ ? RECT{0, 0, widget_->width(), widget_->height()} : RECT{}; }
    void SetWindowText(const std::string& text) override
    {
        if (widget_)
            widget_->setWindowTitle(QString::fromStdString(text));
    }
    void ShowWindow(int) override {}
    bool IsVisible() const override { return widget_ && widget_->isVisible(); }
    void SetFocus() override {}
    bool HasFocus() const override { return false; }
    void Detach() override
    {
        widget_ = nullptr;
        detached = true;
    }
    RECT GetWindowRect() const override
    {
        if (!widget_)
            return {};
        const QRect r = widget_->frameGeometry();
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    POINT ClientOrigin() const override
    {
        if (!widget_)
            return {};
        const QPoint p = widget_->mapToGlobal(QPoint(0, 0));
        return {p.x(), p.y()};
    }
    void MoveTo(POINT screen) override
    {
        if (widget_)
            widget_->move(screen.x, screen.y);
    }
    bool detached = false;

private:
    QDialog* widget_;
};

DialogWidget::~DialogWidget()
{
    // A dialog whose window ended has dropped this host already.
    if (host_ && !host_->detached && dialog_ && dialog_->GetHost() == host_.get())
        dialog_->SetHost(nullptr);
}

void DialogWidget::Attach(CDialog& dialog)
{
    dialog_ = &dialog;
    dialog.AttachItems(this);
    if (!dialog.GetHost()) {
        host_ = std::make_unique<WindowCalls>(this);
        dialog.SetHost(host_.get());
    }
    dialog.StartDialog();
    // A title the dialog set while it started replaces the template's.
    if (!dialog.GetWindowText().empty())
        setWindowTitle(Q(dialog.GetWindowText()));
    // Any button may end the dialog (OK and Cancel need not have ids 1 and 2).
    for (const auto& [id, entry] : controls_)
        if (auto* b = qobject_cast<QPushButton*>(entry.widget))
            connect(b, &QPushButton::clicked, this, [this] {
                if (dialog_ && dialog_->IsEnded())
                    done(dialog_->Result());
            });
}

QWidget* DialogWidget::Control(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.widget;
}

ControlKind DialogWidget::Kind(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? ControlKind::Static : it->second.kind;
}

std::string DialogWidget::GetText(int id) const
{
    QWidget* w = Control(id);
    QString t;
    if (auto* e = qobject_cast<QLineEdit*>(w))
        t = e->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        t = b->text();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        t = c->currentText();
    else if (auto* l = qobject_cast<QListWidget*>(w))
        t = l->currentItem() ? l->currentItem()->text() : QString();
    else if (auto* s = qobject_cast<QLabel*>(w))
        t = s->text();
    return t.toLatin1().toStdString();
}

void DialogWidget::SetText(int id, const std::string& text)
{
    QWidget* w = Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(Q(text));  // textChanged tells EN_CHANGE
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(Q(text));
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setCurrentText(Q(text));
    else if (auto* s = qobject_cast<QLabel*>(w))
        s->setText(Q(text));
}

int DialogWidget::GetCheck(int id) const
{
    auto* b = qobject_cast<QAbstractButton*>(Control(id));
    return b && b->isChecked() ? 1 : 0;
}

void DialogWidget::SetCheck(int id, int check)
{
    auto* b = qobject_cast<QAbstractButton*>(Control(id));
    if (!b)
        return;
    b->setCheckable(true);
    b->setChecked(check != 0);
}

void DialogWidget::ResetContent(int id)
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id)))
        c->clear();
    else if (auto* l = qobject_cast<QListWidget*>(Control(id)))
        l->clear();
}

int DialogWidget::AddString(int id, const std::string& text)
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id))) {
        c->addItem(Q(text));
        if (c->count() == 1 && !c->isEditable())
            c->setCurrentIndex(-1);
        return c->count() - 1;
    }
    if (auto* l = qobject_cast<QListWidget*>(Control(id))) {
        l->addItem(Q(text));
        return l->count() - 1;
    }
    return -1;
}

int DialogWidget::GetCount(int id) const
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id)))
        return c->count();
    if (auto* l = qobject_cast<QListWidget*>(Control(id)))
        return l->count();
    return -1;
}

std::string DialogWidget::GetItemText(int id, int index) const
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id)))
        return c->itemText(index).toLatin1().toStdString();
    if (auto* l = qobject_cast<QListWidget*>(Control(id)))
        return l->item(index) ? l->item(index)->text().toLatin1().toStdString() : std::string();
    return {};
}

int DialogWidget::GetCurSel(int id) const
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id)))
        return c->currentIndex();
    if (auto* l = qobject_cast<QListWidget*>(Control(id)))
        return l->currentRow();
    return -1;
}

void DialogWidget::SetCurSel(int id, int index)
{
    if (auto* c = qobject_cast<QComboBox*>(Control(id)))
        c->setCurrentIndex(index);
    else if (auto* l = qobject_cast<QListWidget*>(Control(id)))
        l->setCurrentRow(index);
}

void DialogWidget::Enable(int id, bool enable)
{
    if (QWidget* w = Control(id))
        w->setEnabled(enable);
}

bool DialogWidget::IsEnabled(int id) const
{
    QWidget* w = Control(id);
    return w && w->isEnabled();
}

void DialogWidget::Show(int id, bool show)
{
    if (QWidget* w = Control(id))
        w->setVisible(show);
}

void DialogWidget::SetFocus(int id)
{
    if (QWidget* w = Control(id))
        w->setFocus();
}

int DialogWidget::GetFocus() const
{
    for (auto& [id, e] : controls_)
        if (e.widget->hasFocus())
            return id;
    return 0;
}

void DialogWidget::SelectAll(int id)
{
    if (auto* e = qobject_cast<QLineEdit*>(Control(id)))
        e->selectAll();
}

}  // namespace platform::qt
