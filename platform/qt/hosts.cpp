#include "platform/qt/hosts.h"
#include "platform/qt/widget_factory.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/messages.h"

namespace platform::qt {
namespace {

QString Q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

// --- HostBase -----------------------------------------------------------------

void HostBase::Invalidate()
{
    if (widget_)
        widget_->update();
}

RECT HostBase::GetClientRect() const
{
    if (!widget_)
        return {};
    return {0, 0, widget_->width(), widget_->height()};
}

RECT HostBase::GetWindowRect() const
{
    if (!widget_)
        return {};
    const QRect r =
        widget_->isWindow() ? widget_->frameGeometry() : QRect(widget_->mapToGlobal(QPoint(0, 0)), widget_->size());
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

POINT HostBase::ClientOrigin() const
{
    if (!widget_)
        return {};
    const QPoint p = widget_->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}

void HostBase::MoveTo(POINT screen)
{
    if (!widget_)
        return;
    const QPoint p(screen.x, screen.y);
    widget_->move(widget_->isWindow() || !widget_->parentWidget() ? p : widget_->parentWidget()->mapFromGlobal(p));
}

void HostBase::SetWindowText(const std::string& text)
{
    if (widget_)
        widget_->setWindowTitle(Q(text));
}

void HostBase::ShowWindow(int cmd)
{
    if (!widget_)
        return;
    if (cmd == SW_HIDE)
        widget_->hide();
    else
        widget_->show();
}

bool HostBase::IsVisible() const
{
    return widget_ && widget_->isVisible();
}

void HostBase::SetFocus()
{
    if (widget_)
        widget_->setFocus();
}

bool HostBase::HasFocus() const
{
    return widget_ && widget_->hasFocus();
}

void HostBase::Detach()
{
    if (widget_)
        widget_->deleteLater();
    widget_ = nullptr;
    wnd_ = nullptr;
}

// --- ViewWidget -------------------------------------------------------------------

ViewWidget::ViewWidget(CView* view, QWidget* parent, const FontSpec& font)
    : QAbstractScrollArea(parent), HostBase(this, view), painter_(MakeFont(font), CellSizeOf(MakeFont(font)))
{
    setObjectName(QString("view_%1").arg(view->GetDlgCtrlID()));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    // Every paint of a view fills its whole viewport: an update of the view
    // repaints the view alone, not the child frame, splitters and scroll
    // bars behind and around it.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnAction(verticalScrollBar(), action, WM_VSCROLL); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnAction(horizontalScrollBar(), action, WM_HSCROLL); });
}

void ViewWidget::OnAction(QScrollBar* bar, int action, UINT msg)
{
    if (!Wnd())
        return;
    UINT code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    int pos = bar->sliderPosition();
    info_[msg == WM_VSCROLL ? 1 : 0].nTrackPos = pos;
    View()->SendMessage(msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)), 0);
    // The logic owns the position: the slider shows what it decided.
    bar->setSliderPosition(info_[msg == WM_VSCROLL ? 1 : 0].nPos);
}

void ViewWidget::SetScrollInfo(int bar, const SCROLLINFO& info)
{
    SCROLLINFO& s = info_[bar == SB_HORZ ? 0 : 1];
    if (info.fMask & SIF_RANGE) {
        s.nMin = info.nMin;
        s.nMax = info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        s.nPage = info.nPage;
    if (info.fMask & SIF_POS)
        s.nPos = info.nPos;
    int maxPos = std::max(s.nMin, s.nMax - std::max(static_cast<int>(s.nPage) - 1, 0));
    s.nPos = std::clamp(s.nPos, s.nMin, maxPos);
    QScrollBar* sb = bar == SB_HORZ ? horizontalScrollBar() : verticalScrollBar();
    sb->setRange(s.nMin, maxPos);
    sb->setPageStep(std::max<int>(1, static_cast<int>(s.nPage)));
    sb->setValue(s.nPos);
    Invalidate();
}

SCROLLINFO ViewWidget::GetScrollInfo(int bar) const
{
    return info_[bar == SB_HORZ ? 0 : 1];
}

RECT ViewWidget::GetClientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}

int ViewWidget::VisibleRows() const
{
    int lh = painter_.Cell().height();
    return (viewport()->height() + lh - 1) / lh;
}

void ViewWidget::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    CellPaint paint;
    if (!Wnd() || !View()->GetCellPaint(info_[1].nPos, VisibleRows(), paint)) {
        p.fillRect(viewport()->rect(), Qt::white);
        return;
    }
    p.fillRect(viewport()->rect(), ToQColor(paint.Colors(0).bg));
    painter_.Paint(p, paint, viewport()->width(), event->region());
}

