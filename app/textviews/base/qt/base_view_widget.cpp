#include "base_view_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include "emu_messages.h"
#include "find_dialog.h"
#include "platform/messages.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/widget_factory.h"

namespace textbase::qt {

using platform::qt::CellPainter;
using platform::qt::CellSizeOf;
using platform::qt::MakeFont;
using platform::qt::ToQColor;

namespace {

CellPainter PainterFor(const platform::FontSpec& spec)
{
    QFont font = MakeFont(spec);
    return CellPainter(font, CellSizeOf(font));
}

LPARAM PointParam(QPoint p)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x())), static_cast<WORD>(static_cast<short>(p.y())));
}

void TrackModifiers(Qt::KeyboardModifiers m)
{
    platform::SetKeyDown(VK_SHIFT, (m & Qt::ShiftModifier) != 0);
    platform::SetKeyDown(VK_CONTROL, (m & Qt::ControlModifier) != 0);
}

// Every text view (and every class derived from it) that a child frame
// shows gets this widget: its caret, font and keys.
const platform::qt::WidgetRegistrar kTextViewWidgets(RUNTIME_CLASS(CBaseView), [](CWnd* wnd, QWidget* parent) {
    return static_cast<QWidget*>(new BaseViewWidget(static_cast<CBaseView*>(wnd), parent));
});

// The find and replace dialog of the views shows on widgets as soon as the
// views have theirs (without a runner it would run on controls in memory,
// never seen).
[[maybe_unused]] const bool kFindDialogOnWidgets = (InstallFindDialogRunner(), true);

}  // namespace

BaseViewWidget::BaseViewWidget(CBaseView* view, QWidget* parent)
    : ViewWidget(view, parent, view->ScreenFontSpec()), painter_(PainterFor(view->ScreenFontSpec()))
{
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // The tip made with the view's window, before this widget existed.
    if (CPopupTipWnd* tip = view->TipWindow())
        platform::qt::WidgetFactory::Make(tip, this);
}

void BaseViewWidget::Notify(platform::HostEvent event, CWnd* about)
{
    if (event == platform::HostEvent::ChildAdded && dynamic_cast<CPopupTipWnd*>(about))
        platform::qt::WidgetFactory::Make(about, this);
    else
        ViewWidget::Notify(event, about);
}

void BaseViewWidget::Dirty(const QRect& area)
{
    dirty_ += area;
    viewport()->update(area);
}

void BaseViewWidget::Invalidate()
{
    Dirty(viewport()->rect());
}

void BaseViewWidget::CaretChanged()
{
    Dirty(caretRect_);
    CBaseView* view = BaseView();
    if (!view)
        return;
    caretRect_ = QRect(view->caretX, view->caretY, 2, painter_.Cell().height());
    Dirty(caretRect_);
}

void BaseViewWidget::FontChanged(const platform::FontSpec& font)
{
    painter_ = PainterFor(font);
    Invalidate();
}

void BaseViewWidget::UpdateNow()
{
    // As a window's update paints its invalid area: what was invalidated
    // since the last paint, not the whole view.
    if (!dirty_.isEmpty())
        viewport()->repaint(dirty_);
}

void BaseViewWidget::ScrollContents(int, int, const RECT*)
{
    // Repainting costs one page of cells: no need to move pixels.
    Invalidate();
}

void BaseViewWidget::InvalidateRect(const RECT& r)
{
    Dirty(QRect(r.left, r.top, r.Width(), r.Height()));
}

void BaseViewWidget::paintEvent(QPaintEvent* event)
{
    dirty_ = QRegion();
    QPainter p(viewport());
    CBaseView* view = BaseView();
    if (!view) {
        p.fillRect(viewport()->rect(), Qt::white);
        return;
    }
    CDC dc;
    view->OnDraw(&dc);
    CellColors base{};
    for (const auto& op : dc.Ops())
        if (op.kind == CDC::Op::Cells && !op.cells.formats.empty())
            base = op.cells.formats[0];
    p.fillRect(viewport()->rect(), ToQColor(base.bg));
    platform::qt::ReplayDC(p, dc, painter_, viewport()->width(), event->region());
    if (view->caretVisible && view->hasFocus && hasFocus()) {
        caretRect_ = QRect(view->caretX, view->caretY, 2, painter_.Cell().height());
        p.fillRect(caretRect_, ToQColor(base.fg));
    }
}

