#include "popup_tip_widget.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "platform/qt/cell_painter.h"
#include "platform/qt/widget_factory.h"

namespace textbase::qt {

namespace {

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// A window without a font of its own draws in the system's variable font.
QFont TipFont()
{
    platform::FontSpec spec;
    spec.family = "DejaVu Sans";
    spec.pixelSize = 12;
    spec.fixed = false;
    return platform::qt::MakeFont(spec);
}

const platform::qt::WidgetRegistrar kTipWidgets(RUNTIME_CLASS(CPopupTipWnd), [](CWnd* wnd, QWidget* parent) {
    auto* tip = static_cast<CPopupTipWnd*>(wnd);
    // The logic may have been placed and shown before its widget existed.
    const bool shown = tip->IsWindowVisible() != FALSE;
    auto* widget = new PopupTipWidget(tip, parent);
    widget->SetScreenRect(tip->TipRect());
    if (shown)
        widget->ShowWindow(SW_SHOWNOACTIVATE);
    return static_cast<QWidget*>(widget);
});

}  // namespace

PopupTipWidget::PopupTipWidget(CPopupTipWnd* tip, QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), HostBase(this, tip)
{
    setObjectName("popup_tip");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(TipFont());
}

int PopupTipWidget::TextWidth(const std::string& line) const
{
    return QFontMetrics(font()).horizontalAdvance(Latin1(line));
}

int PopupTipWidget::LineHeight() const
{
    return QFontMetrics(font()).height();
}

void PopupTipWidget::SetScreenRect(const RECT& rect)
{
    const QRect r(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
    setGeometry(isWindow() || !parentWidget() ? r : QRect(parentWidget()->mapFromGlobal(r.topLeft()), r.size()));
    update();
}

void PopupTipWidget::ShowWindow(int cmd)
{
    if (cmd == SW_HIDE) {
        hide();
        return;
    }
    show();  // a tool-tip window stays above its owner
}

void PopupTipWidget::EmbedIn(QWidget* window)
{
    const QRect global = isWindow() ? geometry() : QRect(mapToGlobal(QPoint(0, 0)), size());
    hide();
    destroy();  // its own top-level window goes; it lives in `window` now
    setParent(window, Qt::Widget);
    setGeometry(QRect(window->mapFromGlobal(global.topLeft()), global.size()));
    show();
}

void PopupTipWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QString text = Tip() ? Latin1(Tip()->PaintText()) : QString();
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));  // WS_BORDER
    p.setFont(font());
    p.drawText(rect(), Qt::AlignHCenter | Qt::AlignVCenter, text);
}

}  // namespace textbase::qt