void ViewWidget::keyPressEvent(QKeyEvent* e)
{
    if (!Wnd())
        return;
    int vk = KeyFilter::VirtualKey(e->key());
    if (vk)
        View()->SendMessage(WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() >= 0x20 && text[0].unicode() < 0x100)
        View()->SendMessage(WM_CHAR, text[0].unicode(), 1);
    e->accept();
}

void ViewWidget::mousePressEvent(QMouseEvent* e)
{
    if (!Wnd())
        return;
    setFocus();
    QPoint pt = e->position().toPoint();
    UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    View()->SendMessage(msg, e->button() == Qt::RightButton ? MK_RBUTTON : MK_LBUTTON,
                        MAKELPARAM(static_cast<WORD>(pt.x()), static_cast<WORD>(pt.y())));
}

// A second press of the left button within the double-click time: the
// view's double click (a view's own press handler saw the first press).
void ViewWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!Wnd() || e->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    const QPoint pt = e->position().toPoint();
    View()->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(pt.x()), static_cast<WORD>(pt.y())));
}

void ViewWidget::contextMenuEvent(QContextMenuEvent* e)
{
    if (!Wnd())
        return;
    int x = -1, y = -1;
    if (e->reason() != QContextMenuEvent::Keyboard) {
        x = e->globalPos().x();
        y = e->globalPos().y();
    }
    View()->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View()->m_hWnd),
                        MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    e->accept();
}

void ViewWidget::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (Wnd())
        View()->SendMessage(WM_SETFOCUS);
}

void ViewWidget::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (Wnd())
        View()->SendMessage(
            WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(viewport()->width()), static_cast<WORD>(viewport()->height())));
}

namespace {

POINT PointOf(const QPointF& p)
{
    return {static_cast<LONG>(p.x()), static_cast<LONG>(p.y())};
}

DWORD KeyState(Qt::KeyboardModifiers m)
{
    return ((m & Qt::ShiftModifier) ? MK_SHIFT : 0) | ((m & Qt::ControlModifier) ? MK_CONTROL : 0);
}

}  // namespace

void ViewWidget::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e);
}

void ViewWidget::dragMoveEvent(QDragMoveEvent* e)
{
    if (!Wnd())
        return;
    DWORD effect = e->mimeData()->hasText() ? View()->OnDragOver(e->mimeData()->text().toLatin1().toStdString(),
                                                                 KeyState(e->modifiers()), PointOf(e->position()))
                                            : 0;
    if (effect == 0) {
        e->ignore();
        return;
    }
    e->setDropAction(effect & DROPEFFECT_MOVE ? Qt::MoveAction : Qt::CopyAction);
    e->accept();
}

void ViewWidget::dropEvent(QDropEvent* e)
{
    if (!Wnd())
        return;
    if (!e->mimeData()->hasText())
        return;
    DWORD effect = e->dropAction() == Qt::MoveAction ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (View()->OnDrop(e->mimeData()->text().toLatin1().toStdString(), effect, PointOf(e->position())))
        e->acceptProposedAction();
}

// --- Child frames and splitters ------------------------------------------------

ChildFrameWidget::ChildFrameWidget(CFrameWnd* frame) : HostBase(this, frame)
{
    setLayout(new QVBoxLayout);
    layout()->setContentsMargins(0, 0, 0, 0);
    Rebuild();
}

void ChildFrameWidget::WatchFrame(QMdiSubWindow* sub)
{
    sub_ = sub;
    normal_ = sub->geometry();
    sub->installEventFilter(this);
}

bool ChildFrameWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sub_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        !(sub_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
        normal_ = sub_->geometry();
    return QWidget::eventFilter(watched, event);
}

bool ChildFrameWidget::GetPlacement(WINDOWPLACEMENT* out) const
{
    if (!sub_ || !sub_->parentWidget())
        return false;
    *out = WINDOWPLACEMENT{};
    const Qt::WindowStates state = sub_->windowState();
    if (state & Qt::WindowMinimized)
        out->showCmd = SW_SHOWMINIMIZED;
    else if (state & Qt::WindowMaximized)
        out->showCmd = SW_SHOWMAXIMIZED;
    else
        out->showCmd = SW_SHOWNORMAL;  // hidden or not: restoring shows it
    const QRect normal = (state & (Qt::WindowMaximized | Qt::WindowMinimized)) ? normal_ : sub_->geometry();
    const QPoint corner = sub_->parentWidget()->mapToGlobal(normal.topLeft());
    out->rcNormalPosition = {corner.x(), corner.y(), corner.x() + normal.width(), corner.y() + normal.height()};
    return true;
}

