// The widget of the text views: the window layer's self-drawn view with the
// text view's own font, the 2-pixel caret and the margin cursor drawn by
// code, mouse moves, releases, double clicks and the wheel, keys with their
// characters (tab and Enter too) and the standard edit keys.
#pragma once

#include <QRegion>
#include <QTimer>

#include "base_view.h"
#include "platform/qt/hosts.h"

namespace textbase::qt {

class BaseViewWidget : public platform::qt::ViewWidget, public TextWindowHost {
public:
    explicit BaseViewWidget(CBaseView* view, QWidget* parent = nullptr);
    CBaseView* BaseView() const { return static_cast<CBaseView*>(Wnd()); }
    const platform::qt::CellPainter& TextPainter() const { return painter_; }

    SIZE CellSize() const override { return {painter_.Cell().width(), painter_.Cell().height()}; }
    void CaretChanged() override;
    POINT CursorPos() const override { return pointer_; }
    void FontChanged(const platform::FontSpec& font) override;
    void Invalidate() override;
    void UpdateNow() override;
    void ScrollContents(int dx, int dy, const RECT* area) override;
    void InvalidateRect(const RECT& rect) override;
    // A window the view made (its tip) gets its registered widget.
    void Notify(platform::HostEvent event, CWnd* about) override;

    // The cursor of the icon strip (resource 163), drawn by code.
    static QCursor MarginCursor();

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    // Tab is a character of the text, not a move to the next widget.
    bool focusNextPrevChild(bool) override { return false; }

private:
    // An area to repaint: UpdateNow paints what gathered since the last paint.
    void Dirty(const QRect& area);
    void SendMouse(UINT msg, QMouseEvent* e);
    void SetCursorShape();
    platform::qt::CellPainter painter_;
    POINT pointer_;
    QRect caretRect_;
    QRegion dirty_;
};

// Installs the runner that shows the find and replace dialog on widgets
// (modeless, beside the main window). The library installs it when it is
// loaded; tests that put another runner in place call it to restore it.
void InstallFindDialogRunner();

}  // namespace textbase::qt
