#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "lathris/qt/widgets.h"
#include "platform/qt/widget_factory.h"

namespace lathris::qt {
namespace {

// A tab bar that is a child frame's client (the register window's tabs):
// the tabs fill the frame, without a dock title of their own.
const platform::qt::WidgetRegistrar kClientTabBars(RUNTIME_CLASS(CCJTabCtrlBar), [](CWnd* wnd, QWidget* parent) {
    auto* bar = new TabBarWidget(static_cast<CCJTabCtrlBar*>(wnd), parent);
    bar->setTitleBarWidget(new QWidget(bar));
    bar->setFeatures(QDockWidget::NoDockWidgetFeatures);
    return static_cast<QWidget*>(bar);
});

QString Q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s)
{
    return s.toLatin1().toStdString();
}

}  // namespace

QMenu* CommandMenu(CCmdTarget* target, UINT id, QWidget* parent, std::function<void()> run)
{
    CCmdUI state = target->QueryCommandState(id);
    if (!state.textSet)
        return nullptr;
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* a = menu->addAction(Q(state.text));
    a->setObjectName(QString("cmd_%1").arg(id));
    a->setEnabled(state.enabled);
    QObject::connect(a, &QAction::triggered, menu, std::move(run));
    return menu;
}

// --- Toolbars ---------------------------------------------------------------------

namespace {

// What makes a button's widget: a change rebuilds the bar.
std::string ShapeOf(const CBCGToolbarButton& b)
{
    std::string shape = std::to_string(b.m_nID) + (b.IsSeparator() ? "s" : "") + b.m_strText;
    if (auto* combo = dynamic_cast<const CBCGToolbarComboBoxButton*>(&b))
        for (int i = 0; i < combo->GetCount(); ++i)
            shape += "|" + combo->GetItem(i);
    return shape + "\n";
}

}  // namespace

ToolBarWidget::ToolBarWidget(CBCGToolBar* bar, CFrameWnd* frame, QWidget* parent)
    : QToolBar(parent), bar_(bar), frame_(frame)
{
    setObjectName(QString("bar_%1").arg(bar->GetDlgCtrlID()));
    setWindowTitle(Q(bar->GetWindowText().empty() ? "Toolbar" : bar->GetWindowText()));
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    Rebuild();
}

void ToolBarWidget::Command(UINT id)
{
    if (frame_ && frame_->m_hWnd)
        frame_->SendMessage(WM_COMMAND, id, 0);
}

QString ToolBarWidget::LabelOf(const CBCGToolbarButton& b) const
{
    if (!b.m_strText.empty())
        return Q(b.m_strText);
    // The button's menu item names it ("&Open...\tCtrl+O" -> "Open").
    auto menu = frame_ ? frame_->GetShownMenu() : nullptr;
    CMenu::Item* item = menu ? menu->FindCommand(b.m_nID) : nullptr;
    QString label = item ? Q(item->text.substr(0, item->text.find('\t'))) : QString::number(b.m_nID);
    label.remove('&');
    label.remove("...");
    return label;
}

void ToolBarWidget::Rebuild()
{
    // clear() only takes the actions off the bar; they would stay its
    // children under their names, and the update pass, which finds a
    // button's action by name, would set the old one's state.
    const QList<QAction*> old = actions();
    clear();
    for (QAction* a : old) {
        a->setObjectName({});
        if (auto* w = qobject_cast<QWidgetAction*>(a); w && w->defaultWidget())
            w->defaultWidget()->setObjectName({});
        a->deleteLater();  // it may be the action whose command got here
    }
    shape_.clear();
    for (int i = 0; i < bar_->GetCount(); ++i) {
        CBCGToolbarButton* b = bar_->GetButton(i);
        shape_ += ShapeOf(*b);
        if (b->IsSeparator()) {
            addSeparator();
            continue;
        }
        UINT id = b->m_nID;
        if (auto* combo = dynamic_cast<CBCGToolbarComboBoxButton*>(b)) {
            auto* box = new QComboBox(this);
            box->setObjectName(QString("combo_%1").arg(id));
            box->setEditable(combo->GetStyle() != CBS_DROPDOWNLIST);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->setMinimumWidth(combo->GetWidth());
            for (int k = 0; k < combo->GetCount(); ++k)
                box->addItem(Q(combo->GetItem(k)));
            box->setCurrentIndex(combo->GetCurSel());
            if (box->isEditable())
                box->setEditText(Q(combo->GetText()));
            QAction* a = addWidget(box);
            a->setObjectName(QString("cmd_%1").arg(id));
            // The typed text belongs to the logic at once; Enter and a
            // choice send the command.
            connect(box, &QComboBox::editTextChanged, this, [this, id](const QString& text) {
                if (auto* c = bar_->GetComboButton(id))
                    c->SetText(S(text));
            });
            // A choice from the list (Enter in the edit sends the command too).
            connect(box, &QComboBox::activated, this, [this, id, box](int index) {
                if (auto* c = bar_->GetComboButton(id)) {
                    if (index >= 0 && box->itemText(index) == box->currentText())
                        c->SelectItem(index);
                    else
                        c->SetText(S(box->currentText()));
                }
                Command(id);
            });
            if (box->lineEdit())
                connect(box->lineEdit(), &QLineEdit::returnPressed, this, [this, id] { Command(id); });
            continue;
        }
        QAction* a = addAction(LabelOf(*b));
        a->setObjectName(QString("cmd_%1").arg(id));
        connect(a, &QAction::triggered, this, [this, id] { Command(id); });
    }
    Sync();
}

