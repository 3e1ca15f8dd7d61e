#include "shell/qt/status_bar_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace shell::qt {

namespace {

constexpr int kGrip = 16;  // the size grip at the right end
constexpr int kGap = 2;

// Pane widths are given for the narrow stock font of the original screens;
// our 12-pixel DejaVu Sans runs about a third wider.
int Scaled(int width)
{
    return width <= 1 ? width : width * 4 / 3;
}

QColor Colour(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

StatusBarWidget::StatusBarWidget(CSuperStatusBar* bar, QWidget* parent) : QWidget(parent), HostBase(this, bar)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    setFont(f);
    setMinimumHeight(22);
    // The logic's pane texts also change through the plain status bar
    // calls: a light poll of its revision catches those.
    startTimer(100);
}

std::vector<QRect> StatusBarWidget::PaneRects() const
{
    std::vector<QRect> rects;
    const auto& panes = Bar()->Panes();
    int fixed = 0;
    for (size_t i = 0; i < panes.size(); ++i)
        if (!(panes[i].style & platform::SBPS_STRETCH))
            fixed += Scaled(panes[i].width) + kGap;
    int stretch = std::max(0, width() - kGrip - fixed - kGap);
    int x = kGap;
    for (const auto& p : panes) {
        int w = (p.style & platform::SBPS_STRETCH) ? stretch : Scaled(p.width);
        rects.emplace_back(x, 2, w, height() - 4);
        x += w + kGap;
    }
    return rects;
}

int StatusBarWidget::PaneAt(QPoint point) const
{
    auto rects = PaneRects();
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].contains(point))
            return static_cast<int>(i);
    return -1;
}

void StatusBarWidget::timerEvent(QTimerEvent*)
{
    if (Wnd() && Bar()->Revision() != seen_)
        update();
}

void StatusBarWidget::paintEvent(QPaintEvent* event)
{
    if (!Wnd())
        return;
    seen_ = Bar()->Revision();
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const auto& panes = Bar()->Panes();
    auto rects = PaneRects();
    QFontMetrics fm(font());
    for (size_t i = 0; i < panes.size(); ++i) {
        const auto& pane = panes[i];
        QRect r = rects[i];
        if (pane.id == 0 && i != 0)
            continue;  // a separator: no borders
        if (!(pane.style & platform::SBPS_NOBORDERS)) {
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
        QRect text = r.adjusted(3, 0, -2, 0);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(pane.text));
        if (pane.progress >= 0) {
            int caption = pane.text.empty() ? 0 : fm.horizontalAdvance(QString::fromStdString(pane.text));
            RECT pr = ProgressPlacement({r.left(), r.top(), r.right() + 1, r.bottom() + 1}, caption,
                                        fm.horizontalAdvance(' '), 90);
            QRect bar(pr.left, pr.top, pr.right - pr.left, pr.bottom - pr.top);
            p.setPen(palette().color(QPalette::Mid));
            p.setBrush(palette().base());
            p.drawRect(bar.adjusted(0, 0, -1, -1));
            p.fillRect(QRect(bar.left() + 1, bar.top() + 1, (bar.width() - 2) * pane.progress / 100, bar.height() - 2),
                       palette().highlight());
            p.setBrush(Qt::NoBrush);
        }
    }
    // The message pane's pieces, left to right, clipped to the pane.
    if (!rects.empty()) {
        auto pieces = Bar()->VisiblePieces();
        p.save();
        p.setClipRect(rects[0]);
        int x = rects[0].left() + 3;
        for (const auto& piece : pieces) {
            p.setPen(piece.highlight ? QColor(255, 0, 0) : QColor(0, 0, 0));
            QString s = QString::fromStdString(piece.text);
            p.drawText(QRect(x, rects[0].top(), 10000, rects[0].height()), Qt::AlignVCenter | Qt::AlignLeft, s);
            x += fm.horizontalAdvance(s);
        }
        p.restore();
    }
    // The tint: the pen colour merged (OR) into every row of the update area.
    if (Bar()->IsTinted()) {
        p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        p.fillRect(event->rect(), Colour(kRunningTint));
    }
}

void StatusBarWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!Wnd())
        return;
    QPoint global = e->globalPosition().toPoint();
    Bar()->OnPaneDoubleClick(PaneAt(e->position().toPoint()), POINT{global.x(), global.y()});
}

}  // namespace shell::qt
