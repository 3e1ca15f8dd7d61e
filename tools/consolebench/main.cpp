// consolebench [--runs N] [--lines 5000|20000|80000]: the semihosting
// console's speed. A program prints that many lines (default 20,000); it
// runs with Go in quelm's main frame offscreen (timed from the command to the
// program's end and the console's paint after it; the console's paints are
// counted: a burst of output repaints once per idle loop, not per line; the
// time of each quarter of the output is shown: work that grows with the
// console's length slows the later quarters; so is the processor time the
// process and its GUI thread used meanwhile, which a loaded machine's waits
// don't swell; then the same lines go into the console directly, without
// the target), under simrun and under qemu-system-arm. N runs of each
// (default 3); each time, then the minimum and the median.
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base_view_widget.h"
#include "console_view.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "mainframe/main_frame.h"
#include "mainframe/qt/frame_window.h"
#include "offscreen_quelm.h"
#include "platform/messages.h"
#include "platform/qt/hosts.h"
#include "platform/qt/qt_loop.h"
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

// The processor time this process (every thread: the GUI thread and the
// simulator's run threads) and the calling thread have used, in seconds.
// On a loaded machine the run's wall time is mostly waiting for the
// processor; these show the work done.
double ProcessorSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct FrameFigures {
    double seconds = -1;
    double processSeconds = -1;  // processor time of the process during the run
    double guiSeconds = -1;      // of the GUI thread alone
    int paints = 0;
    int lines = 0;
    // The time each quarter of the output took: work that grows with the
    // console's length makes the later quarters slower.
    double quarters[4] = {};
    // The same lines appended to the console directly (no target, no idle
    // turn; the console's timer and paints run), in quarters too.
    double aloneSeconds = -1;
    double aloneQuarters[4] = {};
};

// Appends `count` lines to the cleared console as the program's output
// would, letting timers and paints run after each.
void AppendAlone(CConsoleView& console, int count, FrameFigures& figures)
{
    console.Clear();
    const Clock::time_point start = Clock::now();
    Clock::time_point quarterStart = start;
    int quarter = 0;
    char line[64];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, "line %5d of the console's output\n", i);
        console.AppendText(line);
        QCoreApplication::processEvents();
        if (quarter < 4 && i >= count * (quarter + 1) / 4) {
            const Clock::time_point now = Clock::now();
            figures.aloneQuarters[quarter++] = std::chrono::duration<double>(now - quarterStart).count();
            quarterStart = now;
        }
    }
    console.ShowOutput();
    if (auto* widget = dynamic_cast<textbase::qt::BaseViewWidget*>(console.GetHost()))
        widget->viewport()->repaint();
    figures.aloneSeconds = std::chrono::duration<double>(Clock::now() - start).count();
}

// One run in a fresh frame; seconds < 0 on failure.
FrameFigures RunInFrame(const std::string& image, int outputLines)
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
            const double processStart = ProcessorSeconds(CLOCK_PROCESS_CPUTIME_ID);
            const double guiStart = ProcessorSeconds(CLOCK_THREAD_CPUTIME_ID);
            Clock::time_point quarterStart = start;
            int seen = 0;
            int quarter = 0;
            const mainframe::SemihostOutputTap previousTap =
                mainframe::SetSemihostOutputTap([&](BYTE, std::string_view text) {
                    seen += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
                    if (quarter < 4 && seen >= outputLines * (quarter + 1) / 4) {
                        const Clock::time_point now = Clock::now();
                        figures.quarters[quarter++] = std::chrono::duration<double>(now - quarterStart).count();
                        quarterStart = now;
                    }
                });
            frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
            DWORD reason = 0, status = 0;
            const Clock::time_point limit = start + std::chrono::seconds(300);
            // The program's outer loop, as in quelm: it sleeps until an event
            // comes (processEvents with a time limit never sleeps, and the
            // spinning thread would take the processor from the run thread
            // it waits for, and skip quelm's idle turn). A short timer bounds
            // each sleep.
            QTimer watch;
            watch.start(5);
            while (SemihostGetExit(&reason, &status) == 0 && Clock::now() < limit)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            watch.stop();
            // The end on screen.
            console->ShowOutput();
            widget->viewport()->repaint();
            if (SemihostGetExit(&reason, &status) == 1) {
                figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
                figures.processSeconds = ProcessorSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
                figures.guiSeconds = ProcessorSeconds(CLOCK_THREAD_CPUTIME_ID) - guiStart;
            }
            mainframe::SetSemihostOutputTap(previousTap);
            figures.paints = counter.paints;
            figures.lines = console->LineCount();
            widget->viewport()->removeEventFilter(&counter);
            AppendAlone(*console, outputLines, figures);
        }
    }
    benchsupport::CloseQuelm(app);
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
    int lines = 20000;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--lines" && i + 1 < argc)
            lines = std::atoi(argv[++i]);
    }
    // One image per count (built with the fixtures).
    if (lines != 5000 && lines != 20000 && lines != 80000) {
        std::fprintf(stderr, "consolebench: --lines takes 5000, 20000 or 80000\n");
        return 2;
    }
    const std::string folder = benchsupport::PrepareOffscreenProcess("consolebench");

    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    // Nothing may ask: a question is answered at once and reported.
    platform::ScriptedUi ui;
    ui.SetFailureHandler(
        [](const std::string& failure) { std::fprintf(stderr, "consolebench: %s\n", failure.c_str()); });
    platform::ModalUiScope scope(ui);

    const std::string image =
        std::string(CONSOLEBENCH_IMAGE_DIR) + "/consolebench_lines_" + std::to_string(lines) + ".elf";
    char lastLine[64];
    std::snprintf(lastLine, sizeof lastLine, "line %5d of the console's output\n", lines);
    std::vector<double> frameTimes, processTimes, guiTimes, aloneTimes, simrunTimes, qemuTimes;
    for (int i = 0; i < runs; ++i) {
        // Connected without a program, quelm asks for one: no.
        ui.CancelFileDialog();
        const FrameFigures f = RunInFrame(image, lines);
        frameTimes.push_back(f.seconds);
        processTimes.push_back(f.processSeconds);
        guiTimes.push_back(f.guiSeconds);
        aloneTimes.push_back(f.aloneSeconds);
        std::printf("quelm run %d: %.3f s, %d console lines, %d console paints; quarters %.3f %.3f %.3f %.3f s\n",
                    i + 1, f.seconds, f.lines, f.paints, f.quarters[0], f.quarters[1], f.quarters[2], f.quarters[3]);
        std::printf("  processor time: %.3f s, of it the GUI thread %.3f s\n", f.processSeconds, f.guiSeconds);
        std::printf("  console alone: %.3f s; quarters %.3f %.3f %.3f %.3f s\n", f.aloneSeconds, f.aloneQuarters[0],
                    f.aloneQuarters[1], f.aloneQuarters[2], f.aloneQuarters[3]);
        std::vector<std::string> simrun{std::string(ZK_BIN_DIR) + "/simrun", image};
        simrunTimes.push_back(RunProcessTimed(simrun, lastLine));
        std::vector<std::string> qemu = zk::test::QemuCommand();
        qemu.insert(qemu.end(), {"-kernel", image});
        qemuTimes.push_back(RunProcessTimed(qemu, lastLine));
    }
    Report("quelm", frameTimes);
    Report("  cpu", processTimes);
    Report("  gui", guiTimes);
    Report("console", aloneTimes);
    Report("simrun", simrunTimes);
    Report("qemu", qemuTimes);
    std::filesystem::remove_all(folder);
    return 0;
}
