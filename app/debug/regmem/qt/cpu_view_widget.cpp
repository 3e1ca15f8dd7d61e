#include "regmem/qt/cpu_view_widget.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include <platform/gdi.h>
#include <platform/qt/cell_painter.h>
#include <platform/qt/widget_factory.h>

namespace regmem::qt {

namespace {

// The register tabs of a register window get this widget.
const platform::qt::WidgetRegistrar kRegisterViewWidgets(RUNTIME_CLASS(CCpuView), [](CWnd* wnd, QWidget* parent) {
    return static_cast<QWidget*>(new CpuViewWidget(static_cast<CCpuView*>(wnd), parent));
});

// The stock variable-pitch font of the grid.
QFont GridFont()
{
    platform::FontSpec spec;
    spec.family = "DejaVu Sans";
    spec.pixelSize = 12;
    spec.fixed = false;
    return platform::qt::MakeFont(spec);
}

}  // namespace

CpuViewWidget::CpuViewWidget(CCpuView* view, QWidget* parent)
    : QWidget(parent), HostBase(this, view), edit_(new AutoSizeEdit(this)), bar_(new QScrollBar(Qt::Horizontal, this))
{
    setFont(GridFont());
    edit_->setFont(font());
    edit_->setFrame(false);
    edit_->hide();
    bar_->hide();
    setFocusPolicy(Qt::StrongFocus);
    // The view's paint fills its client area, and the scroll bar paints
    // the rest: a refresh repaints the grid alone, not the tabs and the
    // frame behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    edit_->onEscape = [this] {
        if (Wnd())
            View()->CancelEdit();
        SyncEdit();
    };
    connect(edit_, &QLineEdit::editingFinished, this, [this] {
        if (Wnd() && View()->Edit().visible)
            View()->EndEdit(edit_->text().toStdString());
        SyncEdit();
    });
    connect(bar_, &QScrollBar::actionTriggered, this, [this](int action) {
        if (!Wnd())
            return;
        UINT code = SB_ENDSCROLL;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINERIGHT; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINELEFT; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGERIGHT; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGELEFT; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBPOSITION; break;
        default: break;
        }
        View()->SendMessage(WM_HSCROLL, code, 0);
        bar_->setSliderPosition(info_.nPos);
    });
}

void CpuViewWidget::Invalidate()
{
    // The grid's area (the scroll bar below it changes only with its
    // range), or the cells a refresh changed.
    const RECT client = GetClientRect();
    const QRect grid(0, 0, client.right, client.bottom);
    QRegion cells;
    if (Wnd())
        for (const RECT& r : View()->RefreshedCells())
            cells += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (cells.isEmpty())
        update(grid);
    else
        update(cells & grid);
    SyncEdit();
}

RECT CpuViewWidget::GetClientRect() const
{
    const int barHeight = bar_->isVisible() ? bar_->height() : 0;
    return {0, 0, width(), height() - barHeight};
}

SIZE CpuViewWidget::CellSize() const
{
    const QFontMetrics m(font());
    return {m.averageCharWidth(), m.height()};
}

void CpuViewWidget::SetScrollInfo(int bar, const SCROLLINFO& info)
{
    if (bar != SB_HORZ)
        return;
    info_ = info;
    bar_->setRange(0, info.nMax);
    bar_->setValue(info.nPos);
    bar_->setVisible(info.nMax > 0);
}

void CpuViewWidget::SyncEdit()
{
    if (!Wnd() || !View()->Edit().visible) {
        edit_->hide();
        return;
    }
    const auto& e = View()->Edit();
    // A running edit keeps the width its text has grown it to.
    int width = e.rect.Width();
    if (edit_->isVisible()) {
        width = std::max(width, edit_->width());
    } else {
        edit_->setGeometry(e.rect.left, e.rect.top, width, e.rect.Height());
        edit_->setMaxLength(e.limit);
        edit_->setText(QString::fromStdString(e.text));
        edit_->selectAll();
        width = std::max(width, edit_->width());
    }
    edit_->setGeometry(e.rect.left, e.rect.top, width, e.rect.Height());
    edit_->show();
    edit_->setFocus();
}

void CpuViewWidget::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    if (!Wnd()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    platform::CDC dc;
    View()->Paint(dc);
    const QFontMetrics metrics(font());
    const int ascent = metrics.ascent();
    const QRegion& dirty = event->region();
    for (const auto& op : dc.Ops()) {
        if (op.kind == platform::CDC::Op::Fill) {
            p.fillRect(QRect(QPoint(op.x, op.y), QPoint(op.x2 - 1, op.y2 - 1)), platform::qt::ToQColor(op.bg));
        } else if (op.kind == platform::CDC::Op::Text) {
            // Texts of cells outside the repainted area are not laid out.
            const int width = static_cast<int>(op.text.size()) * metrics.maxWidth() + 1;
            if (!dirty.intersects(QRect(op.x, op.y, width, metrics.height())))
                continue;
            p.setPen(platform::qt::ToQColor(op.fg));
            p.drawText(op.x, op.y + ascent, QString::fromLatin1(op.text.c_str()));
        }
    }
}

void CpuViewWidget::mousePressEvent(QMouseEvent* e)
{
    if (!Wnd())
        return;
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton)
        View()->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(pt.x(), pt.y()));
}

void CpuViewWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!Wnd())
        return;
    const QPoint pt = e->position().toPoint();
    View()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(pt.x(), pt.y()));
    SyncEdit();
}

void CpuViewWidget::resizeEvent(QResizeEvent*)
{
    bar_->setGeometry(0, height() - bar_->sizeHint().height(), width(), bar_->sizeHint().height());
    if (Wnd())
        View()->SendMessage(WM_SIZE, 0, MAKELPARAM(width(), height()));
}

void CpuViewWidget::contextMenuEvent(QContextMenuEvent* e)
{
    if (!Wnd())
        return;
    // The view's handler takes a screen position, as the menu opens there.
    const QPoint at = e->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 0)) : e->globalPos();
    View()->OnContextMenu({at.x(), at.y()});
}

}  // namespace regmem::qt
