// The plan in quelm's main frame offscreen: the image loaded, its sources,
// the register window and a memory window open, tiled; each command sent as the
// menu sends it and timed until its stop is shown and the queue drained.
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "appdebug/debug_ids.h"
#include "bench.h"
#include "dolmer/dolmer.h"
#include "mainframe/main_frame.h"
#include "mainframe/qt/frame_window.h"
#include "offscreen_quelm.h"
#include "platform/messages.h"
#include "platform/qt/hosts.h"
#include "sarvik.h"
#include "shell/debugger_app.h"
#include "shell/shell_ids.h"
#include "vexlor/vexlor.h"

namespace stepbench {

namespace {

using Clock = std::chrono::steady_clock;

// Counts the paints of every widget, by class; with STEPBENCH_PAINT_PATHS
// set each paint goes to standard error with its widget's path (object
// names and window titles up to the top).
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        ++paints;
        ++byClass[object->metaObject()->className()];
        if (paths_) {
            std::string path = object->metaObject()->className();
            for (QObject* o = object; o; o = o->parent()) {
                path += "<" + o->objectName().toStdString();
                if (o->isWidgetType())
                    path += "[" + static_cast<QWidget*>(o)->windowTitle().toStdString() + "]";
            }
            std::fprintf(stderr, "  paint %s\n", path.c_str());
        }
        return false;
    }
    long paints = 0;
    std::map<std::string, int> byClass;  // the painted widgets' classes

private:
    const bool paths_ = std::getenv("STEPBENCH_PAINT_PATHS") != nullptr;
};

double ProcessSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

DWORD Pc()
{
    DWORD pc = 0;
    CpuGetPC(&pc);
    return pc;
}

bool Stopped()
{
    return (CpuGetCpuStatus1() & 1) == 0;
}

class FrameSteps {
public:
    FrameSteps(CMainFrame& frame, Measured& m, bool verbose) : frame_(frame), m_(m), verbose_(verbose) {}

    // A function's entry (a Thumb function's without bit 0).
    bool Entry(const char* symbol, ADDR* at)
    {
        *at = {0, ADDR_SPACE_TARGET};
        if (AdrTextToAddr((std::string("#") + symbol).c_str(), at, 1) != 1) {
            m_.error = std::string("no symbol ") + symbol;
            return false;
        }
        at->off &= ~1u;
        return true;
    }