void ToolBarWidget::Sync()
{
    std::string shape;
    for (int i = 0; i < bar_->GetCount(); ++i) {
        shape += ShapeOf(*bar_->GetButton(i));
    }
    if (shape != shape_) {
        Rebuild();
        return;
    }
    for (int i = 0; i < bar_->GetCount(); ++i) {
        CBCGToolbarButton* b = bar_->GetButton(i);
        if (b->IsSeparator())
            continue;
        QAction* a = findChild<QAction*>(QString("cmd_%1").arg(b->m_nID));
        if (!a)
            continue;
        a->setEnabled(!(b->m_nStyle & TBBS_DISABLED));
        if (auto* combo = dynamic_cast<CBCGToolbarComboBoxButton*>(b)) {
            // A text the logic set shows; a typed one is the logic's already.
            auto* box = findChild<QComboBox*>(QString("combo_%1").arg(b->m_nID));
            if (box && box->isEditable() && box->currentText() != Q(combo->GetText())) {
                QSignalBlocker block(box);
                box->setEditText(Q(combo->GetText()));
            }
        } else {
            a->setCheckable(b->m_nStyle & (TBBS_CHECKBOX | TBBS_CHECKED));
            a->setChecked(b->m_nStyle & TBBS_CHECKED);
        }
    }
    setVisible(bar_->IsVisible());
}

void ToolBarWidget::contextMenuEvent(QContextMenuEvent* e)
{
    e->accept();
    if (frame_ && frame_->m_hWnd)
        frame_->SendMessage(BCGM_TOOLBARMENU(), 0,
                            MAKELPARAM(static_cast<WORD>(e->globalPos().x()), static_cast<WORD>(e->globalPos().y())));
}

// --- Rebars -----------------------------------------------------------------------

CoolBarWidget::CoolBarWidget(CCoolBar* bar, CFrameWnd* frame, QWidget* parent)
    : QToolBar(parent), bar_(bar), frame_(frame)
{
    setObjectName(QString("bar_%1").arg(bar->GetDlgCtrlID()));
    setMovable(false);
    setAutoFillBackground(true);
    Sync();
}

void CoolBarWidget::Sync()
{
    if (revision_ != bar_->Revision()) {
        revision_ = bar_->Revision();
        // The old layout's actions go with their widgets (clear() only
        // takes them off the bar).
        const QList<QAction*> old = actions();
        clear();
        for (QAction* a : old)
            a->deleteLater();
        inner_.clear();
        QPalette pal = palette();
        pal.setColor(QPalette::Window, platform::qt::ToQColor(bar_->BackgroundColor()));
        pal.setColor(QPalette::WindowText, platform::qt::ToQColor(bar_->TextColor()));
        setPalette(pal);
        bool first = true;
        for (const auto& band : bar_->Bands()) {
            if (!first)
                addSeparator();
            first = false;
            if (!band.text.empty())
                addWidget(new QLabel(Q(band.text), this));
            if (auto* tb = dynamic_cast<CBCGToolBar*>(band.child)) {
                auto* inner = new ToolBarWidget(tb, frame_, this);
                inner->setMinimumWidth(band.minimum.cx);
                addWidget(inner);
                inner_.emplace_back(inner);
            }
        }
    }
    for (const QPointer<ToolBarWidget>& inner : inner_)
        if (inner)
            inner->Sync();
    setVisible(bar_->IsVisible());
}

// --- Tab bars ---------------------------------------------------------------------

TabBarWidget::TabBarWidget(CCJTabCtrlBar* bar, QWidget* parent)
    : QDockWidget(Q(bar->GetWindowText()), parent), HostBase(this, bar), tabs_(new QTabWidget(this))
{
    setObjectName(QString("bar_%1").arg(bar->GetDlgCtrlID()));
    tabs_->setObjectName("tabs");
    tabs_->setTabPosition(QTabWidget::South);
    tabs_->setDocumentMode(true);
    setWidget(tabs_);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    Qt::DockWidgetAreas areas;
    DWORD align = bar->GetDockingAlignment();
    if (align & CBRS_ALIGN_LEFT)
        areas |= Qt::LeftDockWidgetArea;
    if (align & CBRS_ALIGN_RIGHT)
        areas |= Qt::RightDockWidgetArea;
    if (align & CBRS_ALIGN_TOP)
        areas |= Qt::TopDockWidgetArea;
    if (align & CBRS_ALIGN_BOTTOM)
        areas |= Qt::BottomDockWidgetArea;
    setAllowedAreas(areas);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!syncing_ && Wnd())
            Bar()->SetActiveView(index);
    });
    Rebuild();
}

