// The report list of the breakpoint list window: the rows of a CBkptView
// in a grid with the state images of bitmap 135; selection, double click
// and the context menu go to the view.
#pragma once

#include <QTableWidget>

#include "platform/qt/hosts.h"

namespace sarvik::ui {
class CBkptView;
}

namespace sarvik::qt {

class BkptListWidget : public QTableWidget, public platform::qt::HostBase {
public:
    BkptListWidget(sarvik::ui::CBkptView* view, QWidget* parent = nullptr);
    // Rows again from the view.
    void Invalidate() override;
    void InvalidateRows(int, int) override { Invalidate(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    sarvik::ui::CBkptView* View() const;
    bool filling_ = false;
};

// Image `index` (0 none, 1 disabled, 2 enabled) of bitmap 135, yellow
// masked out.
QPixmap StateImage(int index);

}  // namespace sarvik::qt