    // The stop shown: the target stopped, the frame's stop position at the
    // PC; for a go (its stop comes through the queue) a stop after
    // `stopsBefore`.
    bool WaitForShownStop(bool go, DWORD stopsBefore, std::chrono::seconds bound)
    {
        const Clock::time_point limit = Clock::now() + bound;
        QTimer watch;
        watch.start(5);
        while (!((!go || CpuGetStopCount() != stopsBefore) && Stopped() && frame_.GetStopPosition().pc == Pc())) {
            if (Clock::now() > limit)
                return false;
            // Sleeps until an event comes (the stop's announcement is one).
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        // What the stop left in the queue: the views' paints among it.
        QCoreApplication::processEvents();
        return true;
    }

    // A command, timed to its shown stop under `kind` (none: not timed).
    bool Command(UINT id, const char* kind, const char* what)
    {
        const DWORD stopsBefore = CpuGetStopCount();
        const long paintsBefore = counter_.paints;
        const double cpuBefore = ProcessSeconds();
        const Clock::time_point start = Clock::now();
        frame_.SendMessage(WM_COMMAND, id);
        if (!WaitForShownStop(id == shell::ID_DEBUG_GO, stopsBefore, std::chrono::seconds(60))) {
            m_.error = std::string(what) + ": no stop shown";
            return false;
        }
        if (verbose_) {
            const TextViewStop stop = frame_.GetStopPosition();
            std::string painted;
            for (const auto& [name, count] : counter_.byClass)
                painted += " " + name + " " + std::to_string(count);
            std::fprintf(stderr, "%s: %s:%d (PC 0x%08x); painted:%s\n", what, stop.sourcePath.c_str(), stop.line,
                         static_cast<unsigned>(stop.pc), painted.c_str());
        }
        counter_.byClass.clear();
        if (kind) {
            m_.ms[kind].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            m_.paints += counter_.paints - paintsBefore;
            m_.processorSeconds += ProcessSeconds() - cpuBefore;
        }
        return true;
    }

    // A breakpoint at a function's entry, Go to it, the breakpoint cleared
    // unless `keep`.
    bool GoTo(const char* symbol, bool keep, ADDR* at)
    {
        if (!Entry(symbol, at))
            return false;
        if (BptSetBp(at, nullptr, 0, 0, 1, 0) != 0) {
            m_.error = std::string("no breakpoint on ") + symbol;
            return false;
        }
        const bool went = Command(shell::ID_DEBUG_GO, nullptr, symbol);
        if (went && Pc() != at->off) {
            m_.error = std::string("the go stopped outside ") + symbol;
            return false;
        }
        if (!keep)
            BptClearBp(at, 0);
        return went;
    }

    bool Run(int steps)
    {
        qApp->installEventFilter(&counter_);
        ADDR at{};
        bool ok = GoTo("round_of_work", false, &at);
        for (int i = 0; ok && i < steps; ++i)
            ok = Command(appdebug::ID_DEBUG_STEP_INTO, kInto, "step into");
        ok = ok && GoTo("next_value", true, &at);
        // At its entry already: Step Out, then Go to the breakpoint again.
        for (int i = 0; ok && i < steps; ++i) {
            ok = Command(appdebug::ID_DEBUG_STEP_OUT, kOut, "step out") && Command(shell::ID_DEBUG_GO, kGo, "go");
            if (ok && Pc() != at.off) {
                m_.error = "the go stopped outside next_value";
                ok = false;
            }
        }
        BptClearBp(&at, 0);
        ok = ok && GoTo("ledger", false, &at);
        for (int i = 0; ok && i < steps; ++i)
            ok = Command(appdebug::ID_DEBUG_STEP_OVER, kOver, "step over");
        qApp->removeEventFilter(&counter_);
        return ok;
    }

private:
    CMainFrame& frame_;
    Measured& m_;
    bool verbose_;
    PaintCounter counter_;
};

}  // namespace

Measured StepInFrame(const Plan& plan)
{
    Measured m;
    shell::CDebuggerApp app;
    platform::qt::WindowLayer layer(&app);
    const char* args[] = {"quelm", "/D"};
    app.m_noPrompt = TRUE;
    app.SetCommandLine(2, args);
    app.SetFrameMaker(mainframe::qt::MakeMainFrameWindow);
    if (!app.InitInstance()) {
        m.error = "quelm did not start";
        return m;
    }
    auto* frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    for (int i = 0; frame && !frame->m_bConnected && i < 500; ++i)
        platform::PumpWait(20);
    if (!frame || !frame->m_bConnected) {
        m.error = "quelm did not connect to the simulator";
    } else if (!mainframe::qt::LoadImageAtStart(*frame, plan.image)) {
        m.error = "the image did not load";
    } else {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "mainframe") {
                w->resize(1400, 900);
                w->show();
            }
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_REGISTER_WINDOW);
        frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_MEMORY_WINDOW);
        // Every source of the workload open (a window a stop opens comes at
        // the platform's small default size), main.c in front, all tiled.
        bool opened = true;
        for (const char* name : {"mix.h", "ledger.c", "values.c", "rounds.c", "main.c"})
            opened = app.OpenDocumentFile((plan.sources + "/" + name).c_str()) != nullptr && opened;
        frame->MDITile(TRUE);
        QApplication::processEvents();
        if (!opened) {
            m.error = "the sources did not open";
        } else {
            FrameSteps steps(*frame, m, plan.verbose);
            m.ok = steps.Run(plan.steps);
            if (plan.verbose)
                for (QWidget* w : QApplication::allWidgets())
                    if (w->inherits("QMdiSubWindow"))
                        std::fprintf(stderr, "window: %s %s at %d,%d %dx%d\n", w->windowTitle().toStdString().c_str(),
                                     w->isVisible() ? "shown" : "hidden", w->x(), w->y(), w->width(), w->height());
        }
    }
    benchsupport::CloseQuelm(app);
    return m;
}

}  // namespace stepbench
