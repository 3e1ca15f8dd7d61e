// The status bar's widget: panes with their texts, the message pane's
// coloured text pieces, the progress control of a pane, and the tint while
// the target runs (every pixel OR-ed with RGB(0x7F,0x7F,0)). A double click
// goes to the bar's logic with the pane under the pointer.
#pragma once

#include <QWidget>

#include "platform/qt/hosts.h"
#include "shell/status_bar.h"

namespace shell::qt {

class StatusBarWidget : public QWidget, public platform::qt::HostBase {
public:
    explicit StatusBarWidget(CSuperStatusBar* bar, QWidget* parent = nullptr);
    CSuperStatusBar* Bar() const { return static_cast<CSuperStatusBar*>(Wnd()); }
    // The rectangles of the panes in widget co-ordinates.
    std::vector<QRect> PaneRects() const;
    int PaneAt(QPoint point) const;
    QSize sizeHint() const override { return {640, 22}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    unsigned seen_ = ~0u;
};

}  // namespace shell::qt
