// consolebench [--runs N]: the semihosting console's speed. A program prints
// 20,000 lines; it runs with Go in quelm's main frame offscreen (timed from
// the command to the program's end and the console's paint after it; the
// console's paints are counted: a burst of output repaints once per idle
// loop, not per line), under simrun and under qemu-system-arm. N runs of
// each (default 3); each time, then the minimum and the median.
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base_view_widget.h"
#include "console_view.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "mainframe/qt/frame_window.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/qt/hosts.h"
#include "platform/qt/qt_loop.h"
#include "platform/registry.h"
#include "platform/scripted_ui.h"
#include "qemu_runner.h"
#include "sarvik.h"
#include "shell/debugger_app.h"
#include "shell/shell_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

struct FrameFigures {
    double seconds = -1;
    int paints = 0;
    int lines = 0;
};

// One run in a fresh frame; seconds < 0 on failure.
FrameFigures RunInFrame(const std::string& image)
{
    FrameFigures figures;
    shell::CDebuggerApp app;
    platform::qt::WindowLayer layer(&app);
    const char* args[] = {"quelm", "/D"};
    app.SetCommandLine(2, args);
    app.SetFrameMaker(mainframe::qt::MakeMainFrameWindow);
    if (!app.InitInstance())
        return figures;
    auto* frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    for (int i = 0; frame && !frame->m_bConnected && i < 100; ++i)
        platform::PumpWait(20);
    if (frame && frame->m_bConnected && mainframe::qt::LoadImageAtStart(*frame, image)) {
        CConsoleView* console = frame->ShowConsole();
        auto* widget = console ? dynamic_cast<textbase::qt::BaseViewWidget*>(console->GetHost()) : nullptr;
        PaintCounter counter;
        if (widget) {
            widget->viewport()->installEventFilter(&counter);
            QApplication::processEvents();
            counter.paints = 0;
            const Clock::time_point start = Clock::now();
            frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
            DWORD reason = 0, status = 0;
            const Clock::time_point limit = start + std::chrono::seconds(300);
            // The program's outer loop (timers run, as in quelm).
            while (SemihostGetExit(&reason, &status) == 0 && Clock::now() < limit)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            // The end on screen.
            console->ShowOutput();
            widget->viewport()->repaint();
            if (SemihostGetExit(&reason, &status) == 1)
                figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            figures.paints = counter.paints;
            figures.lines = console->LineCount();
            widget->viewport()->removeEventFilter(&counter);
        }
    }
    if (app.m_pMainWnd)
        app.m_pMainWnd->SendMessage(WM_CLOSE);
    for (int i = 0; i < 50 && app.m_pMainWnd; ++i)
        platform::PumpWait(10);
    QApplication::processEvents();
    app.ExitInstance();
    return figures;
}

double RunProcessTimed(const std::vector<std::string>& argv, const std::string& expectEnd)
{
    const Clock::time_point start = Clock::now();
    const zk::test::ProcessResult r =
        zk::test::RunProcess(argv, {}, std::chrono::seconds(300), {"QEMU_AUDIO_DRV=none"});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (r.timedOut || r.exitStatus != 0 || r.out.size() < expectEnd.size() ||
        r.out.compare(r.out.size() - expectEnd.size(), expectEnd.size(), expectEnd) != 0) {
        std::fprintf(stderr, "consolebench: %s failed (status %d): %s\n", argv[0].c_str(), r.exitStatus, r.err.c_str());
        return -1;
    }
    return seconds;
}

void Report(const char* name, std::vector<double> times)
{
    for (double t : times)
        if (t < 0) {
            std::printf("%-8s failed\n", name);
            return;
        }
    std::sort(times.begin(), times.end());
    std::printf("%-8s", name);
    for (double t : times)
        std::printf(" %8.3f", t);
    std::printf("   min %8.3f s   median %8.3f s\n", times.front(), times[times.size() / 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string folder = std::filesystem::temp_directory_path() / ("consolebench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    platform::Registry::Global().SetFile(folder + "/registry");
    platform::SetModuleFolder(ZK_BIN_DIR);

    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    // Nothing may ask: a question is answered at once and reported.
    platform::ScriptedUi ui;
    ui.SetFailureHandler(
        [](const std::string& failure) { std::fprintf(stderr, "consolebench: %s\n", failure.c_str()); });
    platform::ModalUiScope scope(ui);

    const std::string image = CONSOLEBENCH_IMAGE;
    const std::string lastLine = "line 20000 of the console's output\n";
    std::vector<double> frameTimes, simrunTimes, qemuTimes;
    for (int i = 0; i < runs; ++i) {
        const FrameFigures f = RunInFrame(image);
        frameTimes.push_back(f.seconds);
        std::printf("quelm run %d: %.3f s, %d console lines, %d console paints\n", i + 1, f.seconds, f.lines, f.paints);
        std::vector<std::string> simrun{std::string(ZK_BIN_DIR) + "/simrun", image};
        simrunTimes.push_back(RunProcessTimed(simrun, lastLine));
        std::vector<std::string> qemu = zk::test::QemuCommand();
        qemu.insert(qemu.end(), {"-kernel", image});
        qemuTimes.push_back(RunProcessTimed(qemu, lastLine));
    }
    Report("quelm", frameTimes);
    Report("simrun", simrunTimes);
    Report("qemu", qemuTimes);
    std::filesystem::remove_all(folder);
    return 0;
}