void BaseViewWidget::keyPressEvent(QKeyEvent* e)
{
    CBaseView* view = BaseView();
    if (!view)
        return;
    TrackModifiers(e->modifiers());
    const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl) {
        // The standard edit keys when no accelerator table took them first.
        UINT command = 0;
        switch (e->key()) {
        case Qt::Key_C:
        case Qt::Key_Insert: command = ID_EDIT_COPY; break;
        case Qt::Key_X: command = ID_EDIT_CUT; break;
        case Qt::Key_V: command = ID_EDIT_PASTE; break;
        case Qt::Key_Z: command = ID_EDIT_UNDO; break;
        case Qt::Key_F: command = ID_EDIT_FIND; break;
        case Qt::Key_H: command = ID_EDIT_REPLACE; break;
        default: break;
        }
        if (command) {
            view->SendMessage(WM_COMMAND, command, 0);
            e->accept();
            return;
        }
    }
    if (e->key() == Qt::Key_F3) {
        view->SendMessage(WM_COMMAND, ID_EDIT_FIND_NEXT, 0);
        e->accept();
        return;
    }
    const int vk = platform::qt::KeyFilter::VirtualKey(e->key());
    if (vk)
        view->SendMessage(WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    if (!ctrl && view->GetSafeHwnd()) {
        const QString text = e->text();
        const ushort ch = text.isEmpty() ? 0 : text[0].unicode();
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            view->SendMessage(WM_CHAR, '\r', 1);
        else if (e->key() == Qt::Key_Tab)
            view->SendMessage(WM_CHAR, '\t', 1);
        else if (ch >= 0x20 && ch < 0x100 && ch != 0x7F)
            view->SendMessage(WM_CHAR, ch, 1);
    }
    e->accept();
}

void BaseViewWidget::keyReleaseEvent(QKeyEvent* e)
{
    TrackModifiers(e->modifiers());
    ViewWidget::keyReleaseEvent(e);
}

void BaseViewWidget::SendMouse(UINT msg, QMouseEvent* e)
{
    CBaseView* view = BaseView();
    if (!view)
        return;
    const QPoint p = e->position().toPoint();
    pointer_ = {p.x(), p.y()};
    TrackModifiers(e->modifiers());
    WPARAM flags = (e->buttons() & Qt::LeftButton) ? MK_LBUTTON : 0;
    if (e->modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier)
        flags |= MK_CONTROL;
    view->SendMessage(msg, flags, PointParam(p));
}

void BaseViewWidget::SetCursorShape()
{
    CBaseView* view = BaseView();
    if (!view)
        return;
    view->SendMessage(WM_SETCURSOR, 0, 0);
    switch (view->cursorShape) {
    case 163: viewport()->setCursor(MarginCursor()); break;
    case 0: viewport()->setCursor(Qt::ArrowCursor); break;
    default: viewport()->setCursor(Qt::IBeamCursor); break;
    }
}

void BaseViewWidget::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        ViewWidget::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    SendMouse(WM_LBUTTONDOWN, e);
}

void BaseViewWidget::mouseMoveEvent(QMouseEvent* e)
{
    SendMouse(WM_MOUSEMOVE, e);
    SetCursorShape();
}

void BaseViewWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        SendMouse(WM_LBUTTONUP, e);
}

void BaseViewWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        SendMouse(WM_LBUTTONDBLCLK, e);
}

void BaseViewWidget::wheelEvent(QWheelEvent* e)
{
    CBaseView* view = BaseView();
    if (!view)
        return;
    const int delta = e->angleDelta().y();
    if (delta != 0)
        view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                          PointParam(e->position().toPoint()));
    e->accept();
}

void BaseViewWidget::focusOutEvent(QFocusEvent* e)
{
    ViewWidget::focusOutEvent(e);
    if (CBaseView* view = BaseView())
        view->SendMessage(WM_KILLFOCUS);
}

QCursor BaseViewWidget::MarginCursor()
{
    // A right-pointing arrow: the pointer that selects whole lines.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPolygon arrow;
    arrow << QPoint(15, 0) << QPoint(15, 11) << QPoint(12, 8) << QPoint(8, 12) << QPoint(6, 10) << QPoint(10, 6)
          << QPoint(7, 3) << QPoint(15, 0);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    p.end();
    return QCursor(pixmap, 15, 0);
}

void InstallFindDialogRunner()
{
    SetFindDialogRunner([](CFindReplaceDlg& dialog) -> BOOL {
        auto* widget = new platform::qt::DialogWidget(*dialog.Template(), QApplication::activeWindow());
        widget->setObjectName(dialog.FindOnly() ? "find_dialog" : "replace_dialog");
        widget->setModal(false);
        widget->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<platform::qt::DialogWidget> guard(widget);
        dialog.closeWidget = [guard] {
            if (guard)
                guard->close();
        };
        dialog.activate = [guard] {
            if (guard) {
                guard->show();
                guard->raise();
                guard->activateWindow();
            }
        };
        widget->Attach(dialog);
        // Closed by its title bar: the logic ends it as Cancel does.
        CFindReplaceDlg* logic = &dialog;
        QObject::connect(widget, &QDialog::rejected, [logic, guard] {
            if (OpenedFindDialog() == logic)
                CloseFindDialog();
        });
        widget->show();
        return TRUE;
    });
}

}  // namespace textbase::qt
