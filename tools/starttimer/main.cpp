// Times quelm's start-up offscreen: from the start of main (before the
// QApplication) to the main frame's first paint, with every optional library
// present. `--runs N` (default 3) starts N fresh processes of itself after
// an uncounted first start and prints each time, the minimum and the median.
#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mainframe/qt/frame_window.h"
#include "platform/modules.h"
#include "platform/qt/hosts.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_modal_ui.h"
#include "platform/registry.h"
#include "shell/debugger_app.h"

namespace {

using Clock = std::chrono::steady_clock;

// Stops the clock at the first paint of the frame's window.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(Clock::time_point start) : start_(start) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (seconds_ < 0 && event->type() == QEvent::Paint && watched->objectName() == "mainframe") {
            seconds_ = std::chrono::duration<double>(Clock::now() - start_).count();
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return false;
    }
    double seconds_ = -1;

private:
    Clock::time_point start_;
};

int RunOnce(int argc, char** argv)
{
    Clock::time_point start = Clock::now();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* folder = std::getenv("STARTTIMER_DIR");
    if (!folder) {
        std::fprintf(stderr, "starttimer: --once runs under the timer only\n");
        return 1;
    }
    platform::Registry::Global().SetFile(std::string(folder) + "/registry");
    platform::SetModuleFolder(SHELL_STANDIN_DIR);

    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    platform::qt::QtModalUi ui;
    platform::ModalUiScope scope(ui);
    shell::CDebuggerApp app;
    platform::qt::WindowLayer layer(&app);
    FirstPaint paint(start);
    qapp.installEventFilter(&paint);

    const char* args[] = {"quelm", "/D"};
    app.SetCommandLine(2, args);
    app.SetFrameMaker(mainframe::qt::MakeMainFrameWindow);
    if (!app.InitInstance()) {
        std::fprintf(stderr, "starttimer: start-up ended without a frame\n");
        return 1;
    }
    QTimer::singleShot(10000, &qapp, &QApplication::quit);
    qapp.exec();
    if (app.m_pMainWnd)
        app.m_pMainWnd->SendMessage(WM_CLOSE);
    app.ExitInstance();
    if (paint.seconds_ < 0) {
        std::fprintf(stderr, "starttimer: the frame never painted\n");
        return 1;
    }
    std::printf("%.4f\n", paint.seconds_);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--once")
            return RunOnce(argc, argv);
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    // One registry for all runs; a first run, not counted, asks the tool
    // chain for the directory lists as a first start does, so the timed
    // runs are ordinary starts.
    std::string folder = (std::filesystem::temp_directory_path() / ("starttimer-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(folder);
    setenv("STARTTIMER_DIR", folder.c_str(), 1);
    std::vector<double> times;
    for (int r = -1; r < runs; ++r) {
        std::string command = std::string("\"") + argv[0] + "\" --once";
        FILE* pipe = popen(command.c_str(), "r");
        double t = -1;
        if (!pipe || std::fscanf(pipe, "%lf", &t) != 1)
            t = -1;
        if (pipe && pclose(pipe) != 0)
            t = -1;
        if (t < 0) {
            std::fprintf(stderr, "starttimer: run %d failed\n", r + 1);
            std::filesystem::remove_all(folder);
            return 1;
        }
        if (r < 0) {
            std::printf("first start (tool-chain lists asked): %.3f s\n", t);
            continue;
        }
        std::printf("run %d: %.3f s\n", r + 1, t);
        times.push_back(t);
    }
    std::filesystem::remove_all(folder);
    std::sort(times.begin(), times.end());
    std::printf("start-up to first paint: min %.3f s, median %.3f s (%d runs)\n", times.front(),
                times[times.size() / 2], runs);
    return 0;
}
