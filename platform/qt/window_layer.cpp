// The application's key filter, Qt timers, the idle turn and printing.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QTimer>

#include <map>

#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/qt/hosts.h"

namespace platform::qt {

int KeyFilter::VirtualKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    default: return 0;
    }
}

namespace {

void SetModifiers(Qt::KeyboardModifiers m)
{
    SetKeyDown(VK_SHIFT, m & Qt::ShiftModifier);
    SetKeyDown(VK_CONTROL, m & Qt::ControlModifier);
    SetKeyDown(VK_MENU, m & Qt::AltModifier);
}

bool InTable(CWinApp* app, int vk, Qt::KeyboardModifiers m)
{
    auto* frame = dynamic_cast<CFrameWnd*>(app->m_pMainWnd);
    if (!frame)
        return false;
    bool shift = m & Qt::ShiftModifier, ctrl = m & Qt::ControlModifier, alt = m & Qt::AltModifier;
    if (auto* mdi = dynamic_cast<CMDIFrameWnd*>(frame))
        if (CMDIChildWnd* child = mdi->MDIGetActive())
            if (auto t = child->GetAccelTable(); t && t->HasKey(vk, shift, ctrl, alt))
                return true;
    auto t = frame->GetAccelTable();
    return t && t->HasKey(vk, shift, ctrl, alt);
}

}  // namespace

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* e = static_cast<QKeyEvent*>(event);
    int vk = VirtualKey(e->key());
    // GetAsyncKeyState sees every key of the application, dialogs and popups
    // included (the Esc that stops a long operation). An auto-repeat release
    // is no release: the key is still held.
    if (type != QEvent::ShortcutOverride) {
        SetModifiers(e->modifiers());
        if (vk && !(type == QEvent::KeyRelease && e->isAutoRepeat()))
            SetKeyDown(vk, type == QEvent::KeyPress);
    }
    auto* frame = app_ ? dynamic_cast<CFrameWnd*>(app_->m_pMainWnd) : nullptr;
    if (!frame || !frame->m_hWnd)
        return false;
    // Only the main window's widgets (and their children).
    auto* w = qobject_cast<QWidget*>(watched);
    auto* host = dynamic_cast<QWidget*>(frame->GetHost());
    if (!w || !host || (w != host && !host->isAncestorOf(w)))
        return false;
    if (type == QEvent::ShortcutOverride) {
        // A table key beats the widgets' shortcuts and the menu mnemonics.
        if (vk && InTable(app_, vk, e->modifiers())) {
            e->accept();
            return true;
        }
        return false;
    }
    if (type == QEvent::KeyRelease)
        return false;
    bool alt = e->modifiers() & Qt::AltModifier;
    if (vk) {
        MSG msg{frame->m_hWnd, static_cast<UINT>(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), static_cast<WPARAM>(vk), 1, 0};
        if (app_->PreTranslateMessage(&msg))
            return true;
    }
    // Ctrl+letter arrives as the control character 1-26.
    unsigned ch = 0;
    if ((e->modifiers() & Qt::ControlModifier) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
        ch = static_cast<unsigned>(e->key() - Qt::Key_A + 1);
    else if (!e->text().isEmpty())
        ch = e->text()[0].unicode();
    if (ch) {
        MSG msg{frame->m_hWnd, static_cast<UINT>(alt ? WM_SYSCHAR : WM_CHAR), ch, 1, 0};
        if (app_->PreTranslateMessage(&msg))
            return true;
    }
    return false;
}