bool ChildFrameWidget::SetPlacement(const WINDOWPLACEMENT& p)
{
    if (!sub_ || !sub_->parentWidget())
        return false;
    const RECT& r = p.rcNormalPosition;
    const QPoint corner = sub_->parentWidget()->mapFromGlobal(QPoint(r.left, r.top));
    const QRect normal(corner, QSize(std::max<LONG>(r.Width(), 0), std::max<LONG>(r.Height(), 0)));
    switch (p.showCmd) {
    case SW_HIDE: sub_->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:  // SW_SHOWMINNOACTIVE
        sub_->showNormal();
        sub_->setGeometry(normal);
        sub_->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        sub_->showNormal();
        sub_->setGeometry(normal);
        sub_->showMaximized();
        break;
    default:
        sub_->showNormal();
        sub_->setGeometry(normal);
        break;
    }
    normal_ = normal;
    return true;
}

QWidget* ChildFrameWidget::WidgetFor(CWnd* wnd, QWidget* parent)
{
    if (QWidget* registered = WidgetFactory::Make(wnd, parent))
        return registered;
    if (auto* view = dynamic_cast<CView*>(wnd)) {
        if (view->GetHost())
            if (auto* existing = dynamic_cast<ViewWidget*>(view->GetHost())) {
                existing->setParent(parent);
                return existing;
            }
        return new ViewWidget(view, parent);
    }
    if (auto* split = dynamic_cast<CSplitterWnd*>(wnd)) {
        auto* rows = new QSplitter(Qt::Vertical, parent);
        rows->setObjectName("splitter");
        for (int r = 0; r < split->GetRowCount(); ++r) {
            auto* cols = new QSplitter(Qt::Horizontal, rows);
            for (int c = 0; c < split->GetColumnCount(); ++c)
                if (CWnd* pane = split->GetPane(r, c))
                    cols->addWidget(WidgetFor(pane, cols));
            rows->addWidget(cols);
        }
        struct SplitHost : HostBase {
            SplitHost(QWidget* w, CWnd* s, ChildFrameWidget* owner) : HostBase(w, s), owner(owner) {}
            void Notify(HostEvent e, CWnd*) override
            {
                if (e == HostEvent::Layout)
                    QTimer::singleShot(0, owner, [o = QPointer<ChildFrameWidget>(owner)] {
                        if (o)
                            o->Notify(HostEvent::Layout, nullptr);
                    });
            }
            void Detach() override
            {
                widget_ = nullptr;
                wnd_ = nullptr;
            }
            ChildFrameWidget* owner;
        };
        // The splitter logic's host lives as long as the QSplitter.
        auto* host = new SplitHost(rows, split, this);
        QObject::connect(rows, &QObject::destroyed, [host] { delete host; });
        return rows;
    }
    return nullptr;
}

void ChildFrameWidget::Rebuild()
{
    // Keep the view widgets; drop the old splitter layout.
    QList<QWidget*> old;
    while (QLayoutItem* item = layout()->takeAt(0)) {
        if (item->widget())
            old << item->widget();
        delete item;
    }
    if (!Wnd())
        return;
    for (CWnd* c : Wnd()->Children())
        if (QWidget* w = WidgetFor(c, this))
            layout()->addWidget(w);
    // The old splitter goes now: its host must not outlive the switch.
    for (QWidget* w : old)
        if (w->parent() == this && layout()->indexOf(w) < 0 && !dynamic_cast<ViewWidget*>(w))
            delete w;
}

// The close buttons are WM_CLOSE to the frame's logic: it asks to save a
// changed document and may refuse; when it closes, its window's end takes
// the widget (and the sub-window) away.
namespace {
void CloseThroughLogic(CWnd* wnd, QCloseEvent* event)
{
    event->ignore();
    if (wnd && wnd->m_hWnd)
        wnd->SendMessage(WM_CLOSE);
}
}  // namespace

void ChildFrameWidget::closeEvent(QCloseEvent* event)
{
    if (!Wnd()) {
        QWidget::closeEvent(event);
        return;
    }
    CloseThroughLogic(Wnd(), event);
}

