// The pointer's messages through the application's PreTranslateMessage:
// Qt hands mouse events straight to the widgets, so the frame's relays (the
// text views' data tips above all) would never see a mouse move or a click.
// The relay watches the application's events and, for each mouse move,
// button or wheel event on a widget of the main window, builds the message
// the window under the pointer gets and lets the application see it first,
// as the message loop does before every dispatch.
#pragma once

#include <QEvent>
#include <QObject>

#include "platform/win32.h"

class QInputEvent;
class QWidget;

namespace mainframe::qt {

class FrameInputRelay : public QObject {
public:
    // Watches the application's events for `window` (the main frame's
    // widget), which owns the relay.
    explicit FrameInputRelay(QWidget* window);
    ~FrameInputRelay() override;

    // The message a mouse event on `widget` stands for: the window of the
    // nearest host (its client coordinates), or WM_NCMOUSEMOVE and the
    // screen point for the frame itself; false for other events.
    static bool MessageOf(QWidget* widget, QEvent* event, HWND frame, MSG& msg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    // The event last relayed, while Qt offers it to the parents.
    const QInputEvent* lastEvent_ = nullptr;
    quint64 lastTimestamp_ = 0;
    QEvent::Type lastType_ = QEvent::None;
};

}  // namespace mainframe::qt
