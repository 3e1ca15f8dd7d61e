#include <QApplication>

#include "lathris/qt/widgets.h"

namespace lathris::qt {
namespace {

// The version QMainWindow keeps in its layout bytes.
constexpr int kLayoutVersion = 1;

Qt::DockWidgetArea AreaOf(DWORD side)
{
    switch (side) {
    case CBRS_ALIGN_RIGHT: return Qt::RightDockWidgetArea;
    case CBRS_ALIGN_TOP: return Qt::TopDockWidgetArea;
    case CBRS_ALIGN_BOTTOM: return Qt::BottomDockWidgetArea;
    default: return Qt::LeftDockWidgetArea;
    }
}

}  // namespace

LathrisFrameWidget::LathrisFrameWidget(CCJMDIFrameWnd* frame) : MainFrameWidget(frame)
{
    frame->m_Impl.SetLayoutHost(this);
    SyncLathrisBars();
    for (CWnd* c : frame->Children())
        if (auto* mini = dynamic_cast<CMiniFrameWnd*>(c))
            Notify(HostEvent::ChildAdded, mini);
}

LathrisFrameWidget::~LathrisFrameWidget()
{
    if (Wnd() && Frame()->m_Impl.GetLayoutHost() == this)
        Frame()->m_Impl.SetLayoutHost(nullptr);
    for (auto& [frame, w] : floating_)
        delete w.data();
}

void LathrisFrameWidget::SyncLathrisBars()
{
    if (!Wnd())
        return;
    std::map<CControlBar*, QPointer<QWidget>> seen;
    for (CControlBar* bar : Frame()->ControlBars()) {
        QPointer<QWidget> w = lathrisBars_.count(bar) ? lathrisBars_[bar] : nullptr;
        if (auto* tb = dynamic_cast<CBCGToolBar*>(bar)) {
            auto* q = static_cast<ToolBarWidget*>(w.data());
            if (!q) {
                q = new ToolBarWidget(tb, Frame(), this);
                addToolBar(q);
                w = q;
            }
            q->Sync();
        } else if (auto* cool = dynamic_cast<CCoolBar*>(bar)) {
            auto* q = static_cast<CoolBarWidget*>(w.data());
            if (!q) {
                q = new CoolBarWidget(cool, Frame(), this);
                addToolBar(Qt::TopToolBarArea, q);
                w = q;
            }
            q->Sync();
        } else if (auto* tab = dynamic_cast<CCJTabCtrlBar*>(bar)) {
            auto* q = static_cast<TabBarWidget*>(w.data());
            if (!q) {
                q = new TabBarWidget(tab, this);
                addDockWidget(AreaOf(tab->GetDockedSide()), q);
                w = q;
            } else if (dockWidgetArea(q) != AreaOf(tab->GetDockedSide()) && !q->isFloating()) {
                addDockWidget(AreaOf(tab->GetDockedSide()), q);
            }
            q->setVisible(bar->IsVisible());
        } else {
            continue;
        }
        seen[bar] = w;
    }
    // Bars the frame no longer has (a deleted user bar).
    for (auto& [bar, w] : lathrisBars_)
        if (!seen.count(bar) && w)
            w->deleteLater();
    lathrisBars_ = std::move(seen);
}

void LathrisFrameWidget::Notify(HostEvent event, CWnd* about)
{
    auto* mini = dynamic_cast<CMiniFrameWnd*>(about);
    if (mini && event == HostEvent::ChildAdded) {
        if (!floating_[mini]) {
            auto* w = new FloatingFrameWidget(mini, this);
            floating_[mini] = w;
            w->show();
        }
        return;
    }
    if (mini && event == HostEvent::ChildRemoved) {
        floating_.erase(mini);
        return;
    }
    MainFrameWidget::Notify(event, about);
    if (event == HostEvent::ChildAdded || event == HostEvent::MenuChanged ||
        (event == HostEvent::BarsChanged && !DrawnByItself(about)))
        SyncLathrisBars();
    if (event == HostEvent::MenuChanged)
        for (auto& [bar, w] : lathrisBars_)
            if (auto* tb = dynamic_cast<ToolBarWidget*>(w.data()))
                tb->Rebuild();
}

std::string LathrisFrameWidget::SaveLayout()
{
    QByteArray bytes = saveState(kLayoutVersion);
    return bytes.toStdString();
}

bool LathrisFrameWidget::RestoreLayout(const std::string& bytes)
{
    return restoreState(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), kLayoutVersion);
}

ToolBarWidget* LathrisFrameWidget::ToolBarOf(UINT id) const
{
    for (auto& [bar, w] : lathrisBars_)
        if (bar->GetDlgCtrlID() == id)
            return dynamic_cast<ToolBarWidget*>(w.data());
    return nullptr;
}

TabBarWidget* LathrisFrameWidget::TabBarOf(UINT id) const
{
    for (auto& [bar, w] : lathrisBars_)
        if (bar->GetDlgCtrlID() == id)
            return dynamic_cast<TabBarWidget*>(w.data());
    return nullptr;
}

FloatingFrameWidget* LathrisFrameWidget::FloatingOf(CFrameWnd* frame) const
{
    auto it = floating_.find(frame);
    return it == floating_.end() ? nullptr : it->second.data();
}

}  // namespace lathris::qt