void ChildFrameWidget::Notify(HostEvent event, CWnd*)
{
    if (event == HostEvent::ChildAdded || event == HostEvent::Layout)
        Rebuild();
}

// --- Main frame -----------------------------------------------------------------

MainFrameWidget::MainFrameWidget(CMDIFrameWnd* frame) : HostBase(this, frame), mdi_(new QMdiArea(this))
{
    setObjectName("mainframe");
    mdi_->setObjectName("mdi");
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (syncing_ || !sub || !Wnd())
            return;
        for (auto& [wnd, s] : subs_)
            if (s == sub)
                if (auto* child = dynamic_cast<CMDIChildWnd*>(wnd))
                    Frame()->MDIActivate(child);
    });
    for (CMDIChildWnd* child : frame->MDIChildren())
        AddChild(child);
    RebuildMenus();
    SyncBars();
}

MainFrameWidget::~MainFrameWidget()
{
    // The MDI area tells of activations while it goes down with us.
    mdi_->disconnect(this);
}

QMenu* MainFrameWidget::BuildMenu(CMenu* menu, QWidget* parent)
{
    auto* q = new QMenu(parent);
    auto fill = [this, q, menu] {
        if (!Wnd())
            return;
        Frame()->UpdateWindowMenu(*menu);
        menu->UpdateItems(Frame());
        q->clear();
        for (const auto& item : menu->Items()) {
            if (item.flags & MF_SEPARATOR) {
                q->addSeparator();
            } else if (item.popup) {
                QMenu* sub = BuildMenu(item.popup.get(), q);
                sub->setTitle(Q(item.text));
                q->addMenu(sub);
            } else {
                QString text = Q(item.text);
                QString key;
                int tab = text.indexOf('\t');
                if (tab >= 0) {
                    key = text.mid(tab + 1);
                    text = text.left(tab);
                }
                QAction* a = q->addAction(text);
                a->setObjectName(QString("cmd_%1").arg(item.id));
                if (!key.isEmpty())
                    a->setText(text + "\t" + key);  // shown only: the key filter runs the keys
                a->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
                a->setCheckable(item.flags & MF_CHECKED);
                a->setChecked(item.flags & MF_CHECKED);
                UINT id = item.id;
                connect(a, &QAction::triggered, this, [this, id] {
                    if (Wnd() && Frame()->m_hWnd)
                        Frame()->SendMessage(WM_COMMAND, id, 0);
                });
            }
        }
    };
    connect(q, &QMenu::aboutToShow, q, fill);
    fill();
    return q;
}