void TabBarWidget::Rebuild()
{
    syncing_ = true;
    // Take every page out (the view widgets stay alive), then show the tabs
    // in the logic's order. A view class with a widget of its own (the
    // window layer's factory) gets that one.
    std::map<CWnd*, QWidget*> pages;
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        if (auto* host = dynamic_cast<HostBase*>(page); host && host->Wnd())
            pages[host->Wnd()] = page;
    }
    if (Wnd()) {
        for (const auto& tab : Bar()->Tabs()) {
            QWidget* page = pages.count(tab.view) ? pages[tab.view] : nullptr;
            if (!page) {
                page = dynamic_cast<QWidget*>(tab.view->GetHost());
                if (!page)
                    page = platform::qt::WidgetFactory::Make(tab.view, tabs_);
                if (!page)
                    page = new ViewWidget(tab.view, tabs_);
            }
            pages.erase(tab.view);
            tabs_->addTab(page, Q(tab.label));
        }
        tabs_->setCurrentIndex(Bar()->GetActiveIndex());
    }
    syncing_ = false;
}

void TabBarWidget::Notify(HostEvent event, CWnd*)
{
    if (event == HostEvent::ChildAdded || event == HostEvent::ChildRemoved || event == HostEvent::ChildActivated)
        Rebuild();
}

QMenu* TabBarWidget::TabMenu(int index)
{
    if (!Wnd())
        return nullptr;
    CView* view = Bar()->GetView(index);
    if (!view)
        return nullptr;
    HWND hwnd = view->m_hWnd;
    return CommandMenu(view, ID_VIEW_DOCK_TOGGLE, this,
                       [hwnd] { ::SendMessage(hwnd, WM_COMMAND, ID_VIEW_DOCK_TOGGLE, 0); });
}

void TabBarWidget::contextMenuEvent(QContextMenuEvent* e)
{
    int index = tabs_->tabBar()->tabAt(tabs_->tabBar()->mapFrom(this, e->pos()));
    if (index < 0)
        index = tabs_->currentIndex();
    if (QMenu* menu = TabMenu(index))
        menu->popup(e->globalPos());
    e->accept();
}

// --- Floating frames --------------------------------------------------------------

FloatingFrameWidget::FloatingFrameWidget(CFrameWnd* frame, QWidget* owner)
    : QWidget(owner, Qt::Tool), HostBase(this, frame)
{
    setObjectName(QString("floating_%1").arg(Q(frame->GetWindowText())));
    setWindowTitle(Q(frame->GetWindowText()));
    setLayout(new QVBoxLayout);
    layout()->setContentsMargins(0, 0, 0, 0);
    if (auto* dock = dynamic_cast<CMiniFrameWnd*>(frame))
        (void)dock;
    setGeometry(100, 100, 200, 200);
    Rebuild();
}

void FloatingFrameWidget::Rebuild()
{
    if (!Wnd())
        return;
    // A view gets the widget of its class, as in a tab bar (the register
    // grid draws itself only in its own widget), else the plain one.
    for (CWnd* c : Wnd()->Children()) {
        auto* view = dynamic_cast<CView*>(c);
        if (!view || dynamic_cast<QWidget*>(view->GetHost()))
            continue;
        QWidget* widget = platform::qt::WidgetFactory::Make(view, this);
        layout()->addWidget(widget ? widget : new ViewWidget(view, this));
    }
}

void FloatingFrameWidget::Notify(HostEvent event, CWnd*)
{
    if (event == HostEvent::ChildAdded)
        Rebuild();
}

QMenu* FloatingFrameWidget::ViewMenu()
{
    if (!Wnd() || !Frame()->GetActiveView())
        return nullptr;
    CView* view = Frame()->GetActiveView();
    HWND hwnd = view->m_hWnd;
    return CommandMenu(view, ID_VIEW_DOCK_TOGGLE, this,
                       [hwnd] { ::SendMessage(hwnd, WM_COMMAND, ID_VIEW_DOCK_TOGGLE, 0); });
}

void FloatingFrameWidget::closeEvent(QCloseEvent* e)
{
    // The logic decides: a dockable view docks again and its frame goes.
    e->ignore();
    if (Wnd())
        Wnd()->SendMessage(WM_CLOSE);
}

void FloatingFrameWidget::contextMenuEvent(QContextMenuEvent* e)
{
    if (QMenu* menu = ViewMenu())
        menu->popup(e->globalPos());
    e->accept();
}

}  // namespace lathris::qt