namespace {

// WM_TIMER through the queue from Qt timers.
class QtTimers : public TimerBackend {
public:
    ~QtTimers() override
    {
        for (auto& [key, t] : timers_)
            delete t;
    }
    void Start(HWND hwnd, UINT_PTR id, UINT ms) override
    {
        QTimer*& t = timers_[{hwnd, id}];
        if (!t) {
            t = new QTimer;
            QObject::connect(t, &QTimer::timeout, [hwnd, id] { ::PostMessage(hwnd, WM_TIMER, id, 0); });
        }
        t->start(static_cast<int>(ms));
    }
    void Stop(HWND hwnd, UINT_PTR id) override
    {
        auto it = timers_.find({hwnd, id});
        if (it == timers_.end())
            return;
        it->second->deleteLater();
        timers_.erase(it);
    }

private:
    std::map<std::pair<HWND, UINT_PTR>, QTimer*> timers_;
};

// Text bytes over QClipboard; the bytes are Latin-1, so every byte value
// goes through unchanged.
class QtClipboard : public Clipboard {
public:
    void SetText(const std::string& bytes) override
    {
        QApplication::clipboard()->setText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    std::string GetText() const override { return QApplication::clipboard()->text().toLatin1().toStdString(); }
};

}  // namespace

struct WindowLayer::Impl {
    CWinApp* app;
    KeyFilter filter;
    QtTimers timers;
    QtClipboard clipboard;
    Clipboard* previousClipboard = nullptr;
    QMetaObject::Connection idle;
    PreTranslateHook previousHook;
    bool idlePending = false;
    explicit Impl(CWinApp* a) : app(a), filter(a) {}
};

WindowLayer::WindowLayer(CWinApp* app) : impl_(std::make_unique<Impl>(app))
{
    qApp->installEventFilter(&impl_->filter);
    SetTimerBackend(&impl_->timers);
    impl_->previousClipboard = SetClipboard(&impl_->clipboard);
    // Posted key messages and thread messages see the application first.
    impl_->previousHook = SetPreTranslateHook([app](MSG& msg) { return app->PreTranslateMessage(&msg) != FALSE; });
    // The idle turn: once after each dispatch of the outermost loop.
    Impl* impl = impl_.get();
    impl_->idle =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [impl] {
            if (!InNestedPump() && DispatchDepth() == 0)
                impl->app->OnIdle(0);
        });
}

WindowLayer::~WindowLayer()
{
    QObject::disconnect(impl_->idle);
    SetPreTranslateHook(impl_->previousHook);
    SetTimerBackend(nullptr);
    SetClipboard(impl_->previousClipboard);
    qApp->removeEventFilter(&impl_->filter);
}

// --- Printing ---------------------------------------------------------------------

void ReplayDC(QPainter& p, const CDC& dc, const CellPainter& painter, int width, const QRegion& dirty)
{
    for (const CDC::Op& op : dc.Ops()) {
        switch (op.kind) {
        case CDC::Op::Text:
            p.setPen(ToQColor(op.fg));
            p.drawText(op.x, op.y + QFontMetrics(p.font()).ascent(), QString::fromLatin1(op.text.c_str()));
            break;
        case CDC::Op::Fill: p.fillRect(QRect(QPoint(op.x, op.y), QPoint(op.x2 - 1, op.y2 - 1)), ToQColor(op.bg)); break;
        case CDC::Op::Line:
            p.setPen(ToQColor(op.fg));
            p.drawLine(op.x, op.y, op.x2, op.y2);
            break;
        case CDC::Op::Cells:
            p.save();
            p.translate(op.x, op.y);
            painter.Paint(p, op.cells, width - op.x, dirty.translated(-op.x, -op.y));
            p.restore();
            break;
        }
    }
}

int PrintView(CView& view, QPrinter& printer)
{
    CPrintInfo info;
    if (!view.OnPreparePrinting(&info))
        return 0;
    QPainter p;
    if (!p.begin(&printer))
        return 0;
    // The printer font: the same cells scaled to the printer's resolution.
    int dpi = printer.resolution();
    FontSpec spec;
    spec.family = "DejaVu Sans Mono";
    spec.pixelSize = std::max(8, 14 * dpi / 96);
    QFont font = MakeFont(spec);
    font.setStyleStrategy(QFont::PreferDefault);
    p.setFont(font);
    QSize cell = QSize(QFontMetrics(font, &printer).horizontalAdvance('M'), QFontMetrics(font, &printer).height());
    CellPainter painter(font, cell);
    QRect page = printer.pageLayout().paintRectPixels(dpi);
    info.m_rectDraw = {0, 0, page.width(), page.height()};
    info.m_cell = {cell.width(), cell.height()};
    info.m_dpi = dpi;
    CDC dc(true);
    dc.SetDeviceCaps(dpi, info.m_rectDraw);
    view.OnBeginPrinting(&dc, &info);
    int printed = 0;
    for (info.m_nCurPage = info.m_nFromPage; info.m_nCurPage <= std::min(info.m_nToPage, info.m_nMaxPage);
         ++info.m_nCurPage) {
        view.OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting)
            break;
        if (printed > 0)
            printer.newPage();
        dc.Clear();
        view.OnPrint(&dc, &info);
        ReplayDC(p, dc, painter, page.width());
        ++printed;
    }
    view.OnEndPrinting(&dc, &info);
    p.end();
    return printed;
}

}  // namespace platform::qt