void MainFrameWidget::RebuildMenus()
{
    menuBar()->clear();
    for (QMenu* old : menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        old->deleteLater();
    if (!Wnd())
        return;
    auto menu = Frame()->GetShownMenu();
    if (!menu)
        return;
    for (const auto& item : menu->Items()) {
        if (!item.popup)
            continue;
        QMenu* q = BuildMenu(item.popup.get(), menuBar());
        q->setTitle(Q(item.text));
        menuBar()->addMenu(q);
    }
}

bool MainFrameWidget::DrawnByItself(CWnd* about) const
{
    auto* bar = dynamic_cast<CStatusBar*>(about);
    return bar && bar->GetHost() && !bars_.count(bar);
}

void MainFrameWidget::SyncBars()
{
    if (!Wnd())
        return;
    for (CControlBar* bar : Frame()->ControlBars()) {
        // A status bar that brings its own widget (a host) is drawn by it.
        if (dynamic_cast<CStatusBar*>(bar) && bar->GetHost()) {
            bars_.erase(bar);
            continue;
        }
        QWidget*& w = bars_[bar];
        if (auto* tb = dynamic_cast<CToolBar*>(bar)) {
            auto* q = static_cast<QToolBar*>(w);
            if (!q) {
                q = new QToolBar(this);
                q->setObjectName(QString("bar_%1").arg(bar->GetDlgCtrlID()));
                q->setMovable(false);
                addToolBar(q);
                w = q;
            }
            q->clear();
            for (int i = 0; i < tb->GetCount(); ++i) {
                const auto& b = tb->Buttons()[i];
                if (b.style & TBBS_SEPARATOR) {
                    q->addSeparator();
                    continue;
                }
                QString label = Q(b.tip);
                if (label.isEmpty()) {
                    // The button's menu item names it ("&Open...\tCtrl+O" -> "Open").
                    auto menu = Frame()->GetShownMenu();
                    CMenu::Item* item = menu ? menu->FindCommand(b.id) : nullptr;
                    label = item ? Q(item->text.substr(0, item->text.find('\t'))) : QString::number(b.id);
                    label.remove('&');
                    label.remove("...");
                }
                QAction* a = q->addAction(label);
                a->setObjectName(QString("cmd_%1").arg(b.id));
                a->setEnabled(!(b.style & TBBS_DISABLED));
                a->setCheckable(b.style & TBBS_CHECKBOX);
                a->setChecked(b.style & TBBS_CHECKED);
                UINT id = b.id;
                connect(a, &QAction::triggered, this, [this, id] {
                    if (Wnd() && Frame()->m_hWnd)
                        Frame()->SendMessage(WM_COMMAND, id, 0);
                });
            }
            q->setVisible(bar->IsVisible());
        } else if (auto* sb = dynamic_cast<CStatusBar*>(bar)) {
            QStatusBar* q = statusBar();
            q->setObjectName(QString("bar_%1").arg(bar->GetDlgCtrlID()));
            w = q;
            QList<QLabel*> labels = q->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
            if (labels.size() != sb->GetCount()) {
                for (QLabel* l : labels)
                    delete l;
                labels.clear();
                for (int i = 0; i < sb->GetCount(); ++i) {
                    auto* l = new QLabel(q);
                    l->setObjectName(QString("pane_%1").arg(i));
                    if (sb->Panes()[i].style & SBPS_STRETCH)
                        q->addWidget(l, 1);
                    else
                        q->addPermanentWidget(l);
                    labels << l;
                }
            }
            for (int i = 0; i < sb->GetCount(); ++i) {
                const auto& pane = sb->Panes()[i];
                labels[i]->setText(Q(pane.text));
                labels[i]->setEnabled(!(pane.style & SBPS_DISABLED));
                if (pane.width > 0)
                    labels[i]->setMinimumWidth(pane.width);
            }
            q->setVisible(bar->IsVisible());
        }
    }
}

void MainFrameWidget::closeEvent(QCloseEvent* event)
{
    if (!Wnd()) {
        QMainWindow::closeEvent(event);
        return;
    }
    CloseThroughLogic(Wnd(), event);
}

void MainFrameWidget::AddChild(CMDIChildWnd* child)
{
    if (subs_.count(child))
        return;
    auto* client = new ChildFrameWidget(child);
    QMdiSubWindow* sub = mdi_->addSubWindow(client);
    // A child window made with the default rectangle gets the window
    // system's default size, three quarters of the client area: its views
    // come after it, so the size of its contents now would be a title bar.
    // Each further one cascades by a title bar from the last one made, back
    // to the corner when it would leave the client area.
    const QSize area = mdi_->viewport()->size();
    if (!area.isEmpty()) {
        sub->resize(area * 3 / 4);
        const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        QPoint corner = lastPlaced_ ? lastPlaced_->geometry().topLeft() + QPoint(step, step) : QPoint(0, 0);
        if (!QRect(QPoint(0, 0), area).contains(QRect(corner, sub->size())))
            corner = QPoint(0, 0);
        sub->move(corner);
        lastPlaced_ = sub;
    }
    sub->setObjectName(QString("child_%1").arg(subs_.size() + 1));
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(Q(child->GetWindowText()));
    client->WatchFrame(sub);
    subs_[child] = sub;
    connect(client, &QObject::destroyed, sub, &QObject::deleteLater);
}

void MainFrameWidget::Notify(HostEvent event, CWnd* about)
{
    switch (event) {
    case HostEvent::ChildAdded:
        if (auto* child = dynamic_cast<CMDIChildWnd*>(about))
            AddChild(child);
        else if (dynamic_cast<CControlBar*>(about))
            SyncBars();
        break;
    case HostEvent::ChildRemoved: subs_.erase(about); break;
    case HostEvent::ChildActivated:
        if (auto it = subs_.find(about); it != subs_.end()) {
            syncing_ = true;
            it->second->show();
            mdi_->setActiveSubWindow(it->second);
            syncing_ = false;
        }
        break;
    case HostEvent::MenuChanged:
        RebuildMenus();
        SyncBars();
        break;
    case HostEvent::BarsChanged:
        // A status bar's text changes at every stop; its widget shows it.
        if (!DrawnByItself(about))
            SyncBars();
        break;
    case HostEvent::Cascade: mdi_->cascadeSubWindows(); break;
    case HostEvent::TileHorizontal:
    case HostEvent::TileVertical: mdi_->tileSubWindows(); break;
    default: break;
    }
}

}  // namespace platform::qt
