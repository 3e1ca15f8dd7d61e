#include "platform/qt/qt_loop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <atomic>

#include "platform/messages.h"

namespace platform::qt {
namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class Dispatcher : public QObject {
public:
    std::atomic<bool> wakePending{false};

    bool event(QEvent* e) override
    {
        if (e->type() != kWakeEvent)
            return QObject::event(e);
        wakePending.store(false);
        // A nested pump of the platform layer drains the queue itself, with
        // its own rules for timers and keys.
        if (!InNestedPump()) {
            int code = 0;
            if (!DispatchPending(&code))
                QCoreApplication::exit(code);
        }
        return true;
    }
};

class QtBackend : public LoopBackend {
public:
    explicit QtBackend(Dispatcher* d) : dispatcher_(d) {}

    void Wake() override
    {
        if (!dispatcher_->wakePending.exchange(true))
            QCoreApplication::postEvent(dispatcher_, new QEvent(kWakeEvent));
    }

    void ProcessEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

    void WaitForEvents(int ms) override
    {
        // A timer bounds the wait; a post from a worker wakes it earlier.
        QTimer limit;
        if (ms >= 0) {
            limit.setSingleShot(true);
            limit.start(ms);
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

private:
    Dispatcher* dispatcher_;
};

Dispatcher* g_dispatcher = nullptr;
QtBackend* g_backend = nullptr;

}  // namespace

void InstallQtLoop()
{
    if (g_dispatcher)
        return;
    SetGuiThread();
    g_dispatcher = new Dispatcher;
    g_backend = new QtBackend(g_dispatcher);
    SetLoopBackend(g_backend);
    // Messages posted before the loop existed.
    g_backend->Wake();
}

void UninstallQtLoop()
{
    if (!g_dispatcher)
        return;
    SetLoopBackend(nullptr);
    delete g_backend;
    delete g_dispatcher;
    g_backend = nullptr;
    g_dispatcher = nullptr;
}

}  // namespace platform::qt
