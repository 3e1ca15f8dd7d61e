#include "mainframe/qt/frame_input_relay.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/qt/hosts.h"
#include "platform/win_app.h"

namespace mainframe::qt {

namespace {

LPARAM PointParam(QPoint p)
{
    return MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y()));
}

UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button)
{
    if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton)
        return 0;
    const int column = button == Qt::RightButton ? 1 : button == Qt::MiddleButton ? 2 : 0;
    // Down, up and double click of the left, right and middle buttons (the
    // middle button's double click has no message here).
    static constexpr UINT kMessages[3][3] = {
        {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN},
        {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP},
        {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, 0},
    };
    switch (type) {
    case QEvent::MouseButtonPress: return kMessages[0][column];
    case QEvent::MouseButtonRelease: return kMessages[1][column];
    case QEvent::MouseButtonDblClick: return kMessages[2][column];
    default: return 0;
    }
}

WPARAM KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

}  // namespace

FrameInputRelay::FrameInputRelay(QWidget* window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

FrameInputRelay::~FrameInputRelay()
{
    qApp->removeEventFilter(this);
}

bool FrameInputRelay::MessageOf(QWidget* widget, QEvent* event, HWND frame, MSG& msg)
{
    UINT message = 0;
    QPointF global;
    WPARAM flags = 0;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        message = event->type() == QEvent::MouseMove ? WM_MOUSEMOVE : ButtonMessage(event->type(), e->button());
        global = e->globalPosition();
        flags = KeyFlags(e->buttons(), e->modifiers());
        break;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        message = WM_MOUSEWHEEL;
        global = e->globalPosition();
        flags = MAKEWPARAM(KeyFlags(e->buttons(), e->modifiers()),
                           static_cast<WORD>(static_cast<short>(e->angleDelta().y())));
        break;
    }
    default: return false;
    }
    if (message == 0)
        return false;
    const QPoint screen = global.toPoint();
    // The window under the pointer: the nearest widget that hosts one.
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        auto* host = dynamic_cast<platform::qt::HostBase*>(w);
        if (!host || !host->Wnd() || !host->Wnd()->m_hWnd)
            continue;
        // A view's client area is its scroll area's viewport.
        QWidget* client = w;
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
            client = area->viewport();
        const QPoint point = client->mapFromGlobal(screen);
        // The wheel's point is a screen point, as WM_MOUSEWHEEL has it.
        msg = MSG{host->Wnd()->m_hWnd, message, flags, PointParam(message == WM_MOUSEWHEEL ? screen : point), 0};
        return true;
    }
    // Over the frame's own parts (bars, borders): a non-client move.
    if (message != WM_MOUSEMOVE || !frame)
        return false;
    msg = MSG{frame, WM_NCMOUSEMOVE, 0, PointParam(screen), 0};
    return true;
}

bool FrameInputRelay::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: break;
    default: return false;
    }
    // An event no widget accepted goes on to the parent: one message for it.
    const auto* input = static_cast<QInputEvent*>(event);
    if (input == lastEvent_ && input->timestamp() == lastTimestamp_ && event->type() == lastType_)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only widgets of the main window (a QWindow sees the event first: its
    // widget gets it next).
    if (!widget || (widget != window_ && !window_->isAncestorOf(widget)))
        return false;
    CWinApp* app = AfxGetApp();
    auto* frame = app ? dynamic_cast<CWnd*>(app->m_pMainWnd) : nullptr;
    if (!frame || !frame->m_hWnd)
        return false;
    MSG msg{};
    if (!MessageOf(widget, event, frame->m_hWnd, msg))
        return false;
    lastEvent_ = input;
    lastTimestamp_ = input->timestamp();
    lastType_ = event->type();
    return app->PreTranslateMessage(&msg) != FALSE;
}

}  // namespace mainframe::qt
