// The tip window's widget: a top-level tool-tip window that never takes the
// focus and shows without activation, a white box with a one-pixel border
// and the tip's text centred, in the dialog font (DejaVu Sans 12 px).
// Registered with the window layer's WidgetFactory for `CPopupTipWnd`; the
// text views' widget makes it for the tip of its view.
#pragma once

#include <QWidget>

#include "platform/qt/hosts.h"
#include "popup_tip_wnd.h"

namespace textbase::qt {

class PopupTipWidget : public QWidget, public platform::qt::HostBase, public PopupTipHost {
public:
    PopupTipWidget(CPopupTipWnd* tip, QWidget* parent);
    CPopupTipWnd* Tip() const { return static_cast<CPopupTipWnd*>(Wnd()); }

    int TextWidth(const std::string& line) const override;
    int LineHeight() const override;
    void SetScreenRect(const RECT& rect) override;
    void ShowWindow(int cmd) override;

    // For pictures of a view with its tip: the tip becomes a child of
    // `window` at its place on the screen (offscreen grabs hold one window).
    void EmbedIn(QWidget* window);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace textbase::qt
