// The memory window's view on Qt with the frame's "Memory Toolbar" (197):
// its address combo (32903) and Goto (32904) above the rows. The
// combo's text is the frame's address text; Goto and Enter send the frame
// its Goto command; the frame's toolbar command shows and hides the bar.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolBar>

#include <platform/qt/hosts.h>
#include <platform/qt/widget_factory.h>

#include "regmem/memory_window.h"
#include "regmem/regmem_ids.h"

namespace regmem::qt {

namespace {

// The view's own widget with the bar in the top margin of its scroll area:
// the bar lives as long as the view's widget, which the frame's client
// keeps across its rebuilds.
class MemoryViewWidget : public platform::qt::ViewWidget {
public:
    MemoryViewWidget(CMemoryWindow* frame, CMemoryView* view, QWidget* parent)
        : ViewWidget(view, parent), frameHandle_(frame->m_hWnd), bar_(new QToolBar(this)), combo_(new QComboBox(bar_))
    {
        bar_->setObjectName(QString("bar_%1").arg(IDR_MEMORY_TOOLBAR));
        bar_->setWindowTitle("Memory Toolbar");
        bar_->setMovable(false);
        combo_->setObjectName(QString("ctl_%1").arg(ID_MEM_ADDRESS_COMBO));
        combo_->setEditable(true);
        combo_->setInsertPolicy(QComboBox::NoInsert);
        combo_->setMinimumWidth(140);
        combo_->setEditText(QString::fromStdString(frame->addressText));
        bar_->addWidget(combo_);
        QAction* go = bar_->addAction("Goto");
        go->setObjectName(QString("cmd_%1").arg(ID_MEM_GOTO));
        connect(combo_, &QComboBox::editTextChanged, this, [this](const QString& text) {
            if (CMemoryWindow* f = Frame())
                f->addressText = text.toStdString();
        });
        connect(combo_->lineEdit(), &QLineEdit::returnPressed, this, [this] { Goto(); });
        connect(go, &QAction::triggered, this, [this] { Goto(); });
        frame->toolbarChanged = [this] { ShowBar(); };
        ShowBar();
    }
    ~MemoryViewWidget() override
    {
        if (CMemoryWindow* f = Frame())
            f->toolbarChanged = nullptr;
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
        ViewWidget::resizeEvent(event);
    }

private:
    // The frame while its window lives (the widget may outlive it).
    CMemoryWindow* Frame() const { return dynamic_cast<CMemoryWindow*>(CWnd::FromHandle(frameHandle_)); }
    void ShowBar()
    {
        const CMemoryWindow* f = Frame();
        const bool shown = f && f->toolbarVisible;
        bar_->setVisible(shown);
        setViewportMargins(0, shown ? bar_->sizeHint().height() : 0, 0, 0);
        bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
    }
    void Goto()
    {
        CMemoryWindow* f = Frame();
        if (!f)
            return;
        const QString text = combo_->currentText().trimmed();
        f->addressText = text.toStdString();
        f->SendMessage(WM_COMMAND, ID_MEM_GOTO, 0);
        // The addresses gone to stay in the list, the latest first.
        if (!text.isEmpty()) {
            const int at = combo_->findText(text);
            if (at >= 0)
                combo_->removeItem(at);
            combo_->insertItem(0, text);
            combo_->setCurrentIndex(0);
        }
    }

    HWND frameHandle_;
    QToolBar* bar_;
    QComboBox* combo_;
};

// A memory view inside its memory window gets the frame's toolbar above it;
// elsewhere the plain view widget serves.
const platform::qt::WidgetRegistrar kMemoryViews(RUNTIME_CLASS(CMemoryView), [](CWnd* wnd, QWidget* parent) {
    auto* view = static_cast<CMemoryView*>(wnd);
    auto* frame = dynamic_cast<CMemoryWindow*>(view->GetParentFrame());
    return frame ? static_cast<QWidget*>(new MemoryViewWidget(frame, view, parent)) : nullptr;
});

}  // namespace

}  // namespace regmem::qt
