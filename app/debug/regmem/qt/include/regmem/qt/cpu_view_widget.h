// The register view on Qt: replays the view's drawing (fills and texts in
// client pixels), turns mouse and scroll events into the view's messages,
// and shows the auto-sizing edit over the cell while the view edits in
// place (Escape drops the edit, Enter or leaving the field writes it).
#pragma once

#include <QScrollBar>
#include <QWidget>

#include <platform/qt/hosts.h>

#include "regmem/cpu_view.h"
#include "regmem/qt/auto_size_edit.h"

namespace regmem::qt {

class CpuViewWidget : public QWidget, public platform::qt::HostBase {
public:
    explicit CpuViewWidget(CCpuView* view, QWidget* parent = nullptr);
    CCpuView* View() const { return static_cast<CCpuView*>(Wnd()); }
    AutoSizeEdit* InPlaceEdit() const { return edit_; }

    void Invalidate() override;
    RECT GetClientRect() const override;
    SIZE CellSize() const override;
    void SetScrollInfo(int bar, const SCROLLINFO& info) override;
    SCROLLINFO GetScrollInfo(int bar) const override { return info_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    void SyncEdit();
    AutoSizeEdit* edit_;
    QScrollBar* bar_;
    SCROLLINFO info_;
};

}  // namespace regmem::qt
